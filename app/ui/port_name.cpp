#include "app/ui/port_name.h"

#include <QCompleter>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <utility>

namespace cv2 {

namespace {

// The gap a text box keeps between its frame and its text, on either side.
constexpr int kTextGap = 2;

}  // namespace

void ShowPortName(QLabel& label, const QString& name) {
    label.setText(label.fontMetrics().elidedText(name, Qt::ElideLeft, label.width()));
    label.setToolTip(name);
}

PortNameBox::PortNameBox(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    setToolTip(text);
    connect(this, &QLineEdit::textChanged, this, &QWidget::setToolTip);
}

QRect PortNameBox::TextRect() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    return contents.marginsRemoved(textMargins()).adjusted(kTextGap, 0, -kTextGap, 0);
}

QString PortNameBox::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideLeft, TextRect().width());
}

void PortNameBox::focusOutEvent(QFocusEvent* event) {
    editing_ = false;
    QLineEdit::focusOutEvent(event);
}

void PortNameBox::keyPressEvent(QKeyEvent* event) {
    editing_ = true;
    update();
    QLineEdit::keyPressEvent(event);
}

void PortNameBox::mousePressEvent(QMouseEvent* event) {
    const bool first = !std::exchange(editing_, true);
    update();
    QLineEdit::mousePressEvent(event);
    // The first click into the box shows every suggestion; typing narrows them.
    if (first && completer() && completer()->model()->rowCount() > 0) {
        completer()->setCompletionPrefix(QString());
        completer()->complete();
    }
}

void PortNameBox::paintEvent(QPaintEvent* event) {
    const QString shown = shownText();
    if (editing_ || shown == text()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(TextRect(), Qt::AlignLeft | Qt::AlignVCenter, shown);
}

}  // namespace cv2
