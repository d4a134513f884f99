// Tooltips: one shared tooltip window; each control whose hint is on is a
// tool of it (a windowed control by its window, a graphic control by its
// rectangle in the parent). Switching ShowHint adds or removes the tool.
#pragma once
#include <windows.h>

#include <map>
#include <string>

namespace velt {

class TControl;

class THintManager {
public:
    THintManager() = default;
    ~THintManager();
    THintManager(const THintManager&) = delete;
    THintManager& operator=(const THintManager&) = delete;

    // Registers, moves or removes the control's tool to match its state.
    void Update(TControl* control);
    void Forget(TControl* control);
    // Drops every tool living on a window that is going away.
    void WindowDestroyed(HWND window);

    // The tool's text as registered ("" when none), for tests.
    std::string RegisteredText(TControl* control) const;
    HWND Window() const { return tooltip_; }

private:
    struct Tool {
        HWND window;
        UINT_PTR id;
        std::string text;
        RECT rect;
    };
    bool EnsureWindow();
    void Remove(const Tool& tool);

    HWND tooltip_ = nullptr;
    std::map<TControl*, Tool> tools_;
};

THintManager& HintManager();

} // namespace velt
