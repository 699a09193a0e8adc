// The step from a position in the plant list to what the window shows.

#include "herbdisplay.h"
#include "pathtext.h"

#include <QDir>
#include <QTest>

class TestCatalogueSelection : public QObject
{
    Q_OBJECT

private slots:
    void positionBecomesHerbNumber_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("number"); // -99999: the step overflows
        QTest::newRow("none selected") << -1 << 0;
        QTest::newRow("first") << 0 << 1;
        QTest::newRow("last") << 132 << 133;
        QTest::newRow("past the list") << 133 << 134;
        QTest::newRow("largest that fits") << 32766 << 32767;
        QTest::newRow("overflow") << 32767 << -99999;
        QTest::newRow("most negative") << -32768 << -32767;
    }
    void positionBecomesHerbNumber()
    {
        QFETCH(int, position);
        QFETCH(int, number);
        const auto n = herbNumberForPosition(static_cast<HerbNumber>(position));
        QCOMPARE(n.has_value(), number != -99999);
        if (n)
            QCOMPARE(int(*n), number);
    }

    // Rows 1 and 133: the photo in the folder beside the program and the nine captioned facts in
    // order; nothing for any other number.
    void composesTheNineStrings()
    {
        const std::filesystem::path folder = localPath(QStringLiteral("/srv/图鉴"));
        for (int n : {0, -1, 134, 32767, -32768})
            QVERIFY(!composeHerbDisplay(static_cast<HerbNumber>(n), folder));
        for (HerbNumber n : {1, 133}) {
            const auto display = composeHerbDisplay(n, folder);
            const HerbEntry *entry = HerbCatalogue::entryAt(n);
            QVERIFY(display);
            QCOMPARE(display->photoPath,
                     QStringLiteral("/srv/图鉴%1photos%1%2.jpg")
                             .arg(QDir::separator(), entry->name()));
            for (HerbField field : kHerbFields)
                QCOMPARE(display->texts[herbFieldIndex(field)], entry->fieldText(field));
        }
    }
};

QTEST_APPLESS_MAIN(TestCatalogueSelection)
#include "tst_catalogue_selection.moc"
