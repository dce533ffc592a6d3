#include "widgets/FocusRingStyle.h"

#include <QApplication>
#include <QFocusFrame>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>

namespace qf {

namespace {

// Controls stand 7 pixels apart in the layouts, so a ring this wide never touches a neighbour.
constexpr int kRingWidth = 3;
constexpr int kDarkWidth = 2;
// Dark blue and white stand 12:1 apart, so each background is at least 3:1 from one of them.
const QColor kDark(0, 48, 128);
const QColor kLight(255, 255, 255);

void fillBand(QPainter& painter, const QRect& outer, int inset, const QColor& colour) {
    QPainterPath band;
    band.setFillRule(Qt::OddEvenFill);
    band.addRect(outer);
    band.addRect(outer.adjusted(inset, inset, -inset, -inset));
    painter.fillPath(band, colour);
}

} // namespace

FocusRingStyle::FocusRingStyle() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        connect(app, &QApplication::focusChanged, this,
                [this](QWidget*, QWidget* now) { follow(now); });
    }
}

void FocusRingStyle::follow(QWidget* focused) {
    if (focused == nullptr || focused->isWindow()) {
        if (frame_) {
            frame_->setWidget(nullptr);
        }
        return;
    }
    if (!frame_) {
        frame_ = new QFocusFrame(focused->window());
    }
    frame_->setWidget(focused);
}

int FocusRingStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                const QWidget* widget) const {
    if (metric == PM_FocusFrameHMargin || metric == PM_FocusFrameVMargin) {
        return kRingWidth;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

int FocusRingStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                              QStyleHintReturn* returnData) const {
    // Above its neighbours, so that a frame or picture beside the control never covers it.
    if (hint == SH_FocusFrame_AboveWidget) {
        return 1;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void FocusRingStyle::drawControl(ControlElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    if (element != CE_FocusFrame) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    painter->save();
    fillBand(*painter, option->rect, kDarkWidth, kDark);
    fillBand(*painter, option->rect.adjusted(kDarkWidth, kDarkWidth, -kDarkWidth, -kDarkWidth),
             kRingWidth - kDarkWidth, kLight);
    painter->restore();
}

} // namespace qf
