// The keyboard in the real window. The plant list: the first Up, Down or Space chooses the first
// plant; its type-to-find knows pinyin (full or initials) and other names, typed key by key,
// committed by an input method or pasted, and makes one choice per search. The fact boxes: the
// book's text can be selected and copied but not changed, with a context menu in Chinese.

#include "form1.h"
#include "photobox.h"
#include "qttranslations.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

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
        const auto row = [](const char *tag, const char *how, const char *text, int times,
                            const char *chosen) {
            QTest::newRow(tag) << QString::fromUtf8(how) << QString::fromUtf8(text) << times
                               << QString::fromUtf8(chosen);
        };
        row("first Down", "Down", "", 1, "艾");
        row("first Up", "Up", "", 1, "艾");
        row("first Space", "Space", "", 1, "艾");
        row("Down, Down", "Down", "", 2, "白梨");
        row("full pinyin", "keys", "bohe", 1, "薄荷");
        row("initials shared with 百合", "keys", "bh", 1, "薄荷");
        row("the same initials again", "keys", "bh", 2, "百合");
        row("syllables apart", "keys", "zi yu lan", 1, "紫玉兰");
        row("apostrophe", "keys", "cang'er", 1, "苍耳");
        row("capitals", "keys", "QingXiang", 1, "青葙");
        row("start of the name", "commit", "紫玉", 1, "紫玉兰");
        row("other name by input method", "commit", "板蓝根", 1, "菘蓝");
        row("other name pasted", "paste", "板蓝根", 1, "菘蓝");
        row("pinyin pasted", "paste", "lvdou", 1, "绿豆");
        row("nothing of the book", "keys", "xq", 1, "");
        row("nothing pasted", "paste", "", 1, "");
    }
    void choosingFromTheList()
    {
        QFETCH(QString, how);
        QFETCH(QString, text);
        QFETCH(int, times);
        QFETCH(QString, chosen);
        QSignalSpy clicks(m_form->findChild<PhotoBox *>(QStringLiteral("Picture1")),
                          &PhotoBox::photoShown);
        const int pause = QApplication::keyboardInputInterval() + 150;
        for (int time = 0; time < times; ++time) {
            if (how == "keys") {
                for (QChar c : text) { // capitals with Shift pressed and released around them
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
        if (!chosen.isEmpty())
            QVERIFY(m_list->viewport()->rect().contains(
                    m_list->visualItemRect(selected.first()).center()));
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
