// The password-strength dialog (unit CheckPass): the user types a password
// and "Check" shows how many combinations a brute-force search must try and
// how long it would take here. One dialog is created hidden at start-up and
// kept for the whole run, so the typed text and the last results stay
// between showings.
#pragma once
#include <functional>
#include <memory>

#include "toolkit/edit.h"
#include "toolkit/forms.h"
#include "toolkit/groupbox.h"
#include "toolkit/label.h"
#include "toolkit/speedbutton.h"
#include "tools/strength.h"

namespace velt {

class TCheckPassBox : public TForm {
    VELT_PERSISTENT_CLASS()
public:
    // polishTicked says whether the main window's Language menu shows
    // Polish; the dialog follows it at its creation and at each showing.
    // clock times the probe (null: the system's performance counter).
    TCheckPassBox(TComponent* owner, std::function<bool()> polishTicked, PerformanceClock* clock = nullptr);
    ~TCheckPassBox() override;

    TLabel* Label1;
    TEdit* Edit1;
    TSpeedButton* SpeedButton1;
    TGroupBox* GroupBox1;
    TLabel* Label2;
    TLabel* Label3;
    TLabel* Label4;  // the combinations
    TLabel* Label5;  // the cracking time

    void FormCreate(TComponent* sender);
    void FormShow(TComponent* sender);
    void SpeedButton1Click(TComponent* sender);

private:
    const char* MenuLanguage() const;

    std::function<bool()> polishTicked_;
    std::unique_ptr<PerformanceClock> ownClock_;
    PerformanceClock* clock_;
};

// The one strength dialog of the program (null before start-up makes it).
extern TCheckPassBox* CheckPassBox;

} // namespace velt
