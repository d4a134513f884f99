// The menu bar: TMainMenu and its TMenuItems. Items are components owned by
// the form (so the translation pass finds their captions); the tree of
// submenus is kept apart from ownership. Any change rebuilds the bar.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "core/component.h"
#include "toolkit/controls.h"

namespace velt {

class TForm;
class TMainMenu;

// Virtual key plus modifier bits, as in "Ctrl+R".
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
constexpr TShortCut ShortCut(WORD key, TShiftState shift) {
    return static_cast<TShortCut>(key | ((shift & ssShift) ? scShift : 0) | ((shift & ssCtrl) ? scCtrl : 0) |
                                  ((shift & ssAlt) ? scAlt : 0));
}
// "Ctrl+R", "F1", "Shift+Ctrl+Del"; "" for none.
std::string ShortCutToText(TShortCut shortCut);

class TMenuItem : public TComponent {
    VELT_PERSISTENT_CLASS()
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint) { hint_ = hint; }
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut);
    bool IsSeparator() const { return caption_ == "-"; }

    // Submenu items, in menu order.
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
    TMenuItem* ParentItem() const { return parentItem_; }

    // The text the menu shows: caption, then a tab and the shortcut.
    std::string MenuText() const;
    UINT Command() const { return command_; }

    virtual void Click();
    TNotifyEvent OnClick;

private:
    friend class TMainMenu;
    void Changed();
    TMainMenu* Menu() const;

    std::string caption_;
    std::string hint_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    TShortCut shortCut_ = 0;
    UINT command_;
    TMenuItem* parentItem_ = nullptr;
    std::vector<TMenuItem*> items_;
    TMainMenu* menu_ = nullptr;  // set on the root item only
};

class TMainMenu : public TComponent {
    VELT_PERSISTENT_CLASS()
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;

    // The root: its items are the bar's entries.
    TMenuItem* Items() const { return root_; }

    // Built on demand; remade after every change.
    HMENU Handle();

    // The item with this command id, searched through every submenu.
    TMenuItem* FindItem(UINT command) const;
    // Runs the item of a WM_COMMAND; false when none has that id.
    bool DispatchCommand(UINT command);
    // Runs the enabled, visible item with this shortcut; false when none.
    bool IsShortCut(WORD key, TShiftState shift);

    void AttachForm(TForm* form) { form_ = form; }
    void DetachForm(TForm* form) { if (form_ == form) form_ = nullptr; }
    void Rebuild();

private:
    HMENU Build(const TMenuItem* item, bool bar) const;

    TMenuItem* root_;
    TForm* form_ = nullptr;
    HMENU handle_ = nullptr;
};

} // namespace velt
