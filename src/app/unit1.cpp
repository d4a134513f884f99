#include "app/unit1.h"

#include <array>

#include "app/maker_site.h"
#include "app/health_command.h"
#include "app/history_command.h"
#include "core/secure_memory.h"
#include "vault/entry_items.h"
#include "app/import_command.h"
#include "app/settings_command.h"
#include "core/resource_strings.h"
#include "export/export_file_win.h"
#include "i18n/translator.h"
#include "i18n/translator_errors.h"
#include "i18n/translator_service.h"
#include "platform/ansi_codepage.h"
#include "platform/shell.h"
#include "tools/check_pass_win.h"
#include "tools/show_generated_password.h"
#include "toolkit/application.h"
#include "toolkit/dialogs.h"
#include "ui/button_with_color.h"
#include "vault/table_ops.h"

namespace velt {

TForm1* Form1 = nullptr;

bool PolishTicked() { return Form1 && Form1->Polski1->Checked(); }

namespace {

constexpr TColor kFixedCellColor = 0xFF8000;  // RGB (0, 128, 255)
constexpr int kEditorHeight = 24;

UINT& ClipboardDelay() {
    static UINT delay = platform::kClipboardClearDelayMs;
    return delay;
}

} // namespace

// ---------------------------------------------------------------- class info

const ClassInfo& TForm1::StaticClass() {
    static const ClassInfo info("TForm1", &TForm::StaticClass(), {});
    return info;
}

// ---------------------------------------------------------------- building

TForm1::TForm1(TComponent* owner)
    : TForm(owner), clipboard_(ClipboardDelay()) {
    SetName("Form1");
    SetCaption("Velt 0.2");
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetPosition(TPosition::poDesigned);
    SetBounds(267, 182, Width(), Height());
    SetClientSize(611, 405);
    SetColor(clBlack);
    Font().SetName("Tahoma");
    Font().SetHeight(-13);
    Font().SetColor(clWhite);
    Font().SetCharset(EASTEUROPE_CHARSET);
    platform::InstallVaultCodePage(EASTEUROPE_CHARSET);  // copies and typing follow what the grid shows
    TEdit::SetSecretCopier([this](const std::string& text, const std::u16string& shown) {
        clipboard_.Copy(text, shown, Handle());
    });

    BuildControls();
    AttachTable(StringGrid1->Store());
    BuildMenu();

    OnCreate = [this](TComponent* s) { FormCreate(s); };
    OnShow = [this](TComponent* s) { FormShow(s); };
    OnResize = [this](TComponent* s) { FormResize(s); };
    OnClose = [this](TComponent* s, TCloseAction& a) { FormClose(s, a); };
}

TForm1::~TForm1() {
    TEdit::SetSecretCopier(nullptr);
    UnregisterAutoTypeHotkey();
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::BuildControls() {
    Image1 = new TImage(this);
    Image1->SetName("Image1");
    Image1->SetParent(this);
    Image1->SetBounds(207, 0, 393, 400);
    Image1->LoadFromResourceName("IMAGE1");

    SpeedButton1 = new TFramedSpeedButton(this);
    SpeedButton1->SetName("SpeedButton1");
    SpeedButton1->SetParent(this);
    SpeedButton1->SetBounds(240, 370, 65, 24);
    SpeedButton1->SetCaption("Search");
    SpeedButton1->SetFlat(true);
    SpeedButton1->OnClick = [this](TComponent* s) { SpeedButton1Click(s); };

    Image2 = new TImage(this);
    Image2->SetName("Image2");
    Image2->SetParent(this);
    Image2->SetBounds(376, 0, 223, 58);
    Image2->LoadFromResourceName("IMAGE2");
    Image2->SetTransparent(true);
    Image2->SetCursor(TCursor::crHandPoint);
    Image2->SetHint("Visit us!");
    Image2->SetShowHint(true);
    Image2->OnClick = [this](TComponent* s) { Image2Click(s); };

    Bevel1 = new TBevel(this);
    Bevel1->SetName("Bevel1");
    Bevel1->SetParent(this);
    Bevel1->SetBounds(8, 64, 585, 297);
    Bevel1->SetShape(TBevelShape::bsBox);
    Bevel1->SetStyle(TBevelStyle::bsLowered);

    StringGrid1 = new TLeaveNotifyGrid(this);
    StringGrid1->SetName("StringGrid1");
    StringGrid1->SetParent(this);
    StringGrid1->SetBounds(16, 72, 569, 281);
    StringGrid1->SetTabOrder(1);
    StringGrid1->SetColor(clBlack);
    StringGrid1->SetFixedColor(kFixedCellColor);
    StringGrid1->SetGridLineColor(clSilver);
    StringGrid1->SetFixedLineColor(clBlack);
    StringGrid1->SetDefaultRowHeight(24);
    const int designWidths[] = {29, 122, 119, 96, 102, 93};
    for (int c = 0; c < 6; ++c) StringGrid1->SetColWidths(c, designWidths[c]);
    StringGrid1->SetHint("Click to open the address");
    StringGrid1->SetShowHint(false);
    StringGrid1->OnDrawCell = [this](TComponent* s, int c, int r, const RECT& rc, TGridDrawState st) {
        StringGrid1DrawCell(s, c, r, rc, st);
    };
    StringGrid1->OnMouseMove = [this](TComponent* s, TShiftState k, int x, int y) { StringGrid1MouseMove(s, k, x, y); };
    StringGrid1->OnMouseDown = [this](TComponent* s, TMouseButton b, TShiftState k, int x, int y) {
        StringGrid1MouseDown(s, b, k, x, y);
    };
    StringGrid1->OnMouseUp = [this](TComponent* s, TMouseButton b, TShiftState k, int x, int y) {
        StringGrid1MouseUp(s, b, k, x, y);
    };
    StringGrid1->OnClick = [this](TComponent* s) { StringGrid1Click(s); };
    StringGrid1->OnKeyDown = [this](TComponent* s, WORD& k, TShiftState sh) { StringGrid1KeyDown(s, k, sh); };
    StringGrid1->SetSecretColumn(4);
    StringGrid1->OnCellAction = [this](TComponent*, int c, int r) { grid_->ActivateCell(c, r); };

    Edit1 = new TCellEdit(this);
    Edit1->SetName("Edit1");
    Edit1->SetParent(this);
    Edit1->SetBounds(8, 370, 225, 24);
    Edit1->SetTabOrder(0);
    Edit1->SetColor(clWhite);
    Edit1->SetParentFont(false);
    Edit1->Font().Assign(Font());
    Edit1->Font().SetColor(clBlack);
    Edit1->SetHint("Enter text to find; case insensitive");
    Edit1->SetShowHint(true);
    // Enter searches: the Search button is painted, not a stop of Tab.
    Edit1->OnKeyDown = [this](TComponent* s, WORD& key, TShiftState shift) {
        if (key != VK_RETURN || (shift & (ssCtrl | ssAlt))) return;
        key = 0;
        SpeedButton1Click(s);
    };
    Edit1->OnKeyPress = [](TComponent*, char& key) {
        if (key == '\r') key = 0;  // no beep from the box
    };

    StringGridEdit = new TCellEdit(this);
    StringGridEdit->SetName("StringGridEdit");
    StringGridEdit->SetParent(this);
    StringGridEdit->SetVisible(false);
    StringGridEdit->SetBounds(216, 16, 121, kEditorHeight);
    StringGridEdit->SetTabOrder(2);
    StringGridEdit->SetColor(clWhite);
    StringGridEdit->SetParentFont(false);
    StringGridEdit->Font().Assign(Font());
    StringGridEdit->Font().SetColor(clBlack);
    StringGridEdit->OnChange = [this](TComponent* s) { StringGridEditChange(s); };
    StringGridEdit->OnKeyDown = [this](TComponent* s, WORD& k, TShiftState sh) { StringGridEditKeyDown(s, k, sh); };
    grid_ = std::make_unique<GridGestures>(*StringGrid1, *StringGridEdit, *this, lock_, clipboard_);

    BuildLockControls();
    SetActiveControl(StringGrid1);  // first in Tab order is the search box, but the table opens focused

    SaveDialog1 = new TSaveDialog(this);
    SaveDialog1->SetName("SaveDialog1");
    SaveDialog1->SetFileName("baza");
    SaveDialog1->SetFilter("CSV- Comma Separated Values|*.csv|HTML- Hyper Text Mark-up Language|*.htm");
    SaveDialog1->SetOptions(ofOverwritePrompt | ofHideReadOnly | ofEnableSizing);

    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->SetName("OpenDialog1");
}


// ---------------------------------------------------------------- the open vault

void TForm1::SetClipboardDelayForTests(unsigned ms) {
    ClipboardDelay() = ms ? ms : platform::kClipboardClearDelayMs;
}

void TForm1::TableReplaced() {
    Silneszyfrowanie1->SetChecked(StrongProtection());  // a load takes the format from the file
    grid_->TableReplaced();  // an edit left open keeps its cell, unless the row is gone
    StringGrid1->Invalidate();
}

void TForm1::RepaintGrid() { StringGrid1->Invalidate(); }
void TForm1::Terminate() { Application->Terminate(); }
void TForm1::ReportError(const Exception& e) { Application->ShowException(e.Message()); }

void TForm1::LanguageStep() {
    i18n::TranslateComponent(*this);
    WriteOwnCaptions();
    if (i18n::CurrentLanguage() == "pl_PL")
        Polski1->SetChecked(true);
    else
        English1->SetChecked(true);
}


void TForm1::Save() { SaveChecked(); }
void TForm1::Load() { LoadChecked(); }

std::string TForm1::ExportCSV(const std::string& fileName) {
    return velt::ExportCSV(StringGrid1->Store(), fileName);
}

std::string TForm1::ExportHTM(const std::string& fileName) {
    return velt::ExportHTM(StringGrid1->Store(), fileName);
}

void TForm1::PrzetlumaczStringGrida() {
    WriteColumnTitles(StringGrid1->Store(), {ResStr(IDS_COL_NAME), ResStr(IDS_COL_ADDRESS), ResStr(IDS_COL_LOGIN),
                                             ResStr(IDS_COL_PASSWORD), ResStr(IDS_COL_DESCRIPTION)});
    StringGrid1->Invalidate();
}

// ---------------------------------------------------------------- form events

void TForm1::FormCreate(TComponent*) {
    i18n::UseReadableCatalogue([this](const Exception& e) { ReportError(e); });
    ReadSettings();
    StartUp();
}

void TForm1::FormShow(TComponent*) {
    StringGrid1->SetCells(0, 0, kNumberTitle);
    PrzetlumaczStringGrida();
    StringGrid1->OnMouseLeave = [this](TComponent* s) { FormMouseExit(s); };
    StringGridEdit->EditCol = 0;
    StringGridEdit->EditRow = 0;
    Shown();
    StartLockWatch();
    RegisterAutoTypeHotkey();
}

void TForm1::FormResize(TComponent*) {
    const int cw = ClientWidth(), ch = ClientHeight();
    Image2->SetLeft(cw - Image2->Width());
    Image1->SetLeft(cw - Image1->Width());
    Edit1->SetTop(ch - Edit1->Height() - 8);
    SpeedButton1->SetTop(Edit1->Top());
    Bevel1->SetWidth(cw - 16);
    Bevel1->SetHeight(Edit1->Top() - 8 - Bevel1->Top());
    StringGrid1->SetWidth(Bevel1->Width() - 16);
    StringGrid1->SetHeight(Bevel1->Height() - 16);
    StringGrid1->SetDefaultColWidth((StringGrid1->Width() - 32 - 30) / (StringGrid1->ColCount() - 1));
    StringGrid1->SetColWidths(0, 32);
}

void TForm1::FormClose(TComponent*, TCloseAction& action) {
    if (!MayClose()) {
        action = caNone;
        return;
    }
    clipboard_.ClearIfOurs();  // the program ends with this window
    UnregisterAutoTypeHotkey();
}

LRESULT TForm1::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Logging off or shutting down may end the process without the close.
    if (msg == WM_QUERYENDSESSION || (msg == WM_ENDSESSION && wParam)) clipboard_.ClearIfOurs();
    if (LockMessage(msg, wParam)) return msg == WM_POWERBROADCAST ? TRUE : 0;
    if (AutoTypeMessage(msg, wParam, lParam)) return 0;
    return TForm::WndProc(msg, wParam, lParam);
}

// ---------------------------------------------------------------- File menu

void TForm1::Wczytaj1Click(TComponent*) { ReopenCommand(); }
void TForm1::Zapisz1Click(TComponent*) { SaveCommand(); }

void TForm1::Eksportuj1Click(TComponent*) {
    if (!SaveDialog1->Execute(Handle())) return;
    switch (SaveDialog1->FilterIndex()) {
    case 1: ExportCSV(SaveDialog1->FileName()); break;
    case 2: ExportHTM(SaveDialog1->FileName()); break;
    default: break;
    }
}

void TForm1::Importuj1Click(TComponent*) {
    // Text typed in an open editor lands in its cell first: an empty row it
    // was typed into must not be taken for the empty table and replaced.
    CloseEditor(true);
    // Codes are kept only in a strong vault: a compatible one is asked first.
    const auto keepCodes = [this] {
        if (!StrongProtection() && MessageDlg(ResStr(IDS_OTP_IMPORT_ASK), TMsgDlgType::mtConfirmation,
                                              TMsgDlgButtons::mbYesNo) == mrYes)
            Silneszyfrowanie1Click(this);
        return StrongProtection();
    };
    if (!RunImport(Handle(), StringGrid1->Store(), *OpenDialog1, keepCodes)) return;
    // The imported entries are made now.
    if (StrongProtection()) StampMissing(StringGrid1->Store(), Protection().Random(), Protection().Time().UnixNow());
    Modified = true;
    StringGrid1->Invalidate();
}

void TForm1::Zmiehaso1Click(TComponent*) { ChangePasswordCommand(); }
void TForm1::Skasujbaz1Click(TComponent*) { ClearCommand(); }

void TForm1::Silneszyfrowanie1Click(TComponent*) {
    StrongCommand();
    Silneszyfrowanie1->SetChecked(StrongProtection());
}
void TForm1::Wyjd1Click(TComponent*) { Close(); }
void TForm1::Zablokuj1Click(TComponent*) { LockFor(LockPolicy::Trigger::Command); }

// ---------------------------------------------------------------- Additional menu

void TForm1::Generujhaso1Click(TComponent*) { ShowNewPassword(GeneratedKind::Random); }
void TForm1::Generujprostszehaso1Click(TComponent*) { ShowNewPassword(GeneratedKind::Simple); }
void TForm1::Generujhasonumeryczne1Click(TComponent*) { ShowNewPassword(GeneratedKind::Numerical); }

void TForm1::Checkpasswordstrength1Click(TComponent*) {
    if (CheckPassBox) CheckPassBox->ShowModal();
}

void TForm1::Copylogin1Click(TComponent*) {
    // Text typed into the login cell counts as its login.
    CloseEditor(true);
    CopyCell(3, StringGrid1->Row());
}

void TForm1::Passwordhealth1Click(TComponent*) {
    CloseEditor(true);  // the report sees what was just typed
    const int row = ShowPasswordHealth(StringGrid1->Store(), !StrongProtection());
    if (row <= 0 || row >= StringGrid1->RowCount()) return;
    grid_->ShowCell(CellStore::kPasswordColumn, row);
    StringGrid1->SetFocus();  // the next Enter copies the password; screen readers hear the cell
}

void TForm1::Passwordhistory1Click(TComponent*) {
    CloseEditor(true);  // a password just typed is already history
    if (!StrongProtection()) {
        MessageDlg(ResStr(IDS_HISTORY_NEEDS_STRONG), TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK);
        return;
    }
    const int row = StringGrid1->Row();
    if (row < 1 || row >= StringGrid1->RowCount()) return;
    HistoryDialog(StringGrid1->Store(), row, AsteriskPasswords,
                  [this](const std::string& text) { clipboard_.Copy(text, Handle()); })
        .Run();
}

void TForm1::Ustawienia1Click(TComponent*) {
    if (!SettingsCommand(settings_, SettingsPath(ProgramDir), HotkeyNote())) return;
    BackupsToKeep = settings_.keep;
    RegisterAutoTypeHotkey();
}

// ---------------------------------------------------------------- Language menu

void TForm1::Polski1Click(TComponent*) { SwitchLanguage(true); }
void TForm1::English1Click(TComponent*) { SwitchLanguage(false); }

void TForm1::SwitchLanguage(bool polish) {
    Polski1->SetChecked(polish);
    English1->SetChecked(!polish);
    i18n::ChooseLanguage(polish ? "pl" : "en");
    i18n::RetranslateComponent(*this);
    WriteOwnCaptions();
    PrzetlumaczStringGrida();
}

// ---------------------------------------------------------------- About menu, banner

void TForm1::ShellOpenText(const std::string& target) { platform::ShellOpen(Handle(), target); }

void TForm1::Nowawersja1Click(TComponent*) { ShellOpenText(kMakerSite); }
void TForm1::Image2Click(TComponent*) { ShellOpenText(kMakerSite); }
void TForm1::Pomoc2Click(TComponent*) { ShellOpenText(ProgramDir + "help.chm"); }

// ---------------------------------------------------------------- search

void TForm1::SpeedButton1Click(TComponent*) { grid_->Find(Edit1->Text()); }

} // namespace velt
