#include "app/ui/design_frame.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

namespace cv2 {

namespace {

// The caption starts a little right of the corner and keeps a small gap to
// the line on either side.
constexpr int kCaptionIndent = 6;
constexpr int kCaptionPadding = 2;

}  // namespace

DesignFrame::DesignFrame(const QString& caption, QWidget* parent)
    : QWidget(parent), caption_(caption) {
    KeepControlsInsideBorder();
}

void DesignFrame::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) KeepControlsInsideBorder();
    QWidget::changeEvent(event);
}

void DesignFrame::KeepControlsInsideBorder() {
    setContentsMargins(2, fontMetrics().height() / 2 + 2, 2, 2);
}

QRect DesignFrame::captionRect() const {
    const QFontMetrics metrics = fontMetrics();
    return QRect(kCaptionIndent, 0, metrics.horizontalAdvance(caption_) + 2 * kCaptionPadding,
                 metrics.height());
}

void DesignFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    // An etched border, a dark line with a light one beside it, whose top
    // line runs through the middle of the caption.
    const QRect border = rect().adjusted(0, metrics.height() / 2, -1, -1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(border.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(border.adjusted(1, 1, 0, 0));

    painter.fillRect(captionRect(), palette().window());
    style()->drawItemText(&painter, captionRect(), Qt::AlignCenter, palette(), isEnabled(),
                          caption_, QPalette::WindowText);
}

}  // namespace cv2
