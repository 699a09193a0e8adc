#pragma once

#include <QElapsedTimer>
#include <QListWidget>
#include <QTimer>

// The plant list (List1). Its own type-to-find also knows each plant's pinyin, in full or as
// initials, and its other names, typed key by key, committed by an input method or pasted. A
// plant is chosen as soon as what was typed names only it, otherwise the best match is chosen
// when typing pauses, so one search makes one choice. With nothing chosen, the first Up, Down or
// Space chooses the name under the focus (at start-up the first plant) instead of passing it.
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
    void chooseBestMatch();
    void endSearch();

    QString m_typed; // what has been typed since the last pause
    QString m_lastSearch; // the search that made the last choice, to step on when repeated
    QElapsedTimer m_sinceLastKey;
    QTimer m_pause;

    // Tells a click on the already chosen name from a click that changed the choice.
    int m_selectionChanges = 0;
    int m_selectionChangesAtPress = -1;
};
