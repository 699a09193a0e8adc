#include "plantlist.h"

#include "herbsearch.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

PlantList::PlantList(QWidget *parent)
    : QListWidget(parent)
{
    setAttribute(Qt::WA_InputMethodEnabled); // names typed with an input method arrive whole
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, &PlantList::chooseBestMatch);

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
    const bool paused = !m_sinceLastKey.isValid()
            || m_sinceLastKey.elapsed() > QApplication::keyboardInputInterval();
    m_sinceLastKey.start();
    if (paused)
        m_typed.clear();
    m_typed += search;
    if (m_typed.trimmed().isEmpty()) {
        m_typed.clear();
        return;
    }
    const QList<int> matches = findHerbs(m_typed);
    m_pause.stop();
    if (matches.size() == 1)
        chooseBestMatch();
    else if (!matches.isEmpty())
        m_pause.start(QApplication::keyboardInputInterval());
}

// Chooses what the text typed so far names, as a click would. The same search repeated steps on
// to the next plant it names.
void PlantList::chooseBestMatch()
{
    m_pause.stop();
    const QList<int> matches = findHerbs(m_typed);
    if (matches.isEmpty())
        return;
    int next = 0;
    const QList<QListWidgetItem *> chosen = selectedItems();
    if (m_typed == m_lastSearch && !chosen.isEmpty())
        next = (matches.indexOf(row(chosen.first())) + 1) % matches.size();
    m_lastSearch = m_typed;
    setCurrentRow(matches[next]);
}

void PlantList::endSearch()
{
    m_pause.stop();
    m_typed.clear();
    m_sinceLastKey.invalidate();
}

void PlantList::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        // A pasted name is whole: it chooses at once.
        endSearch();
        m_typed = QApplication::clipboard()->text().trimmed();
        chooseBestMatch();
        endSearch();
        event->accept();
        return;
    }
    const bool searching = m_pause.isActive()
            || (m_sinceLastKey.isValid()
                && m_sinceLastKey.elapsed() <= QApplication::keyboardInputInterval());
    const bool plain = event->modifiers() == Qt::NoModifier;
    if (event->key() == Qt::Key_Space && plain && searching) {
        keyboardSearch(event->text()); // a blank between syllables
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
    const bool firstMove = plain
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
