#include "app/ui/frm_hinweis.h"

#include <QPlainTextEdit>

#include "app/ui/twips.h"

namespace cv2 {

namespace {

constexpr int kClientWidth = 6645;
constexpr int kClientHeight = 4485;
constexpr double kTextPointSize = 9.75;

}  // namespace

std::string NoticeText() {
    const std::string crlf = "\r\n";
    const std::string blankLine = crlf + crlf;
    // Within a paragraph the pieces join without a gap: each ends in a blank
    // where the sentence goes on.
    // clang-format off
    return std::string("Es wird nur die aktive (sichtbare) Datenbank auf dem PC gesichert. ")
        + blankLine
        + "Sollen die aktive Datenbank und die Datenbank aus dem Kopierspeicher gesichert werden, "
        + "so muss zunächst die Datensicherung für die aktive Datenbank durchgeführt werden. "
        + blankLine
        + "Nun in der Centrova 2 die aktive Datenbank gegen die Datenbank aus dem Kopierspeicher tauschen "
        + "und erneut eine Datensicherung mit einem neuen Dateinamen durchführen. "
        + blankLine
        + "Durch das Übertragen einer Sicherungsdatei vom PC auf die CV-2 wird die aktive (sichtbare) Datenbank "
        + "überschrieben. Soll auch die zweite Sicherungsdatei vom PC auf die CV-2 übertragen werden, so muss "
        + "zunächst die zuerst übertragene Datenbank in den Kopierspeicher der CV-2 gelegt werden, bevor die zweite Sicherungsdatei übertragen wird. "
        + blankLine
        + "Es werden keine Sonderoptionen gesichert.";
    // clang-format on
}

FrmHinweis::FrmHinweis(QWidget* owner) : QDialog(owner) {
    setObjectName("frmHinweis");
    setWindowTitle("Hinweis");
    setModal(true);
    resize(TwipsX(*this, kClientWidth), TwipsY(*this, kClientHeight));

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName("Text1");
    Text1->setGeometry(TwipsRect(*this, 0, 0, 6615, 4455));
    QFont font("MS Sans Serif");
    font.setPointSizeF(kTextPointSize);
    Text1->setFont(font);
    Text1->setReadOnly(true);
    // The text keeps its CR LF line breaks; the editor shows each as one break.
    Text1->setPlainText(QString::fromStdString(NoticeText()));
}

}  // namespace cv2
