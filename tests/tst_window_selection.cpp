// Choosing a plant in the real window by click, re-click, double click and keys: the photo is
// read anew, then the nine fact boxes are written in order. A choice that names no row.

#include "bookwindow.h"
#include "photobox.h"

class TestWindowSelection : public QObject
{
    Q_OBJECT

private slots:
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

private:
    std::unique_ptr<BookWindow> m_book;
};

QTEST_MAIN(TestWindowSelection)
#include "tst_window_selection.moc"
