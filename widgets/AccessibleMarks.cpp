#include "widgets/AccessibleMarks.h"

#include "widgets/AccessibleSlider.h"
#include "widgets/AccessibleStatus.h"

#include <QAccessible>
#include <QLabel>
#include <QScrollBar>

namespace qf {

namespace {

const char* const kMark = "qfAccessibleMark";
const char* const kScale = "qfSliderScale";
enum class Mark { Slider = 1, Picture, Status };

void mark(QObject* object, Mark kind, QAccessible::Role role) {
    object->setProperty(kMark, static_cast<int>(kind));
    // With a screen reader listening, a widget's first change (a value or a name set while it
    // is made) already had Qt make and keep its own interface; that one is dropped, so the next
    // question gets the marked one.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(object);
        made != nullptr && made->role() != role) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
}

} // namespace

void AccessibleMarks::markSlider(QScrollBar* bar, SliderReading::Scale scale) {
    install();
    bar->setProperty(kScale, static_cast<int>(scale));
    mark(bar, Mark::Slider, QAccessible::Slider);
    // The value in words is the description, so a reader that keeps descriptions hears of it.
    QObject::connect(bar, &QScrollBar::valueChanged, bar, [bar] {
        if (QAccessible::isActive()) {
            QAccessibleEvent changed(bar, QAccessible::DescriptionChanged);
            QAccessible::updateAccessibility(&changed);
        }
    });
}

void AccessibleMarks::markPicture(QLabel* label) {
    install();
    mark(label, Mark::Picture, QAccessible::Graphic);
}

void AccessibleMarks::markStatus(QLabel* label) {
    install();
    mark(label, Mark::Status, QAccessible::StatusBar);
}

void AccessibleMarks::install() {
    static const bool installed = [] {
        QAccessible::installFactory(&AccessibleMarks::create);
        return true;
    }();
    (void)installed;
}

QAccessibleInterface* AccessibleMarks::create(const QString&, QObject* object) {
    const QVariant marked = object != nullptr ? object->property(kMark) : QVariant();
    if (!marked.isValid()) {
        return nullptr;
    }
    switch (static_cast<Mark>(marked.toInt())) {
    case Mark::Slider:
        if (auto* bar = qobject_cast<QScrollBar*>(object)) {
            const auto scale = static_cast<SliderReading::Scale>(bar->property(kScale).toInt());
            return new AccessibleSlider(bar, SliderReading(scale));
        }
        return nullptr;
    case Mark::Picture:
        if (auto* label = qobject_cast<QLabel*>(object)) {
            return new QAccessibleWidget(label, QAccessible::Graphic);
        }
        return nullptr;
    case Mark::Status:
        if (auto* label = qobject_cast<QLabel*>(object)) {
            return new AccessibleStatus(label);
        }
        return nullptr;
    }
    return nullptr;
}

} // namespace qf
