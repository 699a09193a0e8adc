#include "plantlist.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QToolTip>

namespace {

// Typing goes on, however slowly, while each key follows the last within this time; the tip
// stays as long.
constexpr int kTypingPauseMs = 1500;

} // namespace

PlantList::PlantList(QWidget *parent)
    : QListWidget(parent)
{
    setAttribute(Qt::WA_InputMethodEnabled); // names typed with an input method arrive whole
    m_choicePause.setSingleShot(true);
    m_typingPause.setSingleShot(true);
    m_typingPause.setInterval(kTypingPauseMs);
    connect(&m_choicePause, &QTimer::timeout, this, [this] {
        chooseFound();
        showTip();
    });
    connect(&m_typingPause, &QTimer::timeout, this, [this] {
        if (m_choicePause.isActive())
            chooseFound();
        m_search.pause();
        hideTip();
    });

    // A choice moved by mouse, keys or search changes the selection; a click on the name already
    // chosen does not, so the click itself counts when its press changed nothing. (The release
    // that ends a double click brings no second click.)
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        ++m_selectionChanges;
        emit plantChosen();
    });
    connect(this, &QAbstractItemView::clicked, this, [this] {
        if (m_selectionChanges == m_selectionChangesAtPress)
            emit plantChosen();
    });
}

// Called for each typed character and each text an input method commits.
void PlantList::keyboardSearch(const QString &search)
{
    if (!search.isEmpty() && search.front().isPrint() && m_search.type(search))
        searchChanged();
}

// After each change of the search: a certain choice (or one asked for) is made at once, the best
// of several when typing pauses; the tip says what was typed and what it found.
void PlantList::searchChanged(bool chooseNow)
{
    m_typingPause.start();
    m_choicePause.stop();
    if (chooseNow || m_search.isSettled())
        chooseFound();
    else if (m_search.chosen() >= 0)
        m_choicePause.start(QApplication::keyboardInputInterval());
    showTip();
}

// Moves the selection to the plant the search names, as a click would, unless it is there.
void PlantList::chooseFound()
{
    m_choicePause.stop();
    const int row = m_search.chosen();
    if (row >= 0 && !(row == currentRow() && item(row)->isSelected()))
        setCurrentRow(row);
}

// Qt's own tool tip, beside the chosen name (or the list's top) at the list's right edge. It is
// a label with the tool tip's accessible role, so screen readers are told when it shows or
// changes.
void PlantList::showTip()
{
    const QString tip = m_search.tip();
    if (tip.isEmpty()) {
        hideTip();
        return;
    }
    m_tip = tip;
    const QRect chosen = visualItemRect(currentItem()) & viewport()->rect();
    const QPoint place(viewport()->width(), chosen.isEmpty() ? 0 : chosen.top());
    // It goes when typing pauses (m_typingPause); the time given here is only a backstop.
    QToolTip::showText(viewport()->mapToGlobal(place), m_tip, this, QRect(), 2 * kTypingPauseMs);
}

void PlantList::hideTip()
{
    if (QToolTip::isVisible() && QToolTip::text() == m_tip)
        QToolTip::hideText();
    m_tip.clear();
}

void PlantList::endSearch()
{
    m_choicePause.stop();
    m_typingPause.stop();
    m_search.clear();
    hideTip();
}

// The keys that edit or repeat a search. False for every other key.
bool PlantList::searchKey(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        // A pasted text is whole: a search of its own, whose choice is made at once.
        m_search.pause();
        if (m_search.type(QApplication::clipboard()->text().simplified()))
            searchChanged(true);
        return true;
    }
    switch (event->key()) {
    case Qt::Key_Space: // a blank between syllables, while typing
        if (event->modifiers() != Qt::NoModifier || !m_typingPause.isActive())
            return false;
        keyboardSearch(QStringLiteral(" "));
        return true;
    case Qt::Key_Backspace:
        if (!m_search.erase())
            return false;
        searchChanged();
        return true;
    case Qt::Key_Escape:
        if (m_search.text().isEmpty() && m_tip.isEmpty())
            return false;
        endSearch();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!m_search.stepOn())
            return false;
        searchChanged(true);
        return true;
    default:
        return false;
    }
}

void PlantList::keyPressEvent(QKeyEvent *event)
{
    if (searchKey(event)) {
        event->accept();
        return;
    }
    const bool printable = !event->text().isEmpty() && event->text().front().isPrint()
            && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    const bool modifierOnly = event->key() == Qt::Key_Shift || event->key() == Qt::Key_Control
            || event->key() == Qt::Key_Alt || event->key() == Qt::Key_AltGr
            || event->key() == Qt::Key_Meta || event->key() == Qt::Key_CapsLock;
    if ((!printable && !modifierOnly) || event->key() == Qt::Key_Space)
        endSearch(); // a key that moves or acts ends the search
    const bool firstMove = event->modifiers() == Qt::NoModifier
            && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down
                || event->key() == Qt::Key_Space);
    if (firstMove && !selectionModel()->hasSelection() && count() > 0) {
        const QModelIndex first = currentIndex().isValid() ? currentIndex() : model()->index(0, 0);
        // The focus moves onto the name it rests on, so that screen readers are told of this
        // choice as of every later one.
        selectionModel()->clearCurrentIndex();
        setCurrentIndex(first);
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void PlantList::mousePressEvent(QMouseEvent *event)
{
    endSearch();
    m_selectionChangesAtPress = m_selectionChanges;
    QListWidget::mousePressEvent(event);
}

void PlantList::focusOutEvent(QFocusEvent *event)
{
    endSearch();
    QListWidget::focusOutEvent(event);
}
