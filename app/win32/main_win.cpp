#include "app/win32/main_win.h"

#include "app/twips_to_pixels.h"
#include "app/win32/frm_hinweis.h"
#include "app/win32/opt_win.h"
#include "platform/win32/wide_text.h"

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
    : logic_(*this, settings, comm1, boxes, fileDialog, std::move(settingsPath), std::move(quit)) {
    font_ = DesignFont(dpi_, kDesignPoints);
    boldFont_ = DesignFont(dpi_, kDesignPoints, true);
    Create(L"CV2SicherungMainWin", "", kStyle, design::kMainWidth, design::kMainHeight,
           BuildMenus());
    BuildControls();
    logic_.Start();
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
            logic_.ChooseEnd();
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
            logic_.ClickReadDF();
            break;
        case kWriteDF_But:
            logic_.ClickWriteDF();
            break;
        case kLoad_menu:
            logic_.ChooseFile();
            break;
        case kOpt_menu:
            logic_.ChooseOptions();
            break;
        case kende_menu:
            logic_.ChooseEnd();
            break;
        case kHinweis_menu:
            logic_.ChooseNotice();
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

void MainWin::SetCaption(const std::string& text) { SetWindowTextW(hwnd(), Wide(text).c_str()); }

void MainWin::SetLabel(MainWinLabel label, const std::string& text) {
    // In the order of MainWinLabel.
    static constexpr int kLabelIds[] = {kComPortNrTxt, kBdRtTxt, kDF_FileTxt, kComTxt};
    SetDlgItemTextW(hwnd(), kLabelIds[static_cast<int>(label)], Wide(text).c_str());
}

OptWin& MainWin::ShowOptions() {
    if (!optWin_) optWin_ = std::make_unique<OptWin>(logic_);
    optWin_->Open();
    return *optWin_;
}

void MainWin::OpenNotice() {
    FrmHinweis notice(hwnd());
    notice.RunModal();
}

void MainWin::SetButtonsEnabled(bool enabled) {
    EnableWindow(control(kReadDF_But), enabled);
    EnableWindow(control(kWriteDF_But), enabled);
    if (enabled && GetForegroundWindow() == hwnd() && GetParent(GetFocus()) != hwnd()) {
        SetFocus(control(kReadDF_But));
    }
}

void MainWin::SetDateiMenuEnabled(bool enabled) {
    EnableMenuItem(GetMenu(hwnd()), 0, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    DrawMenuBar(hwnd());
}

void MainWin::SetBarWidth(double twips) {
    barWidth_ = TwipsToPixels(twips, dpi_.x);
    RedrawBar();
}

void MainWin::SetPercentText(const std::string& text) {
    percentText_ = Wide(text);
    RedrawBar();
}

}  // namespace cv2
