// The plant table: the order of the plant list, the given rows, and the figures that readers and
// the window rely on (one leading blank, placeholders, families, genera, habits, flowering forms).

#include "herbcatalogue.h"
#include "pathtext.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char *const kNames[] = {
        "艾",     "白梨",   "白茅",     "白英",       "白榆",     "百合",     "菘蓝",     "半枝莲",
        "蓖麻",   "扁蓄",   "薄荷",     "苍耳",       "侧柏",     "茶树",     "车前草",   "柽柳",
        "臭牡丹", "臭檀",   "垂柳",     "刺槐",       "大叶黄杨", "大叶女贞", "地黄",     "地榆",
        "杜仲",   "枫杨",   "凤仙花",   "扶芳藤",     "覆盆子",   "葛藤",     "枸橘",     "枸杞",
        "构树",   "拐枣",   "鬼针草",   "国槐",       "合欢",     "何首乌",   "核桃",     "红景天",
        "胡枝子", "虎杖",   "花椒",     "黄荆",       "黄栌",     "蒺藜",     "夹竹桃",   "姜",
        "绞股蓝", "接骨木", "金银花",   "锦葵",       "牡荆",     "桔梗",     "菊花",     "苦参",
        "苦楝",   "栝楼",   "连翘",     "绿豆",       "葎草",     "络石",     "马齿苋",   "马蔺",
        "麦冬",   "曼陀罗", "猫眼草",   "玫瑰",       "牡丹",     "皱皮木瓜", "木槿",     "南蛇藤",
        "泥胡菜", "爬山虎", "毛泡桐",   "枇杷",       "婆婆纳",   "蒲公英",   "荠菜",     "牵牛",
        "茜草",   "青葙",   "苘麻",     "软枣猕猴桃", "沙棘",     "沙枣",     "山葡萄",   "山楂",
        "山茱萸", "商陆",   "芍药",     "石榴",       "石竹",     "柿树",     "蜀葵",     "薯蓣",
        "酸浆",   "酸枣",   "天目琼花", "田旋花",     "土人参",   "万年青",   "王不留行", "文冠果",
        "乌桕",   "乌蔹莓", "乌头",     "无花果",     "梧桐",     "五加",     "五味子",   "夏至草",
        "香椿",   "小蓟",   "杏",       "盐肤木",     "羊蹄",     "益母草",   "薏苡",     "茵陈蒿",
        "银杏",   "罂粟",   "玉簪",     "玉竹",       "鸢尾",     "元胡",     "月季",     "枣树",
        "皂荚",   "紫丁香", "紫花地丁", "紫苏",       "紫玉兰",
};

QString value(int row, HerbField field)
{
    return HerbCatalogue::entryAt(static_cast<HerbNumber>(row))->value(field);
}

// Rows whose value in `field` equals `text`, in row order.
QList<int> rowsWith(HerbField field, const QString &text)
{
    QList<int> rows;
    for (int n = 1; n <= HerbCatalogue::count(); ++n)
        if (value(n, field) == text)
            rows.append(n);
    return rows;
}

QMap<QString, int> tally(HerbField field, const std::function<QString(const QString &)> &key)
{
    QMap<QString, int> counts;
    for (int n = 1; n <= HerbCatalogue::count(); ++n)
        ++counts[key(value(n, field))];
    return counts;
}

} // namespace

class TestCatalogueTable : public QObject
{
    Q_OBJECT

private slots:
    void lookupNamesExactlyRowsOneTo133_data();
    void lookupNamesExactlyRowsOneTo133();
    void listOrderAndNamesAgree();
    void givenRowsAreExact_data();
    void givenRowsAreExact();
    void everyValueHasOneLeadingBlankAndNothingTrimmed();
    void placeholdersStandInExactlyTheirCells();
    void familiesHaveTheirCounts();
    void generaAreSharedOnlyInTheirPairs();
    void habitsFollowTheirForms();
    void floweringColumnForms();
    void otherNamesAndSharedValues();
    void photoPathOpensTheNamedFile_data();
    void photoPathOpensTheNamedFile();
};

void TestCatalogueTable::lookupNamesExactlyRowsOneTo133_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name"); // empty: no row
    QTest::newRow("0") << 0 << QString();
    QTest::newRow("-1") << -1 << QString();
    QTest::newRow("-32768") << -32768 << QString();
    QTest::newRow("1") << 1 << "艾";
    QTest::newRow("2") << 2 << "白梨";
    QTest::newRow("132") << 132 << "紫苏";
    QTest::newRow("133") << 133 << "紫玉兰";
    QTest::newRow("134") << 134 << QString();
    QTest::newRow("32767") << 32767 << QString();
}

void TestCatalogueTable::lookupNamesExactlyRowsOneTo133()
{
    QFETCH(int, number);
    QFETCH(QString, name);
    QCOMPARE(HerbCatalogue::count(), 133);
    const HerbEntry *row = HerbCatalogue::entryAt(static_cast<HerbNumber>(number));
    QCOMPARE(row ? row->name() : QString(), name);
}

void TestCatalogueTable::listOrderAndNamesAgree()
{
    const QStringList names = HerbCatalogue::displayNames();
    QCOMPARE(names.size(), int(std::size(kNames)));
    for (int i = 0; i < names.size(); ++i) {
        const HerbEntry *row = HerbCatalogue::entryAt(static_cast<HerbNumber>(i + 1));
        QCOMPARE(names.at(i), QString::fromUtf8(kNames[i]));
        QCOMPARE(QString::fromUtf8(row->photoStem), names.at(i));
        QCOMPARE(row->value(HerbField::SpeciesName), QLatin1Char(' ') + names.at(i));
    }
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
}

void TestCatalogueTable::givenRowsAreExact_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("艾") << 1
                        << QStringList {
                                   " 艾",
                                   " 白蒿、灸草",
                                   " 菊科",
                                   " 蒿属",
                                   " 草本（多年生）",
                                   " 花果期9—10月",
                                   " Artemisia argyi Lévl. et Van. ",
                                   " 全草",
                                   " 温经、去湿、散寒、止血、消炎、平喘、止咳、安胎、抗过敏等"};
    QTest::newRow("白梨") << 2
                          << QStringList {" 白梨",
                                          " 白挂木、罐梨",
                                          " 蔷薇科",
                                          " 梨属",
                                          " 乔木（落叶，高5-8m）",
                                          " 花期4月，果期8-9月",
                                          " Pyrus bretschneideri Rehd.",
                                          " 果实",
                                          " 生津止渴、益脾止泻、和胃降逆"};
    QTest::newRow("茶树") << 14
                          << QStringList {
                                     " 茶树",
                                     " 无资料",
                                     " 山茶科",
                                     " 山茶属",
                                     " 灌木（常绿，高1-6m）",
                                     " 无资料",
                                     " Camellia sinensis L.",
                                     " 叶",
                                     " 提神清心、清热解暑、解毒醒酒、生津止渴、降火明目、止痢除湿"};
    QTest::newRow("紫玉兰") << 133
                            << QStringList {" 紫玉兰",
                                            " 木兰、辛夷",
                                            " 木兰科",
                                            " 木兰属",
                                            " 乔木（落叶，高可达3m）",
                                            " 花期3-4月，果期8-9月",
                                            " Magnolia liliflora Desr.",
                                            " 花蕾（药名：辛夷）",
                                            " 可用作镇痛剂，治头痛、腰痛、脑痛、鼻炎等"};
}

void TestCatalogueTable::givenRowsAreExact()
{
    QFETCH(int, row);
    QFETCH(QStringList, values);
    const HerbEntry *entry = HerbCatalogue::entryAt(static_cast<HerbNumber>(row));
    for (HerbField field : kHerbFields) {
        QCOMPARE(entry->value(field), values.at(herbFieldIndex(field)));
        QCOMPARE(entry->fieldText(field),
                 herbFieldCaption(field) + values.at(herbFieldIndex(field)));
    }
}

void TestCatalogueTable::everyValueHasOneLeadingBlankAndNothingTrimmed()
{
    QList<int> trailing;
    for (int n = 1; n <= HerbCatalogue::count(); ++n) {
        for (HerbField field : kHerbFields) {
            const QString v = value(n, field);
            QVERIFY2(v.size() > 1 && v.at(0) == QLatin1Char(' ') && !v.at(1).isSpace(),
                     qPrintable(QStringLiteral("row %1: \"%2\"").arg(n).arg(v)));
            QVERIFY2(!v.contains(QLatin1Char('\t')) && !v.contains(QLatin1Char('\n')),
                     qPrintable(QString::number(n)));
            if (v.endsWith(QLatin1Char(' '))) {
                QCOMPARE(field, HerbField::LatinName);
                trailing.append(n);
            }
        }
    }
    QCOMPARE(trailing, (QList<int> {1, 18, 96}));
    QCOMPARE(value(18, HerbField::LatinName), " Evodia deniellii ( Benn.) Hemsl. ");
    QCOMPARE(value(96, HerbField::LatinName), " Dioscorea opposita Thunb. ");
}

void TestCatalogueTable::placeholdersStandInExactlyTheirCells()
{
    const QString none = QStringLiteral(" 无资料");
    QCOMPARE(rowsWith(HerbField::OtherNames, none), (QList<int> {14, 48, 115, 128}));
    QCOMPARE(rowsWith(HerbField::FloweringFruiting, none),
             (QList<int> {6,  9,  11, 14, 17, 18, 19,  28,  30,  40,  41,  47, 49,
                          54, 60, 75, 80, 94, 96, 102, 111, 115, 118, 119, 132}));
    for (HerbField field : kHerbFields) {
        if (field != HerbField::OtherNames && field != HerbField::FloweringFruiting)
            QVERIFY2(rowsWith(field, none).isEmpty(), qPrintable(herbFieldCaption(field)));
    }
}

void TestCatalogueTable::familiesHaveTheirCounts()
{
    const QMap<QString, int> counts
            = tally(HerbField::Family, [](const QString &v) { return v.mid(1); });
    const QMap<QString, int> expected = {
            {"蔷薇科", 9},   {"菊科", 8},     {"豆科", 8},     {"唇形科", 5},   {"百合科", 5},
            {"茄科", 4},     {"蓼科", 4},     {"锦葵科", 4},   {"卫矛科", 3},   {"大戟科", 3},
            {"忍冬科", 3},   {"木犀科", 3},   {"玄参科", 3},   {"芸香科", 3},   {"葡萄科", 3},
            {"马鞭草科", 3}, {"鼠李科", 3},   {"十字花科", 2}, {"夹竹桃科", 2}, {"旋花科", 2},
            {"木兰科", 2},   {"桑科", 2},     {"楝科", 2},     {"漆树科", 2},   {"石竹科", 2},
            {"禾本科", 2},   {"罂粟科", 2},   {"胡桃科", 2},   {"胡颓子科", 2}, {"芍药科", 2},
            {"葫芦科", 2},   {"马齿苋科", 2}, {"鸢尾科", 2},   {"五加科", 1},   {"凤仙花科", 1},
            {"商陆科", 1},   {"堇菜科", 1},   {"大麻科", 1},   {"姜科", 1},     {"山茱萸科", 1},
            {"山茶科", 1},   {"无患子科", 1}, {"景天科", 1},   {"杜仲科", 1},   {"杨柳科", 1},
            {"柏科", 1},     {"柽柳科", 1},   {"柿树科", 1},   {"桔梗科", 1},   {"梧桐科", 1},
            {"榆科", 1},     {"毛茛科", 1},   {"猕猴桃科", 1}, {"石榴科", 1},   {"苋科", 1},
            {"茜草科", 1},   {"蒺藜科", 1},   {"薯蓣科", 1},   {"车前草科", 1}, {"银杏科", 1},
    };
    QCOMPARE(expected.size(), 60);
    QCOMPARE(counts, expected);
}

void TestCatalogueTable::generaAreSharedOnlyInTheirPairs()
{
    QMap<QString, QList<int>> rows;
    for (int n = 1; n <= HerbCatalogue::count(); ++n) {
        const QString genus = value(n, HerbField::Genus);
        QVERIFY2(genus.endsWith(QStringLiteral("属")), qPrintable(genus));
        rows[genus].append(n);
    }
    QMap<QString, QList<int>> shared;
    for (auto it = rows.cbegin(); it != rows.cend(); ++it)
        if (it.value().size() > 1)
            shared.insert(it.key(), it.value());
    // 茵陈蒿 is an Artemisia like 艾, so 蒿属 is the one genus shared outside the pairs.
    const QMap<QString, QList<int>> expected = {
            {" 蓼属", {10, 42}},    {" 卫矛属", {21, 28}},  {" 牡荆属", {44, 53}},
            {" 鸢尾属", {64, 125}}, {" 蔷薇属", {68, 127}}, {" 芍药属", {69, 91}},
            {" 枣属", {98, 128}},   {" 蒿属", {1, 120}},
    };
    QCOMPARE(shared, expected);
}

void TestCatalogueTable::habitsFollowTheirForms()
{
    static const QRegularExpression form(QStringLiteral("^ (草本|乔木|灌木|藤本)（[^（）]+）$"));
    QMap<QString, int> forms;
    QMap<QString, int> values;
    for (int n = 1; n <= HerbCatalogue::count(); ++n) {
        const QString habit = value(n, HerbField::Habit);
        ++values[habit];
        ++forms[habit.mid(1, 2)];
        if (n == 8)
            QCOMPARE(habit, " 草本 (二年生)");
        else
            QVERIFY2(form.match(habit).hasMatch(), qPrintable(QString::number(n) + habit));
    }
    QCOMPARE(forms, (QMap<QString, int> {{"草本", 55}, {"乔木", 39}, {"灌木", 20}, {"藤本", 19}}));
    QCOMPARE(values.value(" 草本（多年生）"), 32);
    QCOMPARE(values.value(" 草本（一年生）"), 14);
    QCOMPARE(values.value(" 藤本（草质，多年生）"), 8);
    QCOMPARE(values.value(" 草本（二年生）"), 6);
    QCOMPARE(values.size(), 45);
}

void TestCatalogueTable::floweringColumnForms()
{
    static const QList<std::pair<QString, QRegularExpression>> forms = {
            {"花期果期", QRegularExpression("^ 花期[^，]+月，果期[^，]+[月秋]$")},
            {"花期", QRegularExpression("^ 花期[^，]+月$")},
            {"花果期", QRegularExpression("^ 花果期[^，]+月$")},
            {"果熟期", QRegularExpression("^ 花期[^，]+，果熟期[^，]+$")},
            {"种熟期", QRegularExpression("^ 花期[^，]+月，种熟期[^，]+月$")},
            {"果期", QRegularExpression("^ 果期[^，]+月$")},
            {"花果", QRegularExpression("^ 花[^期果，]+月，果[^期，]+月$")},
            {"无资料", QRegularExpression("^ 无资料$")},
    };
    QMap<QString, QList<int>> rows;
    for (int n = 1; n <= HerbCatalogue::count(); ++n) {
        const QString v = value(n, HerbField::FloweringFruiting);
        auto it = std::find_if(forms.begin(), forms.end(),
                               [&](const auto &f) { return f.second.match(v).hasMatch(); });
        QVERIFY2(it != forms.end(), qPrintable(QString::number(n) + v));
        rows[it->first].append(n);
    }
    QCOMPARE(rows["花期果期"].size(), 72);
    QCOMPARE(rows["花期"].size(), 17);
    QCOMPARE(rows["花果期"].size(), 10);
    QCOMPARE(rows["果熟期"].size(), 6);
    QCOMPARE(rows["种熟期"], QList<int> {13});
    QCOMPARE(rows["果期"], QList<int> {110});
    QCOMPARE(rows["花果"], QList<int> {5});
    QCOMPARE(value(5, HerbField::FloweringFruiting), " 花3-4月，果4-6月");
    QVERIFY(value(1, HerbField::FloweringFruiting).contains(QChar(0x2014)));
    QVERIFY(value(4, HerbField::FloweringFruiting).contains(QStringLiteral("夏秋")));
    QVERIFY(value(16, HerbField::FloweringFruiting).contains(QStringLiteral("夏秋")));
    for (int n : {55, 76})
        QVERIFY(value(n, HerbField::FloweringFruiting).contains(QStringLiteral("次年")));
}

void TestCatalogueTable::otherNamesAndSharedValues()
{
    const QMap<QString, int> names
            = tally(HerbField::OtherNames, [](const QString &v) { return v; });
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        QVERIFY2(it.value() == 1 || it.key() == " 无资料", qPrintable(it.key()));
    QList<int> commaRows;
    for (int n = 1; n <= HerbCatalogue::count(); ++n)
        if (value(n, HerbField::OtherNames).contains(QStringLiteral("，")))
            commaRows.append(n);
    QCOMPARE(commaRows.size(), 2);

    QCOMPARE(rowsWith(HerbField::MedicinalValue, " 凉血止血"), (QList<int> {3, 13}));
    const QMap<QString, int> parts
            = tally(HerbField::PartsUsed, [](const QString &v) { return v; });
    QCOMPARE(parts.size(), 71);
    QCOMPARE(parts.value(" 果实"), 18);
    QCOMPARE(parts.value(" 全草"), 16 - 1); // 益母草's drug is the aerial parts
    QCOMPARE(parts.value(" 根"), 10);
    QCOMPARE(parts.value(" 花"), 7);
}

void TestCatalogueTable::photoPathOpensTheNamedFile_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("file");
    QTest::newRow("艾") << 1 << "艾.jpg";
    QTest::newRow("姜") << 48 << "姜.jpg";
    QTest::newRow("杏") << 115 << "杏.jpg";
    QTest::newRow("软枣猕猴桃") << 84 << "软枣猕猴桃.jpg";
}

void TestCatalogueTable::photoPathOpensTheNamedFile()
{
    QFETCH(int, row);
    QFETCH(QString, file);
    const HerbEntry *entry = HerbCatalogue::entryAt(static_cast<HerbNumber>(row));
    const QString separator = QDir::separator();
    QCOMPARE(pathText(entry->photoPath(localPath(QStringLiteral("/opt/书 #1")))),
             "/opt/书 #1" + separator + "photos" + separator + file);
#ifdef Q_OS_UNIX
    // A folder named in Latin-1 (not UTF-8) keeps its bytes.
    QCOMPARE(QByteArray::fromStdString(entry->photoPath("/opt/caf\xe9").native()),
             "/opt/caf\xe9/photos/" + file.toUtf8());
#endif

    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("photos"));
    QFile photo(dir.filePath("photos/" + file));
    QVERIFY(photo.open(QIODevice::WriteOnly));
    photo.write("jpeg");
    photo.close();
    // A folder that ends in a separator, like the root folder, gives a doubled separator.
    const QString doubled
            = pathText(entry->photoPath(localPath(QDir::toNativeSeparators(dir.path() + "/"))));
    QVERIFY(doubled.contains(separator + separator + "photos" + separator));
    QFile opened(doubled);
    QVERIFY2(opened.open(QIODevice::ReadOnly), qPrintable(doubled));
    QCOMPARE(opened.readAll(), QByteArray("jpeg"));
}

QTEST_APPLESS_MAIN(TestCatalogueTable)
#include "tst_catalogue_table.moc"
