#include "accessiblewidgets.h"

#include <QAccessibleWidget>
#include <QToolButton>

namespace {

// A tool button as a push button, pressed in while checked.
class ToolButton : public QAccessibleWidget
{
public:
    explicit ToolButton(QToolButton *button)
        : QAccessibleWidget(button, QAccessible::Button)
    { }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Description ? widget()->accessibleDescription()
                                             : QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = button()->isCheckable();
        state.checked = button()->isChecked();
        state.pressed = button()->isDown() || button()->isChecked();
        return state;
    }

    QStringList actionNames() const override
    {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    QToolButton *button() const { return static_cast<QToolButton *>(widget()); }
};

QAccessibleInterface *accessibleWidget(const QString &className, QObject *object)
{
    if (className == QLatin1String("QToolButton")) {
        return new ToolButton(static_cast<QToolButton *>(object));
    } else if (className == QLatin1String("PhotoBox")) {
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
    } else if (className == QLatin1String("Form1")) {
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    }
    return nullptr;
}

} // namespace

void installAccessibleWidgets()
{
    QAccessible::installFactory(accessibleWidget);
}
