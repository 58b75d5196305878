#include "app/ui/shots/screenshots.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include "app/procedure_texts.h"
#include "app/restore_procedure.h"
#include "app/ui/main_win.h"
#include "device/device.h"
#include "device/error_text.h"
#include "platform/qtwidgets/qt_message_boxes.h"
#include "transfer/file_layout.h"

namespace cv2 {

namespace {

// Space around the title in its bar, in pixels.
constexpr int kTitlePadding = 4;

// A window drawn offscreen has no frame: a plain title bar above it says
// which window it is, as the window manager's frame would.
QImage WithTitleBar(const QPixmap& content, const QString& title) {
    const QFontMetrics metrics(QApplication::font());
    const int bar = metrics.height() + 2 * kTitlePadding;
    QImage image(content.width(), content.height() + bar, QImage::Format_RGB32);
    image.fill(QApplication::palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.fillRect(0, 0, image.width(), bar, QApplication::palette().color(QPalette::Highlight));
    painter.setPen(QApplication::palette().color(QPalette::HighlightedText));
    painter.drawText(QRect(kTitlePadding, 0, image.width() - 2 * kTitlePadding, bar),
                     Qt::AlignVCenter | Qt::AlignLeft, title);
    painter.drawPixmap(0, bar, content);
    return image;
}

// Shows a box through the program's own message boxes and saves it, with its
// title, as soon as it is on screen; then closes it as if a button had been pressed.
bool SaveBox(const QDir& dir, const char* name, const std::string& text, const char* title,
             BoxButtons buttons, BoxIcon icon) {
    bool saved = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box) return;
        saved = WithTitleBar(box->grab(), box->windowTitle()).save(dir.filePath(name));
        static_cast<QDialog*>(box)->done(0);
    });
    QtMessageBoxes().Show(text, title, buttons, icon);
    return saved;
}

// The status line text a backup shows when half the file is written: the text
// of the last section up to there that has one.
std::string_view BackupTextAt(std::int32_t offset) {
    std::string_view text;
    for (std::size_t i = 0; i < kFileLayout.size() && SectionOffset(i) <= offset; ++i) {
        if (!kFileLayout[i].backupText.empty()) text = kFileLayout[i].backupText;
    }
    return text;
}

}  // namespace

bool RenderProcedureScreenshots(const QDir& dir, MainWin& mainWin) {
    // A backup half-way: buttons off, status line and bar where the run would be.
    const std::int32_t halfway = kProgressTotal / 2;
    mainWin.logic().settings().BackupFileName = "/home/anlage/Anlage.CDF";
    mainWin.logic().ShowSettings();
    mainWin.logic().DisableButtons();
    mainWin.logic().SetComTxt(std::string(BackupTextAt(halfway)));
    mainWin.logic().progress().ResetProgress();
    mainWin.logic().progress().AddBytes(halfway);
    mainWin.show();
    QApplication::processEvents();
    bool ok = mainWin.grab().save(dir.filePath("MainWin-backup.png"));
    mainWin.logic().progress().ResetProgress();
    mainWin.logic().progress().SetProgress(0);
    mainWin.logic().SetComTxt("");
    mainWin.logic().EnableButtons();
    mainWin.logic().settings().BackupFileName.clear();
    mainWin.logic().ShowSettings();

    ok = SaveBox(dir, "restore-question.png", kOverwriteQuestion, kOverwriteQuestionTitle,
                 BoxButtons::YesNo, BoxIcon::None) &&
         ok;
    ok = SaveBox(dir, "restore-other-station.png", kOtherStationQuestion, kOtherStationTitle,
                 BoxButtons::YesNo, BoxIcon::Critical) &&
         ok;
    // No answer from the station when the backup asks for its serial number.
    constexpr StatusCode kSerialNumberNoAnswer =
        Code(Step::SerialNumber, Kind::Message, Detail::NoAnswer);
    ok = SaveBox(dir, "backup-failure.png", ErrorText(kSerialNumberNoAnswer), kBackupFailureTitle,
                 BoxButtons::Ok, BoxIcon::Critical) &&
         ok;
    return ok;
}

}  // namespace cv2
