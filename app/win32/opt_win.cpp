#include "app/win32/opt_win.h"

#include <string>

#include "app/win32/main_win.h"
#include "platform/message_box.h"
#include "platform/win32/wide_text.h"

namespace cv2 {

namespace {

constexpr double kDesignPoints = 8.0;
constexpr DWORD kStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
// Pixels an option button takes before its text beside its round box.
constexpr int kOptionTextGap = 6;
// Pixels between a caption and the text box it names.
constexpr int kCaptionGap = 3;

RECT InFrame(const Dpi& dpi, const design::Place& frame, const design::Place& control) {
    return TwipsRect(dpi, frame.left + control.left, frame.top + control.top, control.width,
                     control.height);
}

std::string ControlText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return Utf8(text);
}

}  // namespace

OptWin::OptWin(MainWinLogic& mainWin) : mainWin_(mainWin) {
    font_ = DesignFont(dpi_, kDesignPoints);
    boldFont_ = DesignFont(dpi_, kDesignPoints, true);
    // The window opens at its designed size, lower than its frames reach; the
    // user may enlarge it to get at the options below the edge.
    Create(L"CV2SicherungOptWin", design::kOptionsTitle, kStyle, design::kOptWidth,
           design::kOptHeight);
    BuildControls();
}

OptWin::~OptWin() {
    DeleteObject(font_);
    DeleteObject(boldFont_);
}

void OptWin::BuildControls() {
    const Dpi& d = dpi_;
    auto frame = [&](const design::Place& place, int id) {
        MakeControl(hwnd(), L"BUTTON", place.caption, BS_GROUPBOX, TwipsRect(d, place), id, font_);
    };
    frame(design::kFrame3, kFrame3);
    // As wide as the caption needs.
    HWND label = MakeControl(hwnd(), L"STATIC", design::kNummerLabel.caption, SS_LEFT | SS_NOPREFIX,
                             InFrame(d, design::kFrame3, design::kNummerLabel), kLabel1, font_);
    FitToText(label);
    const RECT box = InFrame(d, design::kFrame3, design::kComPortTxT);
    MakeControl(hwnd(), L"EDIT", design::kComPortTxT.caption, ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP,
                box, kComPortTxT, font_, WS_EX_CLIENTEDGE);
    // A caption grown up to the box's left edge moves to the left instead, to
    // keep a gap before the box.
    if (const RECT r = ChildRect(label); r.right > box.left - kCaptionGap) {
        SetWindowPos(label, nullptr, r.left - (r.right - box.left + kCaptionGap), r.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    frame(design::kFrame2, kFrame2);
    for (int i = 0; i < kInterfaceCount; ++i) {
        // Plain option buttons: OptionsLogic keeps the selection, which may
        // also be none or a disabled option.
        HWND option = MakeControl(
            hwnd(), L"BUTTON", design::kUpDevOpt[i].caption, BS_RADIOBUTTON | WS_TABSTOP,
            InFrame(d, design::kFrame2, design::kUpDevOpt[i]), kUpDevOpt + i, font_);
        FitToText(option, GetSystemMetrics(SM_CXMENUCHECK) + kOptionTextGap);
    }
    frame(design::kFrame1, kFrame1);
    for (int i = 0; i < kBaudCount; ++i) {
        MakeControl(hwnd(), L"BUTTON", design::kBdrtOpt[i].caption, BS_RADIOBUTTON | WS_TABSTOP,
                    InFrame(d, design::kFrame1, design::kBdrtOpt[i]), kBdrtOpt + i, font_);
    }
    // Created after Frame2, so it lies over that frame's right part.
    HWND ok = MakeControl(hwnd(), L"BUTTON", design::kOK_But.caption, BS_PUSHBUTTON | WS_TABSTOP,
                          TwipsRect(d, design::kOK_But), kOK_But, boldFont_);
    SetWindowPos(ok, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void OptWin::Open() {
    // Opened from the menu it shows the settings whichever window was active
    // before; the activation that follows finds the same.
    if (!IsWindowVisible(hwnd())) Activate();
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    SetActiveWindow(hwnd());
}

LRESULT OptWin::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            // Activation from another window of the program (not from another
            // program) replaces choices not yet confirmed by the settings.
            if (LOWORD(wParam) != WA_INACTIVE && lParam != 0) Activate();
            if (LOWORD(wParam) != WA_INACTIVE) SetFocus(control(kComPortTxT));
            return 0;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (id == kOK_But && code == BN_CLICKED) {
                OkClicked();
            } else if (id == kComPortTxT && code == EN_CHANGE && !mirroring_) {
                logic_.SetComPortText(ControlText(control(kComPortTxT)));
            } else if (id >= kUpDevOpt && id < kUpDevOpt + kInterfaceCount && code == BN_CLICKED) {
                logic_.ClickInterface(*InterfaceKindAt(id - kUpDevOpt));
                Mirror();
            } else if (id >= kBdrtOpt && id < kBdrtOpt + kBaudCount && code == BN_CLICKED) {
                logic_.SelectBaud(id - kBdrtOpt);
                Mirror();
            }
            return 0;
        }
        case WM_CLOSE:
            // Closing discards what was not confirmed: the settings stay as they were.
            ShowWindow(hwnd(), SW_HIDE);
            mainWin_.OptionsClosed();
            return 0;
        default:
            return NativeWindow::Handle(message, wParam, lParam);
    }
}

void OptWin::Activate() {
    logic_.Activate(mainWin_.settings());
    Mirror();
    mainWin_.OptionsOpened();
}

void OptWin::Mirror() {
    mirroring_ = true;
    for (int i = 0; i < kInterfaceCount; ++i) {
        CheckDlgButton(
            hwnd(), kUpDevOpt + i,
            logic_.selectedInterface() == InterfaceKindAt(i) ? BST_CHECKED : BST_UNCHECKED);
    }
    for (int i = 0; i < kBaudCount; ++i) {
        EnableWindow(control(kBdrtOpt + i), logic_.baudEnabled(i));
        CheckDlgButton(hwnd(), kBdrtOpt + i,
                       logic_.selectedBaud() == i ? BST_CHECKED : BST_UNCHECKED);
    }
    if (ControlText(control(kComPortTxT)) != logic_.comPortText()) {
        SetDlgItemTextW(hwnd(), kComPortTxT, Wide(logic_.comPortText()).c_str());
    }
    mirroring_ = false;
}

void OptWin::OkClicked() {
    if (!mainWin_.ConfirmOptions(logic_)) return;
    ShowWindow(hwnd(), SW_HIDE);
    mainWin_.OptionsClosed();
}

}  // namespace cv2
