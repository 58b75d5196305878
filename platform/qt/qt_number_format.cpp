#include <QLocale>

#include "platform/number_format.h"

namespace cv2 {

std::string LocaleNumber(double value) {
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15).toStdString();
}

}  // namespace cv2
