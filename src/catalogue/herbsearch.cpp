#include "herbsearch.h"

#include "herbcatalogue.h"
#include "herbsearchindex.h"

bool HerbSearch::type(const QString &piece)
{
    if (m_text.isEmpty() && piece.trimmed().isEmpty())
        return false;
    const QString grown = m_text + m_repeat + piece;
    const QString again = m_repeat + piece;
    // Text that names nothing, but is the search typed once more, steps on when complete.
    if (!m_found.isEmpty() && m_text.startsWith(again)
        && HerbSearchIndex::instance().find(grown).isEmpty()) {
        m_repeat = again;
        return m_repeat != m_text || stepOn();
    }
    find(grown);
    if (!m_found.isEmpty() && m_text == m_lastText) { // the last search, typed anew
        m_index = (m_lastIndex + 1) % m_found.size();
        m_settled = true;
    }
    return true;
}

bool HerbSearch::erase()
{
    if (!m_repeat.isEmpty()) {
        m_repeat.chop(1);
        return true;
    }
    if (m_text.isEmpty())
        return false;
    m_text.chop(1);
    if (m_text.trimmed().isEmpty())
        m_text.clear();
    find(m_text);
    return true;
}

bool HerbSearch::stepOn()
{
    if (m_text.isEmpty() && !m_lastText.isEmpty()) {
        find(m_lastText);
        m_index = m_lastIndex;
    }
    if (m_found.isEmpty())
        return false;
    m_repeat.clear();
    m_index = (m_index + 1) % m_found.size();
    m_settled = true;
    return true;
}

void HerbSearch::pause()
{
    if (!m_text.isEmpty()) {
        // A search that named nothing leaves nothing to step on from.
        m_lastText = m_found.isEmpty() ? QString() : m_text;
        m_lastIndex = m_index;
    }
    find(QString());
}

bool HerbSearch::clear()
{
    const bool any = !m_text.isEmpty() || !m_lastText.isEmpty();
    find(QString());
    m_lastText.clear();
    return any;
}

QString HerbSearch::tip() const
{
    const QString text = m_text.trimmed();
    if (text.isEmpty())
        return {};
    if (m_found.isEmpty())
        return text + QStringLiteral(" → 没有找到");
    const QString name = HerbCatalogue::entryAt(HerbNumber(chosen() + 1))->name();
    if (m_found.size() == 1)
        return QStringLiteral("%1 → %2").arg(text, name);
    return QStringLiteral("%1 %2/%3 → %4").arg(text).arg(m_index + 1).arg(m_found.size()).arg(name);
}

void HerbSearch::find(const QString &text)
{
    m_text = text;
    m_repeat.clear();
    m_found = text.isEmpty() ? QList<int>() : HerbSearchIndex::instance().find(text);
    m_index = 0;
    m_settled = m_found.size() == 1;
}
