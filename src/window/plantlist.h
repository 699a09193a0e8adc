#pragma once

#include "herbsearch.h"

#include <QListWidget>
#include <QTimer>

// The plant list (List1). Its own type-to-find knows each plant's names, pinyin, Latin name,
// family, genus, parts used and medicinal value (see HerbSearchIndex), typed key by key at any
// speed, committed by an input method or pasted. What was typed and what it found shows in a
// tool tip beside the list, which goes when typing stops. A plant is chosen as soon as the text
// names only it, otherwise the best match is chosen when typing pauses; Enter or the same text
// again steps on to the next match, Backspace edits the text and Escape clears it. Each choice
// moves the selection as a click would. With nothing chosen, the first Up, Down or Space
// chooses the name under the focus (at start-up the first plant) instead of passing it.
// Every choice is announced once by plantChosen(): a change of the selection by mouse, keys or
// search, and a click on the name already chosen.
class PlantList : public QListWidget
{
    Q_OBJECT

public:
    explicit PlantList(QWidget *parent = nullptr);

    void keyboardSearch(const QString &search) override;

signals:
    void plantChosen();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool searchKey(QKeyEvent *event);
    void searchChanged(bool chooseNow = false);
    void chooseFound();
    void showTip();
    void hideTip();
    void endSearch();

    HerbSearch m_search;
    QTimer m_choicePause; // the best of several matches is chosen when typing pauses this long
    QTimer m_typingPause; // after this, the next key starts a new search and the tip goes
    QString m_tip; // the tip last shown

    // Tells a click on the already chosen name from a click that changed the choice.
    int m_selectionChanges = 0;
    int m_selectionChangesAtPress = -1;
};
