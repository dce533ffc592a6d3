#pragma once

#include <QPointer>
#include <QProxyStyle>

class QFocusFrame;

namespace qf {

// The desktop's own style, with one change: the control that holds the keyboard focus gets a
// ring drawn around it, outside its edges, in two colours far apart in lightness (a dark band
// outside a light line). Whatever the control sits on, light frame or dark picture, one of the
// two stands out from it, and no control loses any of its own pixels to the mark. Desktop
// styles draw no focus mark at all on scroll bars and only faint ones on pictures and boxes.
class FocusRingStyle final : public QProxyStyle {
    Q_OBJECT
public:
    // Wraps the desktop's default style; follows the focus as soon as the application exists.
    FocusRingStyle();

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;

private:
    void follow(QWidget* focused);

    // Lives in the window of the control it rings, so it goes when that window goes.
    QPointer<QFocusFrame> frame_;
};

} // namespace qf
