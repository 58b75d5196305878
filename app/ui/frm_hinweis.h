// The notice window: what a backup covers and how to back up and restore both
// databases of the station. Modal, owned by the main window, text only.
#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace cv2 {

// The notice text, UTF-8, lines broken by CR LF: five paragraphs.
std::string NoticeText();

class FrmHinweis : public QDialog {
    Q_OBJECT
public:
    explicit FrmHinweis(QWidget* owner);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QPlainTextEdit* Text1;
};

}  // namespace cv2
