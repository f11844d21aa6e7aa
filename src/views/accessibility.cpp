#include "views/accessibility.h"

#include "build_config.h"
#include "views/focus_button.h"
#include "views/progress_ring.h"
#include "views/ringing_overlay.h"

#include <QAccessibleApplication>
#include <QAccessibleWidget>
#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

// A painted button: a push button, a check box when it toggles (the
// switches), or a radio button when it is one choice of an exclusive group.
class ButtonAccessible final : public QAccessibleWidget {
public:
    explicit ButtonAccessible(FocusButton* button) : QAccessibleWidget(button, QAccessible::Button) {}

    QAccessible::Role role() const override
    {
        if (button()->isChoice())
            return QAccessible::RadioButton;
        return button()->isCheckable() ? QAccessible::CheckBox : QAccessible::Button;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->isDown();
        if (button()->isCheckable()) {
            s.checkable = true;
            s.checked = button()->isChecked();
        }
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        const QString s = QAccessibleWidget::text(t);
        return t == QAccessible::Name && s.isEmpty() ? button()->text() : s;
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& name) override
    {
        if (name == pressAction()) {
            if (button()->isEnabled() && button()->isVisible() && !covered())
                button()->click();
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    FocusButton* button() const { return static_cast<FocusButton*>(widget()); }

    // Under the ringing card nothing can be pressed, by any means.
    bool covered() const
    {
        const auto cards = button()->window()->findChildren<RingingOverlay*>();
        return std::any_of(cards.begin(), cards.end(), [this](RingingOverlay* card) {
            return card->isVisible() && !card->isAncestorOf(button());
        });
    }
};

// The ring: its name says the remaining time and the state; its value is
// how much of the countdown has passed, in percent.
class RingAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit RingAccessible(ProgressRing* ring) : QAccessibleWidget(ring, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QVariant currentValue() const override
    {
        return accessibility::percentOf(static_cast<ProgressRing*>(widget())->state().progress);
    }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return 100.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 1.0; }
};

// A top-level window of ours: a frame named as people know the application.
class WindowAccessible final : public QAccessibleWidget {
public:
    explicit WindowAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return accessibility::windowName(widget());
        return QAccessibleWidget::text(t);
    }
};

// The settings popover opens as a popup, which Qt leaves out of the
// application's children; it is a dialog of the application here.
class PopoverAccessible final : public QAccessibleWidget {
public:
    explicit PopoverAccessible(QWidget* popover) : QAccessibleWidget(popover, QAccessible::Dialog) {}

    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(qApp); }
};

// Plain widgets keep Qt's generic interface, except one painted text (the
// target length) that reads as text. Decided on each call: the interface is
// made before the widget has its object name.
class PlainAccessible final : public QAccessibleWidget {
public:
    explicit PlainAccessible(QWidget* widget) : QAccessibleWidget(widget) {}

    QAccessible::Role role() const override
    {
        return widget()->objectName() == QLatin1String("target.length") ? QAccessible::StaticText
                                                                        : QAccessibleWidget::role();
    }
};

QList<QWidget*> openPopovers()
{
    QList<QWidget*> open;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("SettingsPopover") && w->isVisible())
            open.append(w);
    return open;
}

// The application with its open settings popover among its windows.
class ApplicationAccessible final : public QAccessibleApplication {
public:
    int childCount() const override { return QAccessibleApplication::childCount() + int(openPopovers().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const int windows = QAccessibleApplication::childCount();
        if (index < windows)
            return QAccessibleApplication::child(index);
        const QList<QWidget*> popovers = openPopovers();
        return index - windows < popovers.size() ? QAccessible::queryAccessibleInterface(popovers[index - windows])
                                                 : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const int at = QAccessibleApplication::indexOfChild(child);
        if (at >= 0 || !child)
            return at;
        const qsizetype popover = openPopovers().indexOf(qobject_cast<QWidget*>(child->object()));
        return popover < 0 ? -1 : QAccessibleApplication::childCount() + int(popover);
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (object == qApp && className == QLatin1String("QApplication"))
        return new ApplicationAccessible;
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("FocusButton"))
        return new ButtonAccessible(static_cast<FocusButton*>(widget));
    if (className == QLatin1String("ProgressRing"))
        return new RingAccessible(static_cast<ProgressRing*>(widget));
    if (className == QLatin1String("RingingOverlay"))
        return new QAccessibleWidget(widget, QAccessible::AlertMessage);
    if (className == QLatin1String("MainWindow") || className == QLatin1String("AboutWindow"))
        return new WindowAccessible(widget);
    if (className == QLatin1String("SettingsPopover"))
        return new PopoverAccessible(widget);
    if (className == QLatin1String("QWidget"))
        return new PlainAccessible(widget);
    return nullptr;
}

void installEarly()
{
    accessibility::install();
}
}  // namespace

// Before main, for the application object: an interface, once made for an
// object, is kept for its life.
Q_CONSTRUCTOR_FUNCTION(installEarly)

namespace accessibility {

void install()
{
    // The factory installed last is asked first; Qt's own one for widgets
    // comes with the application object and would answer for plain widgets.
    QAccessible::removeFactory(factory);
    QAccessible::installFactory(factory);
}

void setName(QWidget* widget, const QString& name)
{
    if (widget->accessibleName() != name)
        widget->setAccessibleName(name);
}

void setDescription(QWidget* widget, const QString& description)
{
    if (widget->accessibleDescription() != description)
        widget->setAccessibleDescription(description);
}

double percentOf(double fraction)
{
    return std::round(fraction * 100.0);
}

QString displayName()
{
    return QString::fromUtf8(*lumora::build::kDisplayName ? lumora::build::kDisplayName : lumora::build::kAppName);
}

QString windowName(const QWidget* window)
{
    QString title = window->windowTitle();
    if (title.isEmpty())
        return displayName();
    return title.replace(QString::fromUtf8(lumora::build::kAppName), displayName());
}

}  // namespace accessibility
