#include "app/win32/frm_hinweis.h"

#include "app/main_win_texts.h"

namespace cv2 {

namespace {

// The text was written for a 9.75-point font; where the system draws it wider,
// smaller sizes are tried down to the smallest that still reads well.
constexpr double kDesignPoints = design::kText1Points;
constexpr double kSmallestPoints = 7.0;
constexpr double kPointsStep = 0.25;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

}  // namespace

FrmHinweis::FrmHinweis(HWND owner) : owner_(owner) {
    font_ = DesignFont(dpi_, kDesignPoints);
    Create(L"CV2SicherungFrmHinweis", "Hinweis", kStyle, design::kHinweisWidth,
           design::kHinweisHeight, nullptr, owner);
    // Read-only, with a scroll bar for a text that does not fit even so. The
    // text keeps its CR LF line breaks, which the box shows as line breaks.
    HWND text = MakeControl(hwnd(), L"EDIT", NoticeText(),
                            ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                            TwipsRect(dpi_, 0, 0, design::kText1Width, design::kText1Height),
                            kText1, font_, WS_EX_CLIENTEDGE);
    FitFont(text);
}

void FrmHinweis::FitFont(HWND text) {
    // The box's formatting rectangle: inside its border, margins and scroll bar.
    RECT area;
    SendMessageW(text, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    const int width = area.right - area.left, height = area.bottom - area.top;
    for (double points = kDesignPoints; points >= kSmallestPoints; points -= kPointsStep) {
        HFONT font = DesignFont(dpi_, points);
        SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        const SIZE needed = TextExtent(text, width, false);
        if (needed.cy <= height && needed.cx <= width) {
            DeleteObject(font_);
            font_ = font;
            return;
        }
        DeleteObject(font);
    }
    // Nothing fits: the designed size, and the box scrolls.
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

FrmHinweis::~FrmHinweis() { DeleteObject(font_); }

void FrmHinweis::RunModal() {
    if (owner_) EnableWindow(owner_, FALSE);
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    MSG msg;
    while (!closed_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (NavigationMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // The owner first, so the activation goes back to it rather than to another program.
    if (owner_) EnableWindow(owner_, TRUE);
    ShowWindow(hwnd(), SW_HIDE);
    if (owner_) SetForegroundWindow(owner_);
}

LRESULT FrmHinweis::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            closed_ = true;
            return 0;
        case WM_CTLCOLORSTATIC:
            // The read-only text on white, as in a text box that takes input.
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) closed_ = true;  // Escape
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) SetFocus(control(kText1));
            return 0;
        default:
            return NativeWindow::Handle(message, wParam, lParam);
    }
}

}  // namespace cv2
