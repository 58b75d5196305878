// Port names in boxes designed for a COM port number: a device path such as
// /dev/ttyUSB0 is told apart by its end, so a name too long for its box shows
// its end behind an ellipsis ("…/ttyUSB0"), and the whole name as a tooltip.
#pragma once

#include <QLineEdit>
#include <QString>

class QLabel;

namespace cv2 {

// Shows the port name in the label, elided at the left to the label's width.
void ShowPortName(QLabel& label, const QString& name);

// A text box for the port name. Once the user clicks into it or types, it
// behaves as any text box until it loses the focus; before that (also with the
// focus it gets when its window opens) it shows the name elided at the left.
// The first click shows all of its completer's suggestions.
class PortNameBox : public QLineEdit {
    Q_OBJECT
public:
    PortNameBox(const QString& text, QWidget* parent);

    // What the box shows while it is not being edited.
    QString shownText() const;

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect TextRect() const;

    bool editing_ = false;
};

}  // namespace cv2
