#include "app/win32/native_window.h"

#include <algorithm>

#include "app/twips_to_pixels.h"
#include "platform/win32/wide_text.h"

namespace cv2 {

namespace {

constexpr double kPointsPerInch = 72.0;
// The program's icon in its resources.
constexpr int kIconResource = 1;

}  // namespace

Dpi SystemDpi() {
    Dpi dpi;
    if (HDC screen = GetDC(nullptr)) {
        dpi.x = GetDeviceCaps(screen, LOGPIXELSX);
        dpi.y = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    return dpi;
}

RECT TwipsRect(const Dpi& dpi, int left, int top, int width, int height) {
    const int x = TwipsToPixels(left, dpi.x), y = TwipsToPixels(top, dpi.y);
    return RECT{x, y, x + TwipsToPixels(width, dpi.x), y + TwipsToPixels(height, dpi.y)};
}

HFONT DesignFont(const Dpi& dpi, double points, bool bold) {
    const int height = -static_cast<int>(points * dpi.y / kPointsPerInch + 0.5);
    return CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
}

HWND MakeControl(HWND parent, const wchar_t* className, const std::string& text, DWORD style,
                 const RECT& rect, int id, HFONT font, DWORD exStyle) {
    HWND control = CreateWindowExW(
        exStyle, className, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
        rect.right - rect.left, rect.bottom - rect.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

SIZE TextExtent(HWND control, int wrapWidth, bool centred) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT box{0, 0, wrapWidth > 0 ? wrapWidth : 0, 0};
    UINT format = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS;
    if (wrapWidth <= 0) {
        format |= DT_SINGLELINE;
    } else {
        format |= DT_WORDBREAK | (centred ? DT_CENTER : DT_LEFT);
    }
    DrawTextW(dc, text.c_str(), length, &box, format);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return SIZE{box.right - box.left, box.bottom - box.top};
}

RECT ChildRect(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void FitToText(HWND control, int extra) {
    const RECT r = ChildRect(control);
    const int needed = TextExtent(control).cx + extra;
    if (needed > r.right - r.left) {
        SetWindowPos(control, nullptr, 0, 0, needed, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void FitWrapped(HWND label, int minLeft, int maxRight) {
    RECT r = ChildRect(label);
    const int centre = (r.left + r.right) / 2;
    const int widest = 2 * std::min(centre - minLeft, maxRight - centre);
    int width = r.right - r.left;
    // Wider by a few pixels at a time until the lines fit the designed height.
    constexpr int kStep = 4;
    while (TextExtent(label, width).cy > r.bottom - r.top && width + kStep <= widest) {
        width += kStep;
    }
    const int height = std::max<int>(r.bottom - r.top, TextExtent(label, width).cy);
    SetWindowPos(label, nullptr, centre - width / 2, r.top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

NativeWindow::~NativeWindow() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void NativeWindow::Create(const wchar_t* className, const std::string& caption, DWORD style,
                          int clientWidthTwips, int clientHeightTwips, HMENU menu, HWND owner) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExW(instance, className, &windowClass)) {
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconResource));
        windowClass.hIconSm = static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = className;
        RegisterClassExW(&windowClass);
    }
    RECT frame{0, 0, TwipsToPixels(clientWidthTwips, dpi_.x),
               TwipsToPixels(clientHeightTwips, dpi_.y)};
    AdjustWindowRectEx(&frame, style, menu != nullptr, 0);
    CreateWindowExW(0, className, Wide(caption).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                    frame.right - frame.left, frame.bottom - frame.top, owner, menu, instance,
                    this);
}

LRESULT NativeWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK NativeWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* window =
            static_cast<NativeWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<NativeWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return window ? window->Handle(message, wParam, lParam)
                  : DefWindowProcW(hwnd, message, wParam, lParam);
}

bool NavigationMessage(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (!root || !GetWindowLongPtrW(root, GWLP_USERDATA)) return false;
    // Only the keys that move between controls and press buttons; the menu keys
    // (F10, Alt) go their own way.
    if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR && msg.message != WM_KEYUP)
        return false;
    return IsDialogMessageW(root, &msg) != FALSE;
}

}  // namespace cv2
