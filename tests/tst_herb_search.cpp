// Finding a plant by what is typed, without a window: the pinyin beside the plant table (one
// reading per plant, valid syllables only, as each name is read), what a text finds and in which
// order, and a search as it is typed, edited and repeated.

#include "herbsearch.h"
#include "herbsearchindex.h"

#include <QSet>
#include <QTest>

namespace {

// Every syllable of standard Mandarin, toneless.
const char kSyllables[]
        = "a ai an ang ao ba bai ban bang bao bei ben beng bi bian biao bie bin bing bo bu pa pai "
          "pan pang pao pei pen peng pi pian piao pie pin ping po pou pu ma mai man mang mao me "
          "mei men meng mi mian miao mie min ming miu mo mou mu fa fan fang fei fen feng fo fou fu "
          "da dai dan dang dao de dei den deng di dia dian diao die ding diu dong dou du duan dui "
          "dun duo ta tai tan tang tao te teng ti tian tiao tie ting tong tou tu tuan tui tun tuo "
          "na nai nan nang nao ne nei nen neng ni nian niang niao nie nin ning niu nong nou nu "
          "nuan nuo nü nüe la lai lan lang lao le lei leng li lia lian liang liao lie lin ling liu "
          "lo long lou lu luan lun luo lü lüe ga gai gan gang gao ge gei gen geng gong gou gu gua "
          "guai guan guang gui gun guo ka kai kan kang kao ke kei ken keng kong kou ku kua kuai "
          "kuan kuang kui kun kuo ha hai han hang hao he hei hen heng hong hou hu hua huai huan "
          "huang hui hun huo ji jia jian jiang jiao jie jin jing jiong jiu ju juan jue jun qi qia "
          "qian qiang qiao qie qin qing qiong qiu qu quan que qun xi xia xian xiang xiao xie xin "
          "xing xiong xiu xu xuan xue xun zha zhai zhan zhang zhao zhe zhei zhen zheng zhi zhong "
          "zhou zhu zhua zhuai zhuan zhuang zhui zhun zhuo cha chai chan chang chao che chen cheng "
          "chi chong chou chu chua chuai chuan chuang chui chun chuo sha shai shan shang shao she "
          "shei shen sheng shi shou shu shua shuai shuan shuang shui shun shuo ra ran rang rao re "
          "ren reng ri rong rou ru rua ruan rui run ruo za zai zan zang zao ze zei zen zeng zi "
          "zong zou zu zuan zui zun zuo ca cai can cang cao ce cen ceng ci cong cou cu cuan cui "
          "cun cuo sa sai san sang sao se sen seng si song sou su suan sui sun suo ya yan yang yao "
          "ye yi yin ying yo yong you yu yuan yue yun wa wai wan wang wei wen weng wo wu e ei en "
          "eng er o ou";

} // namespace

class TestHerbSearch : public QObject
{
    Q_OBJECT

private slots:
    // One reading per plant, a syllable per character, each character read alike wherever it
    // occurs, no two plants read alike.
    void pinyinIsWellFormed()
    {
        const QStringList valid = QString::fromUtf8(kSyllables).split(u' ');
        QCOMPARE(herbPinyin(0), QString());
        QCOMPARE(herbPinyin(HerbNumber(HerbCatalogue::count() + 1)), QString());
        QHash<QChar, QString> readings;
        QSet<QString> whole;
        for (HerbNumber n = 1; n <= HerbCatalogue::count(); ++n) {
            const QString name = HerbCatalogue::entryAt(n)->name();
            const QStringList syllables = herbPinyin(n).split(u' ');
            QCOMPARE(syllables.size(), name.size());
            for (int i = 0; i < name.size(); ++i) {
                QVERIFY2(valid.contains(syllables[i]), qPrintable(name + ' ' + syllables[i]));
                const QString seen = readings.value(name[i], syllables[i]);
                QVERIFY2(seen == syllables[i], qPrintable(name + ": " + seen + "/" + syllables[i]));
                readings.insert(name[i], syllables[i]);
            }
            QVERIFY2(!whole.contains(syllables.join(QString())), qPrintable(name));
            whole.insert(syllables.join(QString()));
        }
    }

    void finding_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found"); // best first
        const auto row = [](const char *typed, const char *found) {
            QTest::newRow(typed) << QString::fromUtf8(typed)
                                 << QString::fromUtf8(found).split(u' ', Qt::SkipEmptyParts);
        };
        row("bohe", "薄荷");
        row("BoHe", "薄荷");
        row("bo he", "薄荷");
        row("bh", "薄荷 百合"); // bo he is the shorter reading
        row("cang'er", "苍耳");
        // characters with more than one reading, read as the plant's name is read
        for (const char *name : {"jiegeng 桔梗", "qiancao 茜草", "jicai 荠菜", "kushen 苦参",
                                 "gualou 栝楼", "wangbuliuxing 王不留行", "gouqi 枸杞",
                                 "jiazhutao 夹竹桃", "cheqiancao 车前草", "shiliu 石榴"}) {
            const QStringList parts = QString::fromUtf8(name).split(u' ');
            QTest::newRow(name) << parts[0] << QStringList {parts[1]};
        }
        row("cange", "苍耳");
        row("lvdou", "绿豆");
        row("ludou", "绿豆");
        row("lüdou", "绿豆");
        row("bai", "白梨 白榆 百合 白茅 白英");
        row("mentha", "薄荷"); // Latin names: genus, species or variety, any case
        row("Artemisia argyi", "艾");
        row("ARTEMISIA", "艾 茵陈蒿");
        row("argyi", "艾");
        row("ma-yuen", "薏苡");
        row("唇形科", "半枝莲 薄荷 夏至草 益母草 紫苏"); // family, genus: list order
        row("蒿属", "艾 茵陈蒿");
        row("地上部分", "扁蓄 薄荷 马齿苋 石竹 小蓟 益母草"); // what is used
        row("清肺止咳", "红景天 枇杷"); // the medicinal value
        // name matches first, the shortest first: the name's start, an other name's start, a part
        // of a name; then the rest in list order
        row("紫", "紫苏 紫丁香 紫玉兰 紫花地丁 苦楝 毛泡桐 元胡");
        row("蒿", "艾 益母草 茵陈蒿");
        row("ma", "马蔺 麦冬 马齿苋 曼陀罗 猫眼草 毛泡桐 锦葵 薏苡 紫玉兰");
        row("板蓝根", "菘蓝");
        QTest::newRow("pasted with blanks around")
                << QStringLiteral(" 板蓝根\n") << QStringList {"菘蓝"};
        row("大青叶", "菘蓝");
        row("垂丝柳", "垂柳"); // other names parted by a full-width comma
        row("紫玉", "紫玉兰");
        row("zyl", "紫玉兰");
        row("薄h", "");
        row("无资料", ""); // the mark of a fact without data names no plant
        row("xq", "");
        row("", "");
        row("   ", "");
    }
    void finding()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        QStringList names;
        for (int position : HerbSearchIndex::instance().find(typed))
            names << HerbCatalogue::displayNames().at(position);
        QCOMPARE(names, found);
    }

    // A search typed piece by piece: "|" parts the pieces, "<" is Backspace, ">" Enter, "~" a
    // pause in typing and "#" Escape; a piece of several characters comes whole.
    void typing_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("tip"); // at the end
        QTest::addColumn<bool>("settled");
        const auto row = [](const char *keys, const char *tip, bool settled) {
            QTest::newRow(keys) << QString::fromUtf8(keys) << QString::fromUtf8(tip) << settled;
        };
        row("b|o|h|e", "bohe → 薄荷", true);
        row("b|h", "bh 1/2 → 薄荷", false); // the best of two, left for a pause
        row("b|h|>", "bh 2/2 → 百合", true);
        row("b|h|>|>", "bh 1/2 → 薄荷", true); // round again
        row("b|h|b|h", "bh 2/2 → 百合", true); // typed again straight away
        row("b|h|b", "bh 1/2 → 薄荷", false); // not yet
        row("b|h|~|b|h", "bh 2/2 → 百合", true); // typed again after a pause
        row("b|h|~|>", "bh 2/2 → 百合", true);
        row("唇形科|>", "唇形科 2/5 → 薄荷", true);
        row("止咳|止咳|止咳", "止咳 3/14 → 虎杖", true);
        row("b|h|x", "bhx → 没有找到", false);
        row("b|h|x|<", "bh 1/2 → 薄荷", false);
        row("b|<", "", false);
        row("x|q|~|>", "", false); // a search that found nothing is not stepped on
        row("b|o|#|>", "", false);
        row(" | ", "", false);
        row("zi| |yu", "zi yu → 紫玉兰", true);
    }
    void typing()
    {
        QFETCH(QString, keys);
        QFETCH(QString, tip);
        QFETCH(bool, settled);
        HerbSearch search;
        for (const QString &key : keys.split(u'|')) {
            if (key == "<")
                search.erase();
            else if (key == ">")
                search.stepOn();
            else if (key == "~")
                search.pause();
            else if (key == "#")
                search.clear();
            else
                search.type(key);
        }
        QCOMPARE(search.tip(), tip);
        QCOMPARE(search.isSettled(), settled);
        const int chosen = search.chosen();
        QCOMPARE(chosen < 0 ? QString() : HerbCatalogue::displayNames().at(chosen),
                 tip.section(QStringLiteral(" → "), 1).remove(QStringLiteral("没有找到")));
    }
};

QTEST_APPLESS_MAIN(TestHerbSearch)
#include "tst_herb_search.moc"
