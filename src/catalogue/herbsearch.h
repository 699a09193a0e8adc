#pragma once

#include <QList>
#include <QString>

// One search in the plant list as the reader types it: the text so far, the plants it names
// (best first, see HerbSearchIndex::find) and which of them it chooses. It knows nothing of
// time: the list calls pause() when typing has stopped long enough that the next key starts a
// new search.
//
// The same search again steps on to the next plant it names, wrapping round: stepOn() (Enter),
// the same text typed anew after a pause, or typed once more straight after itself ("bh" "bh").
// Text that names nothing leaves the choice where it was.
class HerbSearch
{
public:
    // Adds typed text: a character, or a whole text committed by an input method or pasted.
    // False when it changes nothing (blanks before any text).
    bool type(const QString &piece);
    // Backspace: the text loses its last character. False when there is none.
    bool erase();
    // The next plant the search names, after a pause the last search's. False when none.
    bool stepOn();
    // Typing has paused: the next text typed starts a new search, which steps on from this one
    // when it is the same text.
    void pause();
    // Forgets this search and the last one. False when there was nothing to forget.
    bool clear();

    QString text() const { return m_text; }
    // The list position the search chooses; -1 when it names nothing.
    int chosen() const { return m_found.value(m_index, -1); }
    // Whether the choice is certain (the text names one plant, or a step was asked for) rather
    // than the best of several, which the list chooses only when typing pauses.
    bool isSettled() const { return m_settled; }
    // What the reader sees: "bohe → 薄荷", "止咳 3/14 → 虎杖", "xq → 没有找到"; empty when
    // nothing has been typed.
    QString tip() const;

private:
    void find(const QString &text);

    QString m_text;
    QString m_repeat; // what has been typed of the same text again
    QList<int> m_found;
    qsizetype m_index = 0;
    bool m_settled = false;
    QString m_lastText; // the search before the pause, and what it chose
    qsizetype m_lastIndex = -1;
};
