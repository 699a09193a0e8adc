// Choosing a plant in the real window by click, re-click, double click and keys: the photo is
// read anew, then the nine fact boxes are written in order; a choice that names no row. The first
// Up, Down or Space chooses the first plant; the list's type-to-find, typed key by key at any
// speed, committed by an input method or pasted, shows in a tool tip what was typed and what it
// found, and makes one choice per plant found. The fact boxes: the book's text can be selected and
// copied but not changed, with a context menu in Chinese.

#include "bookwindow.h"
#include "photobox.h"
#include "qttranslations.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QToolTip>

// Keys typed by name: Enter, Backspace, Escape, Down and Up.
const QHash<QChar, Qt::Key> kNamedKeys {{u'\n', Qt::Key_Return},
                                        {u'\b', Qt::Key_Backspace},
                                        {u'\x1b', Qt::Key_Escape},
                                        {u'↓', Qt::Key_Down},
                                        {u'↑', Qt::Key_Up}};

class TestWindowSelection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setKeyboardInputInterval(200); } // shorter pauses
    void init()
    {
        m_book = std::make_unique<BookWindow>();
        QVERIFY(m_book->ready());
    }
    void cleanup() { m_book.reset(); }

    void choosing_data()
    {
        QTest::addColumn<int>("before"); // the row chosen first, -1 for none
        QTest::addColumn<int>("action"); // a key, or 0: click, -1: double click, -2: Ctrl+click
        QTest::addColumn<int>("lowest"); // the rows the choice may land on, -1 for none
        QTest::addColumn<int>("highest");
        QTest::newRow("click") << -1 << 0 << 5 << 5;
        QTest::newRow("click the chosen name") << 5 << 0 << 5 << 5;
        QTest::newRow("double click on the chosen name") << 7 << -1 << 7 << 7;
        QTest::newRow("Ctrl+click takes the choice away") << 13 << -2 << -1 << -1;
        QTest::newRow("Down") << 5 << int(Qt::Key_Down) << 6 << 6;
        QTest::newRow("End") << 5 << int(Qt::Key_End) << 132 << 132;
        QTest::newRow("PageDown") << 5 << int(Qt::Key_PageDown) << 6 << 132;
    }
    void choosing()
    {
        QFETCH(int, before);
        QFETCH(int, action);
        QFETCH(int, lowest);
        QFETCH(int, highest);
        BookWindow &book = *m_book;
        auto *picture = static_cast<PhotoBox *>(book.picture);
        if (before >= 0)
            book.click(before);
        // The photos appear only now and the boxes hold a reader's edits: the choice must read
        // its photo anew and rewrite all nine boxes.
        const QByteArray photo = encoded(solid(QSize(40, 30), Qt::red), "PNG");
        for (const QString &name : HerbCatalogue::displayNames())
            QVERIFY(book.writePhoto(name, photo));
        for (QLineEdit *box : std::as_const(book.boxes))
            box->setText(QStringLiteral("x"));

        QStringList effects;
        connect(picture, &PhotoBox::photoShown, this, [&](const QString &path) {
            effects << QFileInfo(path).fileName() << book.texts(); // no box written before it
        });
        for (QLineEdit *box : std::as_const(book.boxes))
            connect(box, &QLineEdit::textChanged, this, [&, box] { effects << box->objectName(); });
        const QImage shown = picture->grab().toImage();

        if (action > 0)
            QTest::keyClick(book.list, Qt::Key(action));
        else if (action == -2)
            book.click(before, Qt::ControlModifier); // position -1: no row, nothing read or written
        else
            book.click(lowest, {}, action == -1);

        const int row = book.form.herbNumber() - 1;
        QVERIFY2(row >= lowest && row <= highest, qPrintable(QString::number(row)));
        if (row < 0) {
            QVERIFY(book.list->selectedItems().isEmpty());
            QCOMPARE(effects, QStringList());
            QCOMPARE(book.texts(), QStringList(9, QStringLiteral("x")));
            QCOMPARE(picture->grab().toImage(), shown);
            return;
        }
        QCOMPARE(book.list->selectedItems(), QList {book.list->item(row)});
        QStringList expected {book.list->item(row)->text() + ".jpg"};
        expected << QStringList(9, QStringLiteral("x"));
        for (QLineEdit *box : std::as_const(book.boxes))
            expected << box->objectName();
        QCOMPARE(effects, expected);
        QCOMPARE(book.texts(), book.composed(row + 1));
        QCOMPARE(book.boxes[8]->cursorPosition(), 0); // long values show from their start
        QTRY_VERIFY(near(picture->picture().pixelColor(0, 0), Qt::red));
    }

    void choosingFromTheList_data()
    {
        QTest::addColumn<QString>("how"); // keys (one by one), commit (input method) or paste
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("times"); // searches, with a pause between them
        QTest::addColumn<int>("keyGap"); // ms between two keys
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("tip");
        const auto row = [](const char *tag, const char *how, const char *text, int times,
                            const char *chosen, const char *tip, int keyGap = 0) {
            QTest::newRow(tag) << QString::fromUtf8(how) << QString::fromUtf8(text) << times
                               << keyGap << QString::fromUtf8(chosen) << QString::fromUtf8(tip);
        };
        row("first Down", "keys", "↓", 1, "艾", "");
        row("first Up", "keys", "↑", 1, "艾", "");
        row("first Space", "keys", " ", 1, "艾", "");
        row("Down, Down", "keys", "↓", 2, "白梨", "");
        row("full pinyin", "keys", "bohe", 1, "薄荷", "bohe → 薄荷");
        row("a slow typist", "keys", "bohe", 1, "薄荷", "bohe → 薄荷", 800);
        row("initials shared with 百合", "keys", "bh", 1, "薄荷", "bh 1/2 → 薄荷");
        row("Enter steps on", "keys", "bh\n", 1, "百合", "bh 2/2 → 百合");
        row("Backspace edits", "keys", "bhx\b", 1, "薄荷", "bh 1/2 → 薄荷");
        row("Escape starts anew", "keys",
            "bo\x1b"
            "bh",
            1, "薄荷", "bh 1/2 → 薄荷");
        row("syllables apart", "keys", "zi yu lan", 1, "紫玉兰", "zi yu lan → 紫玉兰");
        row("capitals", "keys", "QingXiang", 1, "青葙", "QingXiang → 青葙");
        row("by input method", "commit", "板蓝根", 1, "菘蓝", "板蓝根 → 菘蓝");
        row("pasted", "paste", "紫玉", 1, "紫玉兰", "紫玉 → 紫玉兰");
        row("nothing found keeps the choice", "keys", "bohe\x1bxq", 1, "薄荷", "xq → 没有找到");
        row("nothing pasted", "paste", "", 1, "", "");
    }
    void choosingFromTheList()
    {
        QFETCH(QString, how);
        QFETCH(QString, text);
        QFETCH(int, times);
        QFETCH(int, keyGap);
        QFETCH(QString, chosen);
        QFETCH(QString, tip);
        QSignalSpy clicks(static_cast<PhotoBox *>(m_book->picture), &PhotoBox::photoShown);
        const int pause = QApplication::keyboardInputInterval() + 150;
        for (int time = 0; time < times; ++time) {
            if (how == "keys") {
                for (qsizetype i = 0; i < text.size(); ++i) {
                    const QChar c = text[i]; // capitals: Shift pressed and released around them
                    if (i > 0 && keyGap > 0)
                        QTest::qWait(keyGap);
                    if (kNamedKeys.contains(c)) {
                        QTest::keyClick(m_book->list, kNamedKeys.value(c));
                        continue;
                    }
                    if (c.isUpper())
                        QTest::keyPress(m_book->list, Qt::Key_Shift);
                    QTest::keyClicks(m_book->list, QString(c),
                                     c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier);
                    if (c.isUpper())
                        QTest::keyRelease(m_book->list, Qt::Key_Shift, Qt::ShiftModifier);
                }
            } else if (how == "commit") {
                QInputMethodEvent event;
                event.setCommitString(text);
                QApplication::sendEvent(m_book->list, &event);
            } else {
                QApplication::clipboard()->setText(text);
                QTest::keySequence(m_book->list, QKeySequence::Paste);
            }
            QTest::qWait(pause); // a choice left for the pause is made, and nothing after it
        }
        const QList<QListWidgetItem *> selected = m_book->list->selectedItems();
        QCOMPARE(selected.isEmpty() ? QString() : selected.first()->text(), chosen);
        QCOMPARE(m_book->form.herbNumber(),
                 HerbNumber(selected.isEmpty() ? 0 : m_book->list->row(selected.first()) + 1));
        // List1_Click once per choice (a slow typist's pauses each choose the best match so far).
        if (keyGap == 0)
            QCOMPARE(clicks.size(), chosen.isEmpty() ? 0 : times);
        QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), tip);
        if (!chosen.isEmpty())
            QVERIFY(m_book->list->viewport()->rect().contains(
                    m_book->list->visualItemRect(selected.first()).center()));
        if (tip.isEmpty())
            return;
        // The tip, Qt's own, is told to screen readers as a tool tip, and goes when typing stops.
        QWidget *label = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && widget->windowType() == Qt::ToolTip)
                label = widget;
        QVERIFY(label);
        QAccessibleInterface *told = QAccessible::queryAccessibleInterface(label);
        QCOMPARE(told->role(), QAccessible::ToolTip);
        QCOMPARE(told->text(QAccessible::Name), tip);
        if (keyGap > 0)
            QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 4000);
    }

    // A reader may type in a fact box; nothing reads it back, and the next choice writes it again.
    void factBoxesTakeEditsUntilTheNextChoice()
    {
        QTest::keyClick(m_book->list, Qt::Key_Down);
        QStringList shown;
        for (QLineEdit *text : std::as_const(m_book->boxes)) {
            shown << text->text();
            QVERIFY(shown.last().contains(u'：'));
            QTest::mouseClick(text, Qt::LeftButton);
            QCOMPARE(QApplication::focusWidget(), text);
            QTest::keySequence(text, QKeySequence::SelectAll);
            QTest::keySequence(text, QKeySequence::Copy);
            QCOMPARE(QApplication::clipboard()->text(), shown.last());
            QTest::keyClick(text, Qt::Key_End);
            QTest::keyClicks(text, QStringLiteral("xy"));
            QTest::keyClick(text, Qt::Key_Backspace);
            QCOMPARE(text->text(), shown.last() + u'x');
            QTest::keySequence(text, QKeySequence::SelectAll);
            QTest::keyClick(text, Qt::Key_Delete);
            QApplication::clipboard()->setText(QStringLiteral("粘贴"));
            QTest::keySequence(text, QKeySequence::Paste);
            QCOMPARE(text->text(), QStringLiteral("粘贴"));
        }
        const int row = m_book->list->currentRow();
        for (int step : {1, -1}) {
            m_book->list->setFocus();
            QTest::keyClick(m_book->list, step > 0 ? Qt::Key_Down : Qt::Key_Up);
            QCOMPARE(m_book->list->currentRow(), row + (step > 0));
            for (int i = 0; i < m_book->boxes.size(); ++i) {
                const QString now = m_book->boxes[i]->text();
                QVERIFY2(now != QStringLiteral("粘贴"), qPrintable(now));
                if (step < 0)
                    QCOMPARE(now, shown[i]);
            }
        }
    }

    // Qt's own words in the reader's language, here Chinese.
    void contextMenuInChinese()
    {
#ifdef Q_OS_WIN
        QSKIP("Qt's translations lie beside the released program, not beside the tests");
#endif
        QVERIFY(installQtTranslations(QLocale(QLocale::Chinese, QLocale::China)));
        const std::unique_ptr<QMenu> menu(m_book->boxes[0]->createStandardContextMenu());
        QStringList words;
        for (const QAction *action : menu->actions())
            words << action->text();
        const QString all = words.join(u' ');
        QVERIFY2(all.contains(QStringLiteral("复制")) && all.contains(QStringLiteral("全选")),
                 qPrintable(all));
    }

private:
    std::unique_ptr<BookWindow> m_book;
};

QTEST_MAIN(TestWindowSelection)
#include "tst_window_selection.moc"
