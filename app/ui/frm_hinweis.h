// The notice window: what a backup covers and how to back up and restore both
// databases of the station. Modal, owned by the main window, text only.
#pragma once

#include <QDialog>

#include "app/main_win_texts.h"

class QPlainTextEdit;

namespace cv2 {

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
