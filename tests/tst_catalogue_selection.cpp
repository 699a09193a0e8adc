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

    void composesTheNineStrings_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QStringList>("texts"); // empty: the number names no row
        QTest::newRow("艾") << 1
                            << QStringList {
                                       "种名： 艾",
                                       "别名： 白蒿、灸草",
                                       "科名： 菊科",
                                       "属名： 蒿属",
                                       "习性： 草本（多年生）",
                                       "花果期： 花果期9—10月",
                                       "拉丁学名： Artemisia argyi Lévl. et Van. ",
                                       "药用部位： 全草",
                                       "药用价值： "
                                       "温经、去湿、散寒、止血、消炎、平喘、止咳、安胎、抗过敏等"};
        for (int n : {0, -1, 134, 32767, -32768})
            QTest::addRow("%d", n) << n << QStringList();
    }
    void composesTheNineStrings()
    {
        QFETCH(int, number);
        QFETCH(QStringList, texts);
        const auto display = composeHerbDisplay(static_cast<HerbNumber>(number),
                                                localPath(QStringLiteral("/srv/图鉴")));
        QCOMPARE(display.has_value(), !texts.isEmpty());
        if (display) {
            const QString separator = QDir::separator();
            QCOMPARE(display->photoPath, "/srv/图鉴" + separator + "photos" + separator + "艾.jpg");
            QCOMPARE(QStringList(display->texts.begin(), display->texts.end()), texts);
        }
    }
};

QTEST_APPLESS_MAIN(TestCatalogueSelection)
#include "tst_catalogue_selection.moc"
