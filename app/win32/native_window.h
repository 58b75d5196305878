// A top-level window of the program on the Win32 API, with what its windows
// share: the system's resolution, the design fonts, controls placed in twips,
// and labels that grow to the text the system's font draws.
#pragma once

#include <windows.h>

#include <string>

#include "app/window_design.h"

namespace cv2 {

// The screen's resolution in dots per inch: the system's, for a program
// marked system-DPI aware, else 96.
struct Dpi {
    int x = 96, y = 96;
};
Dpi SystemDpi();

// A control's rectangle (left, top, width, height in twips) in pixels.
RECT TwipsRect(const Dpi& dpi, int left, int top, int width, int height);
inline RECT TwipsRect(const Dpi& dpi, const design::Place& place) {
    return TwipsRect(dpi, place.left, place.top, place.width, place.height);
}

// The font the windows were designed in: "MS Sans Serif" at points size.
HFONT DesignFont(const Dpi& dpi, double points, bool bold = false);

// A child control of kind className with its text (UTF-8) and font.
HWND MakeControl(HWND parent, const wchar_t* className, const std::string& text, DWORD style,
                 const RECT& rect, int id, HFONT font, DWORD exStyle = 0);

// The size the control's text takes in its font: on one line, or, with
// wrapWidth above 0, broken at words into lines that wide (centred or not).
SIZE TextExtent(HWND control, int wrapWidth = 0, bool centred = true);

// A one-line label (or option button, whose box takes extra room before the
// text) is widened to its whole text when the font drawn is wider than designed.
void FitToText(HWND control, int extra = 0);

// A centred label whose words wrap: when its text needs more lines than its
// height holds, it grows sideways about its centre up to [minLeft, maxRight],
// then downwards.
void FitWrapped(HWND label, int minLeft, int maxRight);

// The controls' rectangle in its parent's client coordinates.
RECT ChildRect(HWND control);

class NativeWindow {
public:
    NativeWindow() = default;
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;
    virtual ~NativeWindow();

    HWND hwnd() const { return hwnd_; }
    const Dpi& dpi() const { return dpi_; }

protected:
    // Creates the window hidden, with a client area of the size in twips.
    void Create(const wchar_t* className, const std::string& caption, DWORD style,
                int clientWidthTwips, int clientHeightTwips, HMENU menu = nullptr,
                HWND owner = nullptr);
    virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    Dpi dpi_ = SystemDpi();

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// Keyboard navigation of the program's windows (Tab between controls, space
// and Enter on buttons): true when msg was handled so.
bool NavigationMessage(MSG& msg);

}  // namespace cv2
