// The plant table: the order of the plant list, the given rows, and the figures that readers and
// the window rely on (one leading blank, placeholders, families, genera, habits, flowering forms);
// the step from a position in the list to what the window shows.

#include "herbdisplay.h"
#include "pathtext.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The plant list, ten names a line.
const QStringList kNames
        = QStringLiteral("艾 白梨 白茅 白英 白榆 百合 菘蓝 半枝莲 蓖麻 扁蓄 "
                         "薄荷 苍耳 侧柏 茶树 车前草 柽柳 臭牡丹 臭檀 垂柳 刺槐 "
                         "大叶黄杨 大叶女贞 地黄 地榆 杜仲 枫杨 凤仙花 扶芳藤 覆盆子 葛藤 "
                         "枸橘 枸杞 构树 拐枣 鬼针草 国槐 合欢 何首乌 核桃 红景天 "
                         "胡枝子 虎杖 花椒 黄荆 黄栌 蒺藜 夹竹桃 姜 绞股蓝 接骨木 "
                         "金银花 锦葵 牡荆 桔梗 菊花 苦参 苦楝 栝楼 连翘 绿豆 "
                         "葎草 络石 马齿苋 马蔺 麦冬 曼陀罗 猫眼草 玫瑰 牡丹 皱皮木瓜 "
                         "木槿 南蛇藤 泥胡菜 爬山虎 毛泡桐 枇杷 婆婆纳 蒲公英 荠菜 牵牛 "
                         "茜草 青葙 苘麻 软枣猕猴桃 沙棘 沙枣 山葡萄 山楂 山茱萸 商陆 "
                         "芍药 石榴 石竹 柿树 蜀葵 薯蓣 酸浆 酸枣 天目琼花 田旋花 "
                         "土人参 万年青 王不留行 文冠果 乌桕 乌蔹莓 乌头 无花果 梧桐 五加 "
                         "五味子 夏至草 香椿 小蓟 杏 盐肤木 羊蹄 益母草 薏苡 茵陈蒿 "
                         "银杏 罂粟 玉簪 玉竹 鸢尾 元胡 月季 枣树 皂荚 紫丁香 "
                         "紫花地丁 紫苏 紫玉兰")
                  .split(u' ');

QString value(int row, HerbField field)
{
    return HerbCatalogue::entryAt(static_cast<HerbNumber>(row))->value(field);
}

using Rows = QMap<HerbField, QList<int>>;

// The rows whose value in each field passes `test`, by field.
Rows rowsWhere(const std::function<bool(const QString &)> &test)
{
    Rows rows;
    for (int n = 1; n <= HerbCatalogue::count(); ++n)
        for (HerbField field : kHerbFields)
            if (test(value(n, field)))
                rows[field].append(n);
    return rows;
}

} // namespace

class TestCatalogueTable : public QObject
{
    Q_OBJECT

private slots:
    // Rows 1 to 133 in the plant list's order, each named alike in the list, its photo and its
    // species name; no row for any other number.
    void rowsInTheListsOrder()
    {
        QCOMPARE(HerbCatalogue::count(), 133);
        QCOMPARE(HerbCatalogue::displayNames(), kNames);
        for (int n = 1; n <= 133; ++n) {
            const HerbEntry *row = HerbCatalogue::entryAt(static_cast<HerbNumber>(n));
            QCOMPARE(row->name(), kNames.at(n - 1));
            QCOMPARE(QString::fromUtf8(row->photoStem), row->name());
            QCOMPARE(row->value(HerbField::SpeciesName), QLatin1Char(' ') + row->name());
        }
        for (int n : {0, -1, -32768, 134, 32767})
            QVERIFY2(!HerbCatalogue::entryAt(static_cast<HerbNumber>(n)),
                     qPrintable(QString::number(n)));
    }

    void givenRowsAreExact_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("values"); // parted by '|'
        QTest::newRow("艾")
                << 1
                << " 艾| 白蒿、灸草| 菊科| 蒿属| 草本（多年生）| 花果期9—10月| Artemisia "
                   "argyi Lévl. et Van. | 全草| "
                   "温经、去湿、散寒、止血、消炎、平喘、止咳、安胎、抗过敏等";
        QTest::newRow("白梨") << 2
                              << " 白梨| 白挂木、罐梨| 蔷薇科| 梨属| 乔木（落叶，高5-8m）| "
                                 "花期4月，果期8-9月| Pyrus bretschneideri Rehd.| 果实| "
                                 "生津止渴、益脾止泻、和胃降逆";
        QTest::newRow("茶树") << 14
                              << " 茶树| 无资料| 山茶科| 山茶属| 灌木（常绿，高1-6m）| 无资料| "
                                 "Camellia sinensis L.| 叶| "
                                 "提神清心、清热解暑、解毒醒酒、生津止渴、降火明目、止痢除湿";
        QTest::newRow("紫玉兰") << 133
                                << " 紫玉兰| 木兰、辛夷| 木兰科| 木兰属| 乔木（落叶，高可达3m）| "
                                   "花期3-4月，果期8-9月| Magnolia liliflora Desr.| "
                                   "花蕾（药名：辛夷）| 可用作镇痛剂，治头痛、腰痛、脑痛、鼻炎等";
    }
    void givenRowsAreExact()
    {
        QFETCH(int, row);
        QFETCH(QString, values);
        const QStringList captions = QStringLiteral("种名： 别名： 科名： 属名： 习性： 花果期： "
                                                    "拉丁学名： 药用部位： 药用价值：")
                                             .split(u' ');
        const HerbEntry *entry = HerbCatalogue::entryAt(static_cast<HerbNumber>(row));
        for (HerbField field : kHerbFields) {
            const int i = herbFieldIndex(field);
            QCOMPARE(entry->value(field), values.split(u'|').at(i));
            QCOMPARE(entry->fieldText(field), captions.at(i) + values.split(u'|').at(i));
        }
    }

    // Every value begins with one blank and is stored untrimmed; the cells that depart from the
    // common pattern are exactly the ones the book has always had.
    void cellsFollowThePattern()
    {
        QCOMPARE(rowsWhere([](const QString &v) {
                     return v.size() < 2 || v.at(0) != u' ' || v.at(1).isSpace()
                             || v.contains(u'\t') || v.contains(u'\n');
                 }),
                 Rows());
        QCOMPARE(rowsWhere([](const QString &v) { return v.endsWith(u' '); }),
                 (Rows {{HerbField::LatinName, {1, 18, 96}}}));
        QCOMPARE(rowsWhere([](const QString &v) { return v == QStringLiteral(" 无资料"); }),
                 (Rows {{HerbField::OtherNames, {14, 48, 115, 128}},
                        {HerbField::FloweringFruiting,
                         {6,  9,  11, 14, 17, 18, 19,  28,  30,  40,  41,  47, 49,
                          54, 60, 75, 80, 94, 96, 102, 111, 115, 118, 119, 132}}}));
        QCOMPARE(rowsWhere([](const QString &v) { return v == QStringLiteral(" 凉血止血"); }),
                 (Rows {{HerbField::MedicinalValue, {3, 13}}}));
        QCOMPARE(rowsWhere([](const QString &v) { return v.contains(u'，'); })
                         .value(HerbField::OtherNames)
                         .size(),
                 2);
        // Cells given by their start (beginning with the blank) or by a part of them.
        const struct
        {
            int row;
            HerbField field;
            const char *text;
        } cells[] = {
                {18, HerbField::LatinName, " Evodia deniellii ( Benn.) Hemsl. "},
                {96, HerbField::LatinName, " Dioscorea opposita Thunb. "},
                {8, HerbField::Habit, " 草本 (二年生)"},
                {5, HerbField::FloweringFruiting, " 花3-4月，果4-6月"},
                {1, HerbField::FloweringFruiting, "—"},
                {4, HerbField::FloweringFruiting, "夏秋"},
                {16, HerbField::FloweringFruiting, "夏秋"},
                {55, HerbField::FloweringFruiting, "次年"},
                {76, HerbField::FloweringFruiting, "次年"},
                {13, HerbField::FloweringFruiting, "种熟期"},
                {110, HerbField::FloweringFruiting, " 果期"},
        };
        for (const auto &cell : cells) {
            const QString text = QString::fromUtf8(cell.text);
            const QString v = value(cell.row, cell.field);
            QVERIFY2(text.startsWith(u' ') ? v.startsWith(text) : v.contains(text), qPrintable(v));
        }
    }

    // How the rows spread over a column's values: the key is what `pattern` captures (a value it
    // does not match counts under "?" and the value itself); `distinct` keys in all, those named
    // with their counts, and no value unmatched but those named.
    void vocabulary_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("distinct");
        QTest::addColumn<QString>("counts"); // "key count, key count, ..."
        const auto row = [](const char *tag, HerbField field, const char *pattern, int distinct,
                            const char *counts) {
            QTest::newRow(tag) << int(field) << QString::fromUtf8(pattern) << distinct
                               << QString::fromUtf8(counts);
        };
        row("families", HerbField::Family, "^ (.+科)$", 60,
            "蔷薇科 9, 菊科 8, 豆科 8, 唇形科 5, 百合科 5, 茄科 4, 蓼科 4, 锦葵科 4, 卫矛科 3, "
            "大戟科 3, 忍冬科 3, 木犀科 3, 玄参科 3, 芸香科 3, 葡萄科 3, 马鞭草科 3, 鼠李科 3, "
            "十字花科 2, 夹竹桃科 2, 旋花科 2, 木兰科 2, 桑科 2, 楝科 2, 漆树科 2, 石竹科 2, "
            "禾本科 2, 罂粟科 2, 胡桃科 2, 胡颓子科 2, 芍药科 2, 葫芦科 2, 马齿苋科 2, 鸢尾科 2, "
            "五加科 1, 凤仙花科 1, 商陆科 1, 堇菜科 1, 大麻科 1, 姜科 1, 山茱萸科 1, 山茶科 1, "
            "无患子科 1, 景天科 1, 杜仲科 1, 杨柳科 1, 柏科 1, 柽柳科 1, 柿树科 1, 桔梗科 1, "
            "梧桐科 1, 榆科 1, 毛茛科 1, 猕猴桃科 1, 石榴科 1, 苋科 1, 茜草科 1, 蒺藜科 1, "
            "薯蓣科 1, 车前草科 1, 银杏科 1");
        row("growth forms", HerbField::Habit, "^ (草本|乔木|灌木|藤本)（[^（）]+）$", 5,
            "草本 54, 乔木 39, 灌木 20, 藤本 19, ?草本 (二年生) 1");
        row("habits", HerbField::Habit, "^ (.+)$", 45,
            "草本（多年生） 32, 草本（一年生） 14, 藤本（草质，多年生） 8, 草本（二年生） 6");
        row("flowering forms", HerbField::FloweringFruiting,
            "^ (花期|花果期|果期|花)[^，]+[月秋](?:，(果期|果熟期|种熟期|果)[^，]+)?$", 8,
            "花期果期 72, 花期 17, 花果期 10, 花期果熟期 6, 花期种熟期 1, 果期 1, 花果 1, "
            "?无资料 25");
        // Genera recur only in pairs: 茵陈蒿 is an Artemisia like 艾, the one pair beyond the seven
        // the book has always had.
        row("genera", HerbField::Genus, "^ (.+属)$", 125,
            "蓼属 2, 卫矛属 2, 牡荆属 2, 鸢尾属 2, 蔷薇属 2, 芍药属 2, 枣属 2, 蒿属 2");
        row("parts used", HerbField::PartsUsed, "^ (.+)$", 71,
            "果实 18, 全草 15, 根 10, 花 7"); // 益母草's drug is the aerial parts
        // Apart from the placeholder, no two plants share their other names.
        row("other names", HerbField::OtherNames, "^ (.+)$", 130, "无资料 4");
    }
    void vocabulary()
    {
        QFETCH(int, field);
        QFETCH(QString, pattern);
        QFETCH(int, distinct);
        QFETCH(QString, counts);
        const QRegularExpression key(pattern);
        QMap<QString, int> found;
        for (int n = 1; n <= HerbCatalogue::count(); ++n) {
            const QString v = value(n, HerbField(field));
            const QRegularExpressionMatch match = key.match(v);
            ++found[match.hasMatch() ? match.captured(1) + match.captured(2) : '?' + v.mid(1)];
        }
        QCOMPARE(found.size(), distinct);
        QMap<QString, int> named;
        for (const QString &count : counts.split(QStringLiteral(", ")))
            named.insert(count.section(u' ', 0, -2), count.section(u' ', -1).toInt());
        for (auto it = named.cbegin(); it != named.cend(); ++it)
            QVERIFY2(found.value(it.key()) == it.value(), qPrintable(it.key()));
        for (auto it = found.cbegin(); it != found.cend(); ++it)
            QVERIFY2(!it.key().startsWith(u'?') || named.contains(it.key()), qPrintable(it.key()));
    }

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

    // A folder that ends in a separator, like the root folder, gives a doubled separator in the
    // photo's path, which opens the photo all the same.
    void photoPathOpensTheNamedFile()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("photos"));
        QFile photo(dir.filePath("photos/软枣猕猴桃.jpg"));
        QVERIFY(photo.open(QIODevice::WriteOnly) && photo.write("jpeg") == 4);
        photo.close();
        const QString doubled = pathText(HerbCatalogue::entryAt(84)->photoPath(
                localPath(QDir::toNativeSeparators(dir.path() + "/"))));
        const QString separator = QDir::separator();
        QVERIFY(doubled.contains(separator + separator + "photos" + separator));
        QFile opened(doubled);
        QVERIFY2(opened.open(QIODevice::ReadOnly), qPrintable(doubled));
        QCOMPARE(opened.readAll(), QByteArray("jpeg"));
    }
};

QTEST_APPLESS_MAIN(TestCatalogueTable)
#include "tst_catalogue_table.moc"
