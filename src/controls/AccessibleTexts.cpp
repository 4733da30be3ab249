// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/AccessibleTexts.h"

#include "controls/ASswitch.h"
#include "controls/ControlsAccessible.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "controls/RXSlider.h"

#include <QEvent>
#include <QLabel>
#include <QWidget>

namespace {

// The owner's texts, a child of the control so they go with it. What they say changes with the
// owner's state, which the control shows by repainting; so at each repaint, while assistive
// technology listens, a changed text is announced (the round button turning from Start to Stop).
class TAccessibleTexts : public QObject {
public:
    explicit TAccessibleTexts(QWidget* control) : QObject(control), control_(control) {
        control->installEventFilter(this);
    }
    std::function<QString()> Name;
    std::function<QString()> Description;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == control_ && event->type() == QEvent::Paint && QAccessible::isActive()) {
            Announce(Name, name_, QAccessible::NameChanged);
            Announce(Description, description_, QAccessible::DescriptionChanged);
        }
        return false;
    }

private:
    void Announce(const std::function<QString()>& text, QString& said, QAccessible::Event what) {
        if (!text) return;
        QString now = text();
        if (now == said) return;
        said = std::move(now);
        QAccessibleEvent changed(control_, what);
        QAccessible::updateAccessibility(&changed);
    }

    QWidget* control_;
    QString name_;
    QString description_;
};

TAccessibleTexts* TextsOf(const QWidget& control) {
    for (QObject* child : control.children())
        if (auto* texts = dynamic_cast<TAccessibleTexts*>(child)) return texts;
    return nullptr;
}

QString WithoutMnemonic(QString text) {
    return text.remove(QLatin1Char('&')).simplified();
}

QAccessibleInterface* Factory(const QString& key, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    if (auto* knob = qobject_cast<TASSwitcher*>(object)) return SwitchAccessible(knob);
    if (auto* slider = qobject_cast<TRxCustomSlider*>(object)) return SliderAccessible(slider);
    if (auto* edit = qobject_cast<TCustomNumEdit*>(object)) return NumEditAccessible(edit);
    if (auto* button = qobject_cast<TImgBtn*>(object)) return ImgBtnAccessible(button);
    // The picture lives in a library of its own; it is known by its class name.
    if (key == QLatin1String("TDXPaintBox") || key == QLatin1String("TCustomDXPaintBox"))
        return PictureAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

void InstallControlsAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(&Factory);
}

void SetAccessibleTexts(QWidget& control, std::function<QString()> name,
                        std::function<QString()> description) {
    TAccessibleTexts* texts = TextsOf(control);
    if (!texts) texts = new TAccessibleTexts(&control);
    texts->Name = std::move(name);
    texts->Description = std::move(description);
}

QString AccessibleNameOf(const QWidget& control) {
    if (const TAccessibleTexts* texts = TextsOf(control); texts && texts->Name)
        return texts->Name();
    if (!control.accessibleName().isEmpty()) return control.accessibleName();
    if (const QWidget* parent = control.parentWidget()) {
        for (const QLabel* label :
             parent->findChildren<const QLabel*>(QString(), Qt::FindDirectChildrenOnly))
            if (label->buddy() == &control) return WithoutMnemonic(label->text());
    }
    return {};
}

QString AccessibleDescriptionOf(const QWidget& control) {
    if (const TAccessibleTexts* texts = TextsOf(control); texts && texts->Description)
        return texts->Description();
    if (!control.accessibleDescription().isEmpty()) return control.accessibleDescription();
    // Tooltips are written with line breaks where they wrap; read aloud they are one sentence.
    return control.toolTip().simplified();
}

TControlAccessible::TControlAccessible(QWidget* control, QAccessible::Role role)
    : QAccessibleWidget(control, role) {}

QString TControlAccessible::text(QAccessible::Text t) const {
    switch (t) {
    case QAccessible::Name:
        return AccessibleNameOf(*widget());
    case QAccessible::Description:
        return AccessibleDescriptionOf(*widget());
    default:
        return QAccessibleWidget::text(t);
    }
}
