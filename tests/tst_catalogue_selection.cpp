// The step from a position in the plant list to what the window shows.

#include "herbdisplay.h"

#include <QTest>

class TestCatalogueSelection : public QObject
{
    Q_OBJECT

private slots:
    void positionBecomesHerbNumber_data();
    void positionBecomesHerbNumber();
    void composesTheNineStrings_data();
    void composesTheNineStrings();
    void numbersThatNameNoRowComposeNothing_data();
    void numbersThatNameNoRowComposeNothing();
};

void TestCatalogueSelection::positionBecomesHerbNumber_data()
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

void TestCatalogueSelection::positionBecomesHerbNumber()
{
    QFETCH(int, position);
    QFETCH(int, number);
    const std::optional<HerbNumber> n = herbNumberForPosition(static_cast<HerbNumber>(position));
    QCOMPARE(n.has_value(), number != -99999);
    if (n)
        QCOMPARE(int(*n), number);
}

void TestCatalogueSelection::composesTheNineStrings_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("photo");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("艾")
            << 0 << "艾.jpg"
            << QStringList {"种名： 艾",
                            "别名： 白蒿、灸草",
                            "科名： 菊科",
                            "属名： 蒿属",
                            "习性： 草本（多年生）",
                            "花果期： 花果期9—10月",
                            "拉丁学名： Artemisia argyi Lévl. et Van. ",
                            "药用部位： 全草",
                            "药用价值： 温经、去湿、散寒、止血、消炎、平喘、止咳、安胎、抗过敏等"};
    QTest::newRow("茶树")
            << 13 << "茶树.jpg"
            << QStringList {
                       "种名： 茶树",
                       "别名： 无资料",
                       "科名： 山茶科",
                       "属名： 山茶属",
                       "习性： 灌木（常绿，高1-6m）",
                       "花果期： 无资料",
                       "拉丁学名： Camellia sinensis L.",
                       "药用部位： 叶",
                       "药用价值： 提神清心、清热解暑、解毒醒酒、生津止渴、降火明目、止痢除湿"};
    QTest::newRow("薯蓣") << 95 << "薯蓣.jpg" << QStringList();
    QTest::newRow("紫玉兰") << 132 << "紫玉兰.jpg"
                            << QStringList {"种名： 紫玉兰",
                                            "别名： 木兰、辛夷",
                                            "科名： 木兰科",
                                            "属名： 木兰属",
                                            "习性： 乔木（落叶，高可达3m）",
                                            "花果期： 花期3-4月，果期8-9月",
                                            "拉丁学名： Magnolia liliflora Desr.",
                                            "药用部位： 花蕾（药名：辛夷）",
                                            "药用价值： 可用作镇痛剂，治头痛、腰痛、脑痛、鼻炎等"};
}

void TestCatalogueSelection::composesTheNineStrings()
{
    QFETCH(int, position);
    QFETCH(QString, photo);
    QFETCH(QStringList, texts);
    const std::optional<HerbNumber> n = herbNumberForPosition(static_cast<HerbNumber>(position));
    QVERIFY(n);
    const std::optional<HerbDisplay> display = composeHerbDisplay(*n, "/srv/图鉴");
    QVERIFY(display);
    QCOMPARE(display->photoPath, "/srv/图鉴/photos/" + photo);
    if (texts.isEmpty()) {
        QCOMPARE(display->texts[6], "拉丁学名： Dioscorea opposita Thunb. ");
        return;
    }
    for (int i = 0; i < kHerbFieldCount; ++i)
        QCOMPARE(display->texts[i], texts.at(i));
}

void TestCatalogueSelection::numbersThatNameNoRowComposeNothing_data()
{
    QTest::addColumn<int>("number");
    for (int n : {0, -1, 134, 32767, -32768})
        QTest::newRow(qPrintable(QString::number(n))) << n;
}

void TestCatalogueSelection::numbersThatNameNoRowComposeNothing()
{
    QFETCH(int, number);
    QVERIFY(!composeHerbDisplay(static_cast<HerbNumber>(number), "/srv").has_value());
}

QTEST_APPLESS_MAIN(TestCatalogueSelection)
#include "tst_catalogue_selection.moc"
