// The keyboard in the real window. The plant list: the first Up, Down or Space chooses the first
// plant; its type-to-find, typed key by key at any speed, committed by an input method or pasted,
// shows in a tool tip what was typed and what it found, and makes one choice per plant found.
// The fact boxes: the book's text can be selected and copied but not changed, with a context menu in Chinese.

#include "form1.h"
#include "photobox.h"
#include "qttranslations.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

class TestWindowKeys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setKeyboardInputInterval(200); } // shorter pauses
    void init()
    {
        m_form = std::make_unique<Form1>([] { return std::filesystem::path(); });
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        m_list = m_form->findChild<QListWidget *>(QStringLiteral("List1"));
        QCOMPARE(QApplication::focusWidget(), m_list);
        QVERIFY(m_list->selectedItems().isEmpty());
    }
    void cleanup() { m_form.reset(); }

    void choosingFromTheList_data()
    {
        QTest::addColumn<QString>("how"); // keys, commit (input method), paste, or a key's name
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("times"); // searches, with a pause between them
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("tip");
        const auto row = [](const char *tag, const char *how, const char *text, int times,
                            const char *chosen, const char *tip) {
            QTest::newRow(tag) << QString::fromUtf8(how) << QString::fromUtf8(text) << times
                               << QString::fromUtf8(chosen) << QString::fromUtf8(tip);
        };
        row("first Down", "Down", "", 1, "艾", "");
        row("first Up", "Up", "", 1, "艾", "");
        row("first Space", "Space", "", 1, "艾", "");
        row("Down, Down", "Down", "", 2, "白梨", "");
        row("full pinyin", "keys", "bohe", 1, "薄荷", "bohe → 薄荷");
        row("initials shared with 百合", "keys", "bh", 1, "薄荷", "bh 1/2 → 薄荷");
        row("the same initials again", "keys", "bh", 2, "百合", "bh 2/2 → 百合");
        row("Enter steps on", "keys", "bh\n", 1, "百合", "bh 2/2 → 百合");
        row("Backspace edits", "keys", "bhx\b", 1, "薄荷", "bh 1/2 → 薄荷");
        row("Escape starts anew", "keys",
            "bo\x1b"
            "bh",
            1, "薄荷", "bh 1/2 → 薄荷");
        row("syllables apart", "keys", "zi yu lan", 1, "紫玉兰", "zi yu lan → 紫玉兰");
        row("capitals", "keys", "QingXiang", 1, "青葙", "QingXiang → 青葙");
        row("start of the name", "commit", "紫玉", 1, "紫玉兰", "紫玉 → 紫玉兰");
        row("other name by input method", "commit", "板蓝根", 1, "菘蓝", "板蓝根 → 菘蓝");
        row("other name pasted", "paste", "板蓝根", 1, "菘蓝", "板蓝根 → 菘蓝");
        row("nothing of the book", "keys", "xq", 1, "", "xq → 没有找到");
        row("nothing found keeps the choice", "keys", "bohe\x1bxq", 1, "薄荷", "xq → 没有找到");
        row("nothing pasted", "paste", "", 1, "", "");
    }
    void choosingFromTheList()
    {
        QFETCH(QString, how);
        QFETCH(QString, text);
        QFETCH(int, times);
        QFETCH(QString, chosen);
        QFETCH(QString, tip);
        QSignalSpy clicks(m_form->findChild<PhotoBox *>(QStringLiteral("Picture1")),
                          &PhotoBox::photoShown);
        const int pause = QApplication::keyboardInputInterval() + 150;
        for (int time = 0; time < times; ++time) {
            if (how == "keys") {
                for (QChar c : text) { // capitals with Shift pressed and released around them
                    const Qt::Key special = c == u'\n' ? Qt::Key_Return
                            : c == u'\b'               ? Qt::Key_Backspace
                            : c == u'\x1b'             ? Qt::Key_Escape
                                                       : Qt::Key_unknown;
                    if (special != Qt::Key_unknown) {
                        QTest::keyClick(m_list, special);
                        continue;
                    }
                    if (c.isUpper())
                        QTest::keyPress(m_list, Qt::Key_Shift);
                    QTest::keyClicks(m_list, QString(c),
                                     c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier);
                    if (c.isUpper())
                        QTest::keyRelease(m_list, Qt::Key_Shift, Qt::ShiftModifier);
                }
            } else if (how == "commit") {
                QInputMethodEvent event;
                event.setCommitString(text);
                QApplication::sendEvent(m_list, &event);
            } else if (how == "paste") {
                QApplication::clipboard()->setText(text);
                QTest::keySequence(m_list, QKeySequence::Paste);
            } else {
                QTest::keyClick(m_list,
                                how == "Up"             ? Qt::Key_Up
                                        : how == "Down" ? Qt::Key_Down
                                                        : Qt::Key_Space);
            }
            QTest::qWait(pause); // a choice left for the pause is made, and nothing after it
        }
        const QList<QListWidgetItem *> selected = m_list->selectedItems();
        QCOMPARE(selected.isEmpty() ? QString() : selected.first()->text(), chosen);
        QCOMPARE(m_form->herbNumber(),
                 HerbNumber(selected.isEmpty() ? 0 : m_list->row(selected.first()) + 1));
        QCOMPARE(clicks.size(), chosen.isEmpty() ? 0 : times); // List1_Click once per choice
        QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), tip);
        if (!chosen.isEmpty())
            QVERIFY(m_list->viewport()->rect().contains(
                    m_list->visualItemRect(selected.first()).center()));
    }

    // A slow typist: the text grows across pauses of 0.8 s. The tip, Qt's own, is told to screen
    // readers as a tool tip, and goes when typing stops.
    void typingSlowly()
    {
        for (QChar c : QStringLiteral("bohe")) {
            QTest::keyClicks(m_list, QString(c));
            QTest::qWait(800);
        }
        QCOMPARE(m_list->selectedItems().value(0)->text(), "薄荷");
        QCOMPARE(QToolTip::text(), "bohe → 薄荷");
        QWidget *label = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && widget->windowType() == Qt::ToolTip)
                label = widget;
        QVERIFY(label);
        QAccessibleInterface *told = QAccessible::queryAccessibleInterface(label);
        QCOMPARE(told->role(), QAccessible::ToolTip);
        QCOMPARE(told->text(QAccessible::Name), "bohe → 薄荷");
        QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 1500);
    }

    // Enter steps through every plant a search names, in list order here, one choice each, and
    // round again.
    void steppingThroughMatches_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("field"); // where the text is found
        QTest::newRow("family") << "唇形科" << int(HerbField::Family);
        QTest::newRow("use") << "止咳" << int(HerbField::MedicinalValue);
    }
    void steppingThroughMatches()
    {
        QFETCH(QString, text);
        QFETCH(int, field);
        QStringList expected;
        for (HerbNumber n = 1; n <= HerbCatalogue::count(); ++n)
            if (HerbCatalogue::entryAt(n)->value(HerbField(field)).contains(text))
                expected << HerbCatalogue::entryAt(n)->name();
        QVERIFY(expected.size() > 2);
        QSignalSpy clicks(m_form->findChild<PhotoBox *>(QStringLiteral("Picture1")),
                          &PhotoBox::photoShown);
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(m_list, &event);
        QTest::qWait(QApplication::keyboardInputInterval() + 150); // the best of several
        QStringList chosen {m_list->selectedItems().value(0)->text()};
        for (int step = 0; step < expected.size(); ++step) {
            QTest::keyClick(m_list, Qt::Key_Return);
            chosen << m_list->selectedItems().value(0)->text();
        }
        expected << expected.first();
        QCOMPARE(chosen, expected);
        QCOMPARE(clicks.size(), expected.size());
    }

    void factBoxesRefuseTyping_data()
    {
        QTest::addColumn<int>("box");
        for (int k = 1; k <= 9; ++k)
            QTest::addRow("Text%d", k) << k;
    }
    void factBoxesRefuseTyping()
    {
        QFETCH(int, box);
        QTest::keyClick(m_list, Qt::Key_Down);
        auto *text = m_form->findChild<QLineEdit *>(QStringLiteral("Text%1").arg(box));
        const QString shown = text->text();
        QVERIFY(shown.contains(u'：'));
        QTest::mouseClick(text, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), text);
        QTest::keyClick(text, Qt::Key_End);
        QTest::keyClicks(text, QStringLiteral("x"));
        QTest::keyClick(text, Qt::Key_Backspace);
        QTest::keySequence(text, QKeySequence::SelectAll);
        QTest::keyClick(text, Qt::Key_Delete);
        QTest::keySequence(text, QKeySequence::Cut);
        QApplication::clipboard()->setText(QStringLiteral("粘贴"));
        QTest::keySequence(text, QKeySequence::Paste);
        QCOMPARE(text->text(), shown);
        QTest::keySequence(text, QKeySequence::SelectAll);
        QTest::keySequence(text, QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), shown);
    }

    // Qt's own words in the reader's language, here Chinese.
    void contextMenuInChinese()
    {
#ifdef Q_OS_WIN
        QSKIP("Qt's translations lie beside the released program, not beside the tests");
#endif
        QVERIFY(installQtTranslations(QLocale(QLocale::Chinese, QLocale::China)));
        const std::unique_ptr<QMenu> menu(m_form->findChild<QLineEdit *>(QStringLiteral("Text1"))
                                                  ->createStandardContextMenu());
        QStringList words;
        for (const QAction *action : menu->actions())
            words << action->text();
        const QString all = words.join(u' ');
        QVERIFY2(all.contains(QStringLiteral("复制")) && all.contains(QStringLiteral("全选")),
                 qPrintable(all));
    }

private:
    std::unique_ptr<Form1> m_form;
    QListWidget *m_list = nullptr;
};

QTEST_MAIN(TestWindowKeys)
#include "tst_window_keys.moc"
