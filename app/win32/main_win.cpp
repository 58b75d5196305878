#include "app/win32/main_win.h"

#include "app/file_choice.h"
#include "app/main_win_texts.h"
#include "app/twips_to_pixels.h"
#include "app/win32/frm_hinweis.h"
#include "app/win32/opt_win.h"
#include "platform/number_format.h"
#include "platform/serial_control.h"
#include "platform/win32/wide_text.h"
#include "settings/settings_file.h"

namespace cv2 {

namespace {

constexpr double kDesignPoints = 8.0;
constexpr COLORREF kBarColour = RGB(0x5b, 0x8f, 0xd9);
// Fixed size: the controls do not move with the window.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

struct Label {
    int id;
    const design::Place& place;
};

const Label kLabels[] = {
    {MainWin::kLabel4, design::kLabel4}, {MainWin::kComPortNrTxt, design::kComPortNrTxt},
    {MainWin::kLabel5, design::kLabel5}, {MainWin::kBdRtTxt, design::kBdRtTxt},
    {MainWin::kLabel3, design::kLabel3}, {MainWin::kDF_FileTxt, design::kDF_FileTxt},
    {MainWin::kComTxt, design::kComTxt},
};

}  // namespace

MainWin::MainWin(Settings& settings, SerialControl& comm1, MessageBoxes& boxes,
                 FileDialog& fileDialog, std::string settingsPath, std::function<void()> quit)
    : settings_(settings),
      comm1_(comm1),
      boxes_(boxes),
      fileDialog_(fileDialog),
      settingsPath_(std::move(settingsPath)),
      quit_(std::move(quit)) {
    font_ = DesignFont(dpi_, kDesignPoints);
    boldFont_ = DesignFont(dpi_, kDesignPoints, true);
    Create(L"CV2SicherungMainWin", "", kStyle, design::kMainWidth, design::kMainHeight,
           BuildMenus());
    BuildControls();

    // Start-up: empty bar, caption with the version, settings read and shown.
    progress_.SetProgress(0);
    SetWindowTextW(
        hwnd(),
        Wide(MainWinCaption(CV2_VERSION_MAJOR, CV2_VERSION_MINOR, CV2_VERSION_PATCH)).c_str());
    LoadSettingsAtStart(settingsPath_, settings_, boxes_);
    ShowSettings();
}

MainWin::~MainWin() {
    optWin_.reset();
    DeleteObject(font_);
    DeleteObject(boldFont_);
}

HMENU MainWin::BuildMenus() {
    HMENU bar = CreateMenu();
    Datei_menu = CreatePopupMenu();
    AppendMenuW(Datei_menu, MF_STRING, kLoad_menu, L"Datei");
    AppendMenuW(Datei_menu, MF_STRING, kOpt_menu, L"Optionen");
    AppendMenuW(Datei_menu, MF_STRING, kende_menu, L"Beenden");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(Datei_menu), L"Datei");
    // A top-level entry without items: choosing it opens the notice window.
    AppendMenuW(bar, MF_STRING, kHinweis_menu, L"Hinweis");
    return bar;
}

void MainWin::BuildControls() {
    for (const Label& label : kLabels) {
        HWND control = MakeControl(hwnd(), L"STATIC", label.place.caption, SS_LEFT | SS_NOPREFIX,
                                   TwipsRect(dpi_, label.place), label.id, font_);
        // The captions keep their whole text in the font the system draws; the
        // value labels are set later and cut at their designed width.
        if (label.id == kLabel4 || label.id == kLabel5 || label.id == kLabel3) FitToText(control);
    }
    HWND hint = MakeControl(hwnd(), L"STATIC", design::kLabel1.caption, SS_CENTER | SS_NOPREFIX,
                            TwipsRect(dpi_, design::kLabel1), kLabel1, boldFont_);
    const int margin = TwipsToPixels(design::kLeftMargin, dpi_.x);
    FitWrapped(hint, margin, TwipsToPixels(design::kMainWidth, dpi_.x) - margin);

    // Created in tab order: ReadDF_But first.
    MakeControl(hwnd(), L"BUTTON", design::kReadDF_But.caption, BS_PUSHBUTTON | WS_TABSTOP,
                TwipsRect(dpi_, design::kReadDF_But), kReadDF_But, font_);
    MakeControl(hwnd(), L"BUTTON", design::kWriteDF_But.caption, BS_PUSHBUTTON | WS_TABSTOP,
                TwipsRect(dpi_, design::kWriteDF_But), kWriteDF_But, font_);
}

void MainWin::Show(int showCommand) {
    ShowWindow(hwnd(), showCommand);
    UpdateWindow(hwnd());
    SetFocus(control(kReadDF_But));
}

LRESULT MainWin::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            Command(LOWORD(wParam));
            return 0;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ACTIVATE:
            // The focus goes back to the control that had it, or to the first button.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && GetParent(focus) == hwnd()) lastFocus_ = focus;
            } else {
                HWND target =
                    lastFocus_ && IsWindowEnabled(lastFocus_) ? lastFocus_ : control(kReadDF_But);
                if (IsWindowEnabled(target)) SetFocus(target);
            }
            return 0;
        case WM_CLOSE:
            // Every close request ends the program; nothing cancels it.
            SaveSettingsAndQuit();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam && onEndSession) onEndSession();
            return 0;
        default:
            return NativeWindow::Handle(message, wParam, lParam);
    }
}

void MainWin::Command(int id) {
    switch (id) {
        case kReadDF_But:
            guard_.Run(onReadDF);
            break;
        case kWriteDF_But:
            guard_.Run(onWriteDF);
            break;
        case kLoad_menu:
            LoadMenu();
            break;
        case kOpt_menu:
            // The restore leaves this menu usable; its settings must not change under it.
            if (!guard_.running()) ShowOptions();
            break;
        case kende_menu:
            SaveSettingsAndQuit();
            break;
        case kHinweis_menu:
            ShowNotice();
            break;
        default:
            break;
    }
}

void MainWin::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd(), &paint);
    // A line along the top edge of the client area, longer than the window is wide.
    RECT line{0, 0, TwipsToPixels(design::kLineLength, dpi_.x), 1};
    FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    // The bar over its white background, and the percentage over both.
    const RECT background = TwipsRect(dpi_, design::kProzBalkenWeiss);
    FillRect(dc, &background, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT bar = background;
    bar.right = bar.left + barWidth_;
    HBRUSH barBrush = CreateSolidBrush(kBarColour);
    FillRect(dc, &bar, barBrush);
    DeleteObject(barBrush);
    RECT text = TwipsRect(dpi_, design::kProzTxt);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, font_);
    DrawTextW(dc, percentText_.c_str(), static_cast<int>(percentText_.size()), &text,
              DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
    SelectObject(dc, old);
    EndPaint(hwnd(), &paint);
}

void MainWin::RedrawBar() {
    RECT area = TwipsRect(dpi_, design::kProzBalkenWeiss);
    InvalidateRect(hwnd(), &area, FALSE);
}

void MainWin::ShowSettings() {
    SetDlgItemTextW(hwnd(), kBdRtTxt, std::to_wstring(settings_.BaudRate).c_str());
    SetDlgItemTextW(hwnd(), kComPortNrTxt, Wide(settings_.ComPort.ToText()).c_str());
    SetDlgItemTextW(hwnd(), kDF_FileTxt, Wide(FileNamePart(settings_.BackupFileName)).c_str());
}

void MainWin::SaveSettingsAndQuit() {
    // A file that cannot be written does not keep the program from ending.
    SaveSettings(settingsPath_, settings_);
    if (quit_) quit_();
}

void MainWin::OptionsClosed() {
    if (!guard_.running()) EnableButtons();
}

OptWin& MainWin::ShowOptions() {
    if (!optWin_) optWin_ = std::make_unique<OptWin>(settings_, *this);
    optWin_->Open();
    return *optWin_;
}

void MainWin::ShowNotice() {
    FrmHinweis notice(hwnd());
    notice.RunModal();
}

void MainWin::DisableButtons() {
    EnableWindow(control(kReadDF_But), FALSE);
    EnableWindow(control(kWriteDF_But), FALSE);
}

void MainWin::EnableButtons() {
    EnableWindow(control(kReadDF_But), TRUE);
    EnableWindow(control(kWriteDF_But), TRUE);
    // A disabled button lost the focus; the keyboard finds the first one again.
    if (GetForegroundWindow() == hwnd() && GetParent(GetFocus()) != hwnd()) {
        SetFocus(control(kReadDF_But));
    }
}

void MainWin::SetDateiMenuEnabled(bool enabled) {
    EnableMenuItem(GetMenu(hwnd()), 0, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    DrawMenuBar(hwnd());
}

void MainWin::ClosePort() {
    if (comm1_.PortOpen()) comm1_.SetPortOpen(false);
}

void MainWin::SetComTxt(const std::string& text) {
    SetDlgItemTextW(hwnd(), kComTxt, Wide(text).c_str());
}

void MainWin::LoadMenu() {
    // A cancel gives the empty name, which clears the file in use.
    LoadMenuFileChoice(fileDialog_, settings_);
    SetDlgItemTextW(hwnd(), kDF_FileTxt, Wide(FileNamePart(settings_.BackupFileName)).c_str());
}

std::string MainWin::FormatNumber(double value) { return LocaleNumber(value); }

void MainWin::SetBarWidth(double twips) {
    barWidth_ = TwipsToPixels(twips, dpi_.x);
    RedrawBar();
}

double MainWin::BackgroundWidth() const { return design::kProzBalkenWeiss.width; }

void MainWin::SetPercentText(const std::string& text) {
    percentText_ = Wide(text);
    RedrawBar();
}

}  // namespace cv2
