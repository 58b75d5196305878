#include "app/ui/frm_hinweis.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QStringList>
#include <QTextDocument>
#include <cmath>

#include "app/ui/program_icon.h"
#include "app/ui/twips.h"

namespace cv2 {

namespace {

constexpr int kClientWidth = design::kHinweisWidth;
constexpr int kClientHeight = design::kHinweisHeight;
constexpr int kTextWidth = design::kText1Width;
constexpr int kTextHeight = design::kText1Height;
// The text was written for a 9.75-point font; smaller sizes are tried down to
// the smallest that still reads well.
constexpr double kDesignPointSize = design::kText1Points;
constexpr double kSmallestPointSize = 7.0;
constexpr double kPointSizeStep = 0.25;
// The designed font first; then the common sans-serif families of a Linux
// desktop, the narrower before the wider.
const char* const kFamilies[] = {"MS Sans Serif", "Liberation Sans", "Nimbus Sans", "Noto Sans",
                                 "DejaVu Sans"};

bool Fits(const QFont& font, const QString& text, const QSize& area) {
    const QFontMetricsF metrics(font);
    const QRectF needed =
        metrics.boundingRect(QRectF(0, 0, area.width(), 1e6), Qt::TextWordWrap, text);
    return needed.width() <= area.width() && needed.height() <= area.height();
}

// The largest size, from the designed one down, at which a family at hand
// shows the whole text, wrapped at words, inside area; the designed family
// first, the fallback's last.
QFont NoticeFont(const QString& text, const QSize& area, const QFont& fallback) {
    QStringList families;
    for (const char* family : kFamilies) {
        if (QFontDatabase::hasFamily(family)) families << family;
    }
    families << fallback.family();
    QFont font = fallback;
    for (double size = kDesignPointSize; size >= kSmallestPointSize; size -= kPointSizeStep) {
        font.setPointSizeF(size);
        for (const QString& family : families) {
            font.setFamily(family);
            if (Fits(font, text, area)) return font;
        }
    }
    // Nothing fits: the smallest size in the first family, and the box scrolls.
    font.setFamily(families.front());
    return font;
}

}  // namespace

FrmHinweis::FrmHinweis(QWidget* owner) : QDialog(owner) {
    setObjectName("frmHinweis");
    setWindowTitle("Hinweis");
    setWindowIcon(ProgramIcon());
    setModal(true);
    resize(TwipsX(*this, kClientWidth), TwipsY(*this, kClientHeight));

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName("Text1");
    Text1->setGeometry(TwipsRect(*this, 0, 0, kTextWidth, kTextHeight));
    Text1->setReadOnly(true);
    // The text keeps its CR LF line breaks; the editor shows each as one break.
    const QString text = QString::fromStdString(NoticeText());
    Text1->setPlainText(text);
    // The designed font is rarely there: the font is the largest one that shows
    // the whole text in the designed box, without the need to scroll.
    const int margin = static_cast<int>(std::ceil(Text1->document()->documentMargin()));
    const QSize area =
        Text1->contentsRect().marginsRemoved({margin, margin, margin, margin}).size();
    Text1->setFont(NoticeFont(QString(text).replace("\r\n", "\n"), area, Text1->font()));
}

void FrmHinweis::resizeEvent(QResizeEvent* event) {
    // The text box keeps its designed distance to the window's right and bottom edges.
    Text1->resize(event->size().width() - TwipsX(*this, kClientWidth - kTextWidth),
                  event->size().height() - TwipsY(*this, kClientHeight - kTextHeight));
    QDialog::resizeEvent(event);
}

}  // namespace cv2
