// A frame as the windows were designed with it: an etched border whose caption
// sits on its top line, and controls placed at fixed offsets from its top-left
// corner. The contents rectangle is what lies inside the border, below its top line.
#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

namespace cv2 {

class DesignFrame : public QWidget {
    Q_OBJECT
public:
    DesignFrame(const QString& caption, QWidget* parent);

    const QString& caption() const { return caption_; }
    // Where the caption interrupts the top line; no control lies there.
    QRect captionRect() const;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void KeepControlsInsideBorder();

    QString caption_;
};

}  // namespace cv2
