#pragma once

#include <QPixmap>
#include <QPushButton>

namespace qf {

// A push button whose face is a picture with the caption drawn over it. The face is drawn
// unscaled and centred, so a face larger than the button is cropped evenly on every side.
class PictureButton final : public QPushButton {
    Q_OBJECT
public:
    PictureButton(const QString& caption, const QPixmap& face, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap face_;
};

} // namespace qf
