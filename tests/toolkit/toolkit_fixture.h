// Common set-up of the toolkit's GUI tests: title "Velt", every message box
// recorded instead of shown, a safety timer, and a form owned by the test.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "support/gui_driver.h"
#include "toolkit/application.h"
#include "toolkit/forms.h"

namespace velt::test {

class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application->ClearTerminated();
        Application->SetTitle("Velt");
    }
    void TearDown() override {
        Pump();
        Application->ClearTerminated();
    }

    // A form with owner null, freed by the fixture.
    TForm* NewForm(int clientWidth = 300, int clientHeight = 200) {
        forms_.emplace_back(new TForm(nullptr));
        TForm* f = forms_.back().get();
        f->SetClientSize(clientWidth, clientHeight);
        f->SetPosition(TPosition::poScreenCenter);
        return f;
    }

    GuiLock lock_;
    MessageBoxRecorder boxes_;
    SafetyTimer safety_{15000};
    std::vector<std::unique_ptr<TForm>> forms_;
};

} // namespace velt::test
