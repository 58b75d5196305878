#include "platform/qtwidgets/qt_file_dialog.h"

#include <QApplication>
#include <QFileDialog>

namespace cv2 {

std::string QtFileDialog::Show(FileDialogMode mode, const std::string& title,
                               const std::string& presetName, const std::string& filterDescription,
                               const std::string& filterPattern) {
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(title));
    dialog.setAcceptMode(mode == FileDialogMode::Open ? QFileDialog::AcceptOpen
                                                      : QFileDialog::AcceptSave);
    // Any name is accepted in both modes: the open dialog does not insist on
    // an existing file, the save dialog does not ask before overwriting.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // Qt takes the patterns from the parentheses at the end of the filter text.
    QString filter = QString::fromStdString(filterDescription);
    const QString pattern = QString::fromStdString(filterPattern);
    if (!filter.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')'))) {
        filter += QLatin1String(" (") + pattern + QLatin1Char(')');
    }
    dialog.setNameFilter(filter);
    if (!presetName.empty()) dialog.selectFile(QString::fromStdString(presetName));
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? std::string() : files.first().toStdString();
}

}  // namespace cv2
