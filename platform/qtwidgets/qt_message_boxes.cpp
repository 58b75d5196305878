#include "platform/qtwidgets/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>

namespace cv2 {

namespace {

QMessageBox::Icon ToQtIcon(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Critical:
            return QMessageBox::Critical;
        case BoxIcon::Exclamation:
            return QMessageBox::Warning;
        case BoxIcon::Information:
            return QMessageBox::Information;
        case BoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// The callers break lines with CR (or CR LF); Qt breaks them at LF.
QString LineBreaksForQt(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

}  // namespace

BoxAnswer QtMessageBoxes::Show(const std::string& text, const std::string& title,
                               BoxButtons buttons, BoxIcon icon) {
    const auto standard = buttons == BoxButtons::YesNo
                              ? (QMessageBox::Yes | QMessageBox::No)
                              : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(ToQtIcon(icon), QString::fromStdString(title), LineBreaksForQt(text), standard,
                    QApplication::activeWindow());
    const int answer = box.exec();
    if (buttons == BoxButtons::Ok) return BoxAnswer::Ok;
    return answer == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
}

}  // namespace cv2
