#include "toolkit/menus.h"

#include <algorithm>

#include "toolkit/forms.h"

namespace velt {

namespace {
UINT NextCommand() {
    static UINT next = 0x100;
    return next++;
}

bool Usable(const TMenuItem* item) {
    for (const TMenuItem* i = item; i; i = i->ParentItem())
        if (!i->Enabled() || !i->Visible()) return false;
    return true;
}
} // namespace

std::string ShortCutToText(TShortCut shortCut) {
    WORD key = shortCut & 0xFF;
    if (!key) return {};
    std::string name;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        name = std::string(1, static_cast<char>(key));
    } else if (key >= VK_F1 && key <= VK_F24) {
        name = "F" + std::to_string(key - VK_F1 + 1);
    } else {
        switch (key) {
        case VK_BACK: name = "BkSp"; break;
        case VK_TAB: name = "Tab"; break;
        case VK_RETURN: name = "Enter"; break;
        case VK_ESCAPE: name = "Esc"; break;
        case VK_SPACE: name = "Space"; break;
        case VK_PRIOR: name = "PgUp"; break;
        case VK_NEXT: name = "PgDn"; break;
        case VK_END: name = "End"; break;
        case VK_HOME: name = "Home"; break;
        case VK_LEFT: name = "Left"; break;
        case VK_UP: name = "Up"; break;
        case VK_RIGHT: name = "Right"; break;
        case VK_DOWN: name = "Down"; break;
        case VK_INSERT: name = "Ins"; break;
        case VK_DELETE: name = "Del"; break;
        default: name = "#" + std::to_string(key); break;
        }
    }
    std::string prefix;
    if (shortCut & scShift) prefix += "Shift+";
    if (shortCut & scCtrl) prefix += "Ctrl+";
    if (shortCut & scAlt) prefix += "Alt+";
    return prefix + name;
}

// ---------------------------------------------------------------- item

const ClassInfo& TMenuItem::StaticClass() {
    static const ClassInfo info = ClassBuilder<TMenuItem>("TMenuItem", &TComponent::StaticClass())
        .Text("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
        .Text("Hint", &TMenuItem::Hint, &TMenuItem::SetHint)
        .Build();
    return info;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(NextCommand()) {}

TMenuItem::~TMenuItem() {
    for (TMenuItem* child : items_) child->parentItem_ = nullptr;
    items_.clear();
    if (parentItem_) parentItem_->Remove(this);
}

TMainMenu* TMenuItem::Menu() const {
    const TMenuItem* i = this;
    while (i->parentItem_) i = i->parentItem_;
    return i->menu_;
}

void TMenuItem::Changed() {
    if (TMainMenu* m = Menu()) m->Rebuild();
}

void TMenuItem::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Changed();
}

void TMenuItem::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Changed();
}

void TMenuItem::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Changed();
}

void TMenuItem::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Changed();
}

void TMenuItem::SetShortCut(TShortCut shortCut) {
    if (shortCut == shortCut_) return;
    shortCut_ = shortCut;
    Changed();
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item || item == this) return;
    if (item->parentItem_) item->parentItem_->Remove(item);
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parentItem_ = this;
    Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    items_.erase(it);
    item->parentItem_ = nullptr;
    Changed();
}

std::string TMenuItem::MenuText() const {
    std::string text = caption_;
    if (shortCut_) text += "\t" + ShortCutToText(shortCut_);
    return text;
}

void TMenuItem::Click() {
    if (enabled_ && OnClick) OnClick(this);
}

// ---------------------------------------------------------------- menu

const ClassInfo& TMainMenu::StaticClass() {
    static const ClassInfo info("TMainMenu", &TComponent::StaticClass(), {});
    return info;
}

TMainMenu::TMainMenu(TComponent* owner) : TComponent(owner), root_(new TMenuItem(this)) {
    root_->menu_ = this;
}

TMainMenu::~TMainMenu() {
    root_->menu_ = nullptr;
    if (form_) form_->SetMenu(nullptr);
    if (handle_) DestroyMenu(handle_);
}

HMENU TMainMenu::Build(const TMenuItem* item, bool bar) const {
    HMENU menu = bar ? CreateMenu() : CreatePopupMenu();
    for (int i = 0; i < item->Count(); ++i) {
        const TMenuItem* child = item->Items(i);
        if (!child->Visible()) continue;
        if (child->IsSeparator()) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING | (child->Checked() ? MF_CHECKED : 0) | (child->Enabled() ? 0 : MF_GRAYED);
        std::string text = child->MenuText();
        if (child->Count() > 0)
            AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(Build(child, false)), text.c_str());
        else
            AppendMenuA(menu, flags, child->Command(), text.c_str());
    }
    return menu;
}

HMENU TMainMenu::Handle() {
    if (!handle_) handle_ = Build(root_, true);
    return handle_;
}

void TMainMenu::Rebuild() {
    HMENU old = handle_;
    handle_ = nullptr;
    if (form_) form_->MenuChanged();
    if (old) DestroyMenu(old);
}

TMenuItem* TMainMenu::FindItem(UINT command) const {
    std::vector<TMenuItem*> work{root_};
    while (!work.empty()) {
        TMenuItem* i = work.back();
        work.pop_back();
        if (i != root_ && i->Command() == command) return i;
        for (int k = 0; k < i->Count(); ++k) work.push_back(i->Items(k));
    }
    return nullptr;
}

bool TMainMenu::DispatchCommand(UINT command) {
    TMenuItem* item = FindItem(command);
    if (!item) return false;
    item->Click();
    return true;
}

bool TMainMenu::IsShortCut(WORD key, TShiftState shift) {
    TShortCut wanted = velt::ShortCut(key, shift);
    std::vector<TMenuItem*> work{root_};
    while (!work.empty()) {
        TMenuItem* i = work.back();
        work.pop_back();
        if (i != root_ && i->ShortCut() == wanted && Usable(i)) {
            i->Click();
            return true;
        }
        for (int k = 0; k < i->Count(); ++k) work.push_back(i->Items(k));
    }
    return false;
}

} // namespace velt
