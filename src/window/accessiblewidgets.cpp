#include "accessiblewidgets.h"

#include <QAccessibleWidget>
#include <QLineEdit>
#include <QToolButton>

namespace {

// A read-only text box: its text can be read, selected and searched, not edited.
class ReadOnlyText : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit ReadOnlyText(QLineEdit *box)
        : QAccessibleWidget(box, QAccessible::EditableText)
    { }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.selectableText = true;
        return state;
    }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? box()->text() : QAccessibleWidget::text(t);
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && box()->hasSelectedText()) {
            *startOffset = box()->selectionStart();
            *endOffset = box()->selectionEnd();
        }
    }
    int selectionCount() const override { return box()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override
    {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex == 0)
            box()->deselect();
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0)
            box()->setSelection(startOffset, endOffset - startOffset);
    }
    int cursorPosition() const override { return box()->cursorPosition(); }
    void setCursorPosition(int position) override { box()->setCursorPosition(position); }
    QString text(int startOffset, int endOffset) const override
    {
        return startOffset > endOffset ? QString()
                                       : box()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(box()->text().size()); }

    // Measured from the caret, whose place already counts the margins and how far the text is
    // scrolled.
    QRect characterRect(int offset) const override
    {
        const QString all = box()->text();
        if (offset < 0 || offset >= all.size())
            return QRect();
        const QFontMetrics metrics = box()->fontMetrics();
        const QRect caret = box()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int x = caret.x() - metrics.horizontalAdvance(all.left(box()->cursorPosition()))
                + metrics.horizontalAdvance(all.left(offset));
        const QRect local(x, caret.y(), metrics.horizontalAdvance(all.mid(offset, 1)),
                          caret.height());
        return QRect(box()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return box()->cursorPositionAt(box()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        box()->setCursorPosition(endIndex);
        box()->setCursorPosition(startIndex);
    }
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return QString();
    }

private:
    QLineEdit *box() const { return static_cast<QLineEdit *>(widget()); }
};

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
    if (className == QLatin1String("QLineEdit")) {
        auto *box = static_cast<QLineEdit *>(object);
        if (box->isReadOnly() && box->echoMode() == QLineEdit::Normal)
            return new ReadOnlyText(box);
    } else if (className == QLatin1String("QToolButton")) {
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
