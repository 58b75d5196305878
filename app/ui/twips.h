// Window layouts are designed in twips (1/1440 inch); this converts them to
// pixels at the screen's logical resolution, horizontally and vertically.
#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>

#include "app/twips_to_pixels.h"
#include "app/window_design.h"

namespace cv2 {

inline int TwipsX(const QWidget& w, double twips) { return TwipsToPixels(twips, w.logicalDpiX()); }
inline int TwipsY(const QWidget& w, double twips) { return TwipsToPixels(twips, w.logicalDpiY()); }

// A control's rectangle (left, top, width, height in twips) in pixels.
inline QRect TwipsRect(const QWidget& w, int left, int top, int width, int height) {
    return QRect(TwipsX(w, left), TwipsY(w, top), TwipsX(w, width), TwipsY(w, height));
}
inline QRect TwipsRect(const QWidget& w, const design::Place& place) {
    return TwipsRect(w, place.left, place.top, place.width, place.height);
}

// The captions were sized for a small, narrow font: 8 points, semi-condensed,
// so that they fit their boxes.
inline void UseDesignFont(QWidget& w) {
    constexpr int kPointSize = 8;
    QFont font = w.font();
    font.setPointSize(kPointSize);
    font.setStretch(QFont::SemiCondensed);
    w.setFont(font);
}

}  // namespace cv2
