#include "plateartwork.h"

#include "herbcatalogue.h"
#include "herbentry.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <array>
#include <cmath>
#include <vector>

namespace {

// Deterministic random numbers (splitmix64): a row always draws the same plate.
class Dice
{
public:
    explicit Dice(quint64 seed)
        : m_state(seed)
    { }

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double unit() { return double(next() >> 11) / 9007199254740992.0; }
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }
    int below(int n) { return int(next() % quint64(n)); }
    bool chance(double p) { return unit() < p; }

private:
    quint64 m_state;
};

quint64 fnv1a(const QByteArray &bytes)
{
    quint64 h = 0xcbf29ce484222325ull;
    for (char c : bytes) {
        h ^= quint8(c);
        h *= 0x100000001b3ull;
    }
    return h;
}

enum class Bloom {
    Petals,
    Double,
    Composite,
    Star,
    Bell,
    Trumpet,
    Spike,
    Beads,
    Pea,
    Catkin,
    Tiny,
    Plume,
    None
};
enum class Leaf { Ovate, Lanceolate, Cordate, Linear, Round, Palmate, Lobed, Pinnate, Fan, Scale };
enum class Habit { Herb, Tree, Shrub, Climber };

// How a family is drawn: its flowers, its leaves and its fruit.
struct FamilyLook
{
    const char *family;
    Bloom bloom;
    int petals;
    QRgb flower;
    Leaf leaf;
    QRgb fruit;
    bool toothed;
};

// clang-format off
constexpr FamilyLook kFamilies[] = {
    {"蔷薇科", Bloom::Petals, 5, 0xf4bfd0, Leaf::Ovate, 0xc0392b, true},
    {"菊科", Bloom::Composite, 18, 0xf2c230, Leaf::Lobed, 0x7a5c2e, false},
    {"豆科", Bloom::Pea, 5, 0xb9a0e3, Leaf::Pinnate, 0x7d5a35, false},
    {"百合科", Bloom::Star, 6, 0xfbf4e6, Leaf::Lanceolate, 0x3a4f8f, false},
    {"唇形科", Bloom::Spike, 0, 0xa58ad8, Leaf::Ovate, 0x5b4636, true},
    {"茄科", Bloom::Bell, 5, 0xe6dcf5, Leaf::Ovate, 0xd8432f, false},
    {"蓼科", Bloom::Beads, 0, 0xe892b0, Leaf::Lanceolate, 0x5a3b2a, false},
    {"锦葵科", Bloom::Petals, 5, 0xd65a9c, Leaf::Palmate, 0x7a6a3a, true},
    {"大戟科", Bloom::Tiny, 0, 0xc9d46a, Leaf::Palmate, 0x6a5a3a, false},
    {"马鞭草科", Bloom::Tiny, 0, 0xc8a6e8, Leaf::Palmate, 0x2f3550, false},
    {"芸香科", Bloom::Petals, 5, 0xf7f3e2, Leaf::Pinnate, 0xd9541e, false},
    {"卫矛科", Bloom::Tiny, 0, 0xdfe5b0, Leaf::Ovate, 0xe8702a, true},
    {"木犀科", Bloom::Petals, 4, 0xe6cff4, Leaf::Ovate, 0x2f2f4f, false},
    {"玄参科", Bloom::Trumpet, 0, 0xb38fd6, Leaf::Ovate, 0x6b5a3a, true},
    {"鼠李科", Bloom::Tiny, 0, 0xe3dc86, Leaf::Ovate, 0x9e2f22, true},
    {"忍冬科", Bloom::Trumpet, 0, 0xf6edc4, Leaf::Ovate, 0xcf2a2a, false},
    {"葡萄科", Bloom::Tiny, 0, 0xd6dc98, Leaf::Palmate, 0x3c3470, true},
    {"禾本科", Bloom::Plume, 0, 0xe9dfc2, Leaf::Linear, 0xb8a77a, false},
    {"十字花科", Bloom::Petals, 4, 0xf3d54b, Leaf::Lanceolate, 0x9a8b4a, false},
    {"胡桃科", Bloom::Catkin, 0, 0xbcc47c, Leaf::Pinnate, 0x6e7d3a, true},
    {"桑科", Bloom::Tiny, 0, 0xcfd68a, Leaf::Palmate, 0x9b2d5e, true},
    {"漆树科", Bloom::Tiny, 0, 0xe8dba0, Leaf::Pinnate, 0xc2452d, true},
    {"夹竹桃科", Bloom::Petals, 5, 0xf19cbc, Leaf::Lanceolate, 0x6b5a3a, false},
    {"葫芦科", Bloom::Petals, 5, 0xf4efd2, Leaf::Palmate, 0xe2862a, true},
    {"楝科", Bloom::Tiny, 0, 0xcbb3e8, Leaf::Pinnate, 0xd9b45a, true},
    {"马齿苋科", Bloom::Petals, 5, 0xf2c94a, Leaf::Round, 0x5a3a2a, false},
    {"鸢尾科", Bloom::Star, 6, 0x7e6bd6, Leaf::Linear, 0x6b5a3a, false},
    {"芍药科", Bloom::Double, 10, 0xe87a98, Leaf::Lobed, 0x5a3a2a, false},
    {"旋花科", Bloom::Trumpet, 0, 0xf0b8d8, Leaf::Cordate, 0x6b5a3a, false},
    {"胡颓子科", Bloom::Tiny, 0, 0xece3a0, Leaf::Lanceolate, 0xeb8a1f, false},
    {"石竹科", Bloom::Petals, 5, 0xe46d93, Leaf::Linear, 0x6b5a3a, false},
    {"木兰科", Bloom::Star, 6, 0xb8579c, Leaf::Ovate, 0xc0302a, false},
    {"罂粟科", Bloom::Petals, 4, 0xdc4632, Leaf::Lobed, 0x7a6a4a, true},
    {"榆科", Bloom::Tiny, 0, 0xd4d7a0, Leaf::Ovate, 0xc9cf8a, true},
    {"柏科", Bloom::None, 0, 0x000000, Leaf::Scale, 0x8a9c7a, false},
    {"山茶科", Bloom::Petals, 5, 0xfbf8ef, Leaf::Ovate, 0x6b4f3a, true},
    {"车前草科", Bloom::Spike, 0, 0xd8d4ac, Leaf::Ovate, 0x6b5a3a, false},
    {"柽柳科", Bloom::Beads, 0, 0xeeaac6, Leaf::Scale, 0x6b5a3a, false},
    {"杨柳科", Bloom::Catkin, 0, 0xd8df8c, Leaf::Lanceolate, 0x6b5a3a, true},
    {"杜仲科", Bloom::None, 0, 0x000000, Leaf::Ovate, 0x9a7d4a, true},
    {"凤仙花科", Bloom::Petals, 5, 0xe2487f, Leaf::Lanceolate, 0x8a9a5a, true},
    {"景天科", Bloom::Star, 5, 0xecc84a, Leaf::Round, 0xc46a2a, true},
    {"蒺藜科", Bloom::Petals, 5, 0xf1d13c, Leaf::Pinnate, 0x8a8a4a, false},
    {"姜科", Bloom::Spike, 0, 0xe8cf5a, Leaf::Linear, 0x6b5a3a, false},
    {"桔梗科", Bloom::Bell, 5, 0x7190e0, Leaf::Ovate, 0x6b5a3a, true},
    {"大麻科", Bloom::Tiny, 0, 0xc6d48a, Leaf::Palmate, 0x8a9a5a, true},
    {"茜草科", Bloom::Tiny, 0, 0xecebc8, Leaf::Lanceolate, 0x2a2a3a, false},
    {"苋科", Bloom::Plume, 0, 0xe79ac2, Leaf::Lanceolate, 0x2a2a2a, false},
    {"猕猴桃科", Bloom::Petals, 5, 0xf6f3e6, Leaf::Round, 0x8fa84a, true},
    {"山茱萸科", Bloom::Tiny, 0, 0xefd04a, Leaf::Ovate, 0xc8232c, false},
    {"商陆科", Bloom::Beads, 0, 0xf2eef0, Leaf::Ovate, 0x3b1f3f, false},
    {"石榴科", Bloom::Petals, 6, 0xe0452e, Leaf::Lanceolate, 0xe0553a, false},
    {"柿树科", Bloom::None, 0, 0x000000, Leaf::Ovate, 0xea7a1f, false},
    {"薯蓣科", Bloom::Tiny, 0, 0xe7e8c2, Leaf::Cordate, 0x8a7a4a, false},
    {"无患子科", Bloom::Petals, 5, 0xf7f4ee, Leaf::Pinnate, 0x5a6a3a, true},
    {"毛茛科", Bloom::Pea, 5, 0x5d62c9, Leaf::Palmate, 0x6b5a3a, true},
    {"梧桐科", Bloom::Tiny, 0, 0xe6de9a, Leaf::Palmate, 0x8a6a3a, false},
    {"五加科", Bloom::Tiny, 0, 0xe3e6b0, Leaf::Palmate, 0x2a2a2a, true},
    {"银杏科", Bloom::None, 0, 0x000000, Leaf::Fan, 0xe8c34a, false},
    {"堇菜科", Bloom::Petals, 5, 0x8e6ad8, Leaf::Cordate, 0x6b5a3a, false},
};

// Genera that look unlike the rest of their family. -1 / 0 keep the family's choice.
struct GenusLook
{
    const char *genus;
    int bloom;
    QRgb flower;
    int leaf;
    QRgb fruit;
};

constexpr int B(Bloom b) { return int(b); }
constexpr int L(Leaf l) { return int(l); }

constexpr GenusLook kGenera[] = {
    {"地榆属", B(Bloom::Beads), 0x8c2a3c, L(Leaf::Pinnate), 0},
    {"悬钩子属", -1, 0xfbf6ee, L(Leaf::Pinnate), 0xc0182b},
    {"蔷薇属", B(Bloom::Double), 0xd9416e, L(Leaf::Pinnate), 0},
    {"山楂属", -1, 0xfbf7f0, L(Leaf::Lobed), 0xd0202a},
    {"枇杷属", B(Bloom::Tiny), 0xf6f0dc, L(Leaf::Lanceolate), 0xf0a030},
    {"杏属", -1, 0xf7d3dc, L(Leaf::Round), 0xf2a23a},
    {"梨属", -1, 0xfbf8f2, -1, 0xd8c060},
    {"木瓜属", -1, 0xe8503a, -1, 0xe0c050},
    {"刺槐属", -1, 0xfbf8ee, -1, 0},
    {"槐属", -1, 0xf1ecc8, -1, 0x8aa04a},
    {"合欢属", B(Bloom::Plume), 0xf08cb4, -1, 0},
    {"胡枝子属", -1, 0xc76fb4, -1, 0},
    {"葛属", -1, 0x9a6ad0, -1, 0},
    {"豇豆属", -1, 0xe6d65a, -1, 0x3f6a2a},
    {"皂荚属", B(Bloom::Tiny), 0xe6e2a8, -1, 0x4a2a1f},
    {"苦参属", -1, 0xefe6b8, -1, 0},
    {"沿阶草属", B(Bloom::Beads), 0xc2a8e8, L(Leaf::Linear), 0x2f3f8f},
    {"玉簪属", B(Bloom::Trumpet), 0xfbf8f2, L(Leaf::Cordate), 0},
    {"黄精属", B(Bloom::Bell), 0xf0f0d8, L(Leaf::Ovate), 0x2a2a4a},
    {"万年青属", B(Bloom::Beads), 0xf1ecd0, -1, 0xd22a2a},
    {"枸杞属", -1, 0xa05fc0, L(Leaf::Lanceolate), 0xe0302a},
    {"曼陀罗属", B(Bloom::Trumpet), 0xfbf8f0, L(Leaf::Lobed), 0x6a7a3a},
    {"酸浆属", -1, 0xf3efd8, -1, 0xe8602a},
    {"何首乌属", B(Bloom::Plume), 0xf2efe0, L(Leaf::Cordate), 0},
    {"酸模属", B(Bloom::Beads), 0xb8a05a, -1, 0},
    {"蒲公英属", -1, 0xf6c624, -1, 0},
    {"菊属", -1, 0xf7e3a0, -1, 0},
    {"蒿属", B(Bloom::Beads), 0xc8c890, -1, 0},
    {"苍耳属", B(Bloom::None), 0, L(Leaf::Cordate), 0x9a8a3a},
    {"鬼针草属", -1, 0xf7f4ea, L(Leaf::Pinnate), 0},
    {"蓟属", -1, 0xc95aa8, -1, 0},
    {"泥胡菜属", -1, 0xb05aa0, -1, 0},
    {"锦葵属", -1, 0xc56cc0, -1, 0},
    {"木槿属", -1, 0xc07ad8, L(Leaf::Ovate), 0},
    {"苘麻属", -1, 0xf2c230, L(Leaf::Cordate), 0},
    {"蜀葵属", -1, 0xe0507a, -1, 0},
    {"蓖麻属", -1, 0xd24a3a, -1, 0x8a2a2a},
    {"大戟属", -1, 0xd8d95a, L(Leaf::Lanceolate), 0},
    {"乌桕属", -1, 0, L(Leaf::Round), 0xf4f0e6},
    {"牡荆属", B(Bloom::Spike), 0xb8a0e0, -1, 0},
    {"大青属", -1, 0xe06a98, L(Leaf::Cordate), 0},
    {"连翘属", -1, 0xf2c230, -1, 0x7a5a3a},
    {"丁香属", B(Bloom::Tiny), 0xc6a0e0, L(Leaf::Cordate), 0},
    {"女贞属", B(Bloom::Tiny), 0xf7f5ea, -1, 0},
    {"泡桐属", -1, 0xb99ad8, L(Leaf::Cordate), 0},
    {"地黄属", -1, 0xb4506a, -1, 0},
    {"婆婆纳属", B(Bloom::Petals), 0x6a8ae0, L(Leaf::Round), 0},
    {"接骨木属", B(Bloom::Tiny), 0xf4f0da, L(Leaf::Pinnate), 0x2a1f3a},
    {"荚蒾属", B(Bloom::Tiny), 0xf7f5ec, L(Leaf::Lobed), 0xd82030},
    {"地锦属", -1, 0, -1, 0x2f2f5a},
    {"白茅属", -1, 0xf4f1ea, -1, 0},
    {"薏苡属", -1, 0xe0dcc0, -1, 0x9aa0a8},
    {"荠属", -1, 0xfbfaf5, L(Leaf::Lobed), 0},
    {"枫杨属", -1, 0, -1, 0x8aa05a},
    {"构属", B(Bloom::None), 0, -1, 0xe03a2a},
    {"榕属", B(Bloom::None), 0, -1, 0x7a3a6a},
    {"黄栌属", B(Bloom::Plume), 0xd0a0b0, L(Leaf::Round), 0},
    {"络石属", -1, 0xfbfaf2, L(Leaf::Ovate), 0},
    {"栝楼属", -1, 0xf7f5ee, -1, 0xe8862a},
    {"土人参属", B(Bloom::Tiny), 0xe4577a, L(Leaf::Ovate), 0},
    {"鸢尾属", -1, 0x8a8ae0, -1, 0},
    {"牵牛属", -1, 0x6a7ae6, -1, 0},
    {"胡颓子属", -1, 0, -1, 0xd4a85a},
    {"麦蓝菜属", -1, 0xf0a0b8, L(Leaf::Lanceolate), 0},
    {"五味子属", -1, 0xf4e8d8, L(Leaf::Ovate), 0xd01f2a},
    {"紫堇属", B(Bloom::Spike), 0x9a7ad8, -1, 0},
    {"乌头属", -1, 0x5d62c9, L(Leaf::Lobed), 0},
    {"红景天属", B(Bloom::Tiny), 0xd8a040, -1, 0},
};
// clang-format on

// Everything about a plant that its plate shows, worked out from its row.
struct Look
{
    Habit habit = Habit::Herb;
    bool woody = false;
    Bloom bloom = Bloom::Tiny;
    int petals = 5;
    QColor flower;
    Leaf leaf = Leaf::Ovate;
    bool toothed = false;
    QColor fruit;
    QColor green;
    QColor bark;
    bool showFruit = false;
    bool showRoot = false;
    bool tendrils = false;
};

QString cell(const HerbEntry &row, HerbField field)
{
    return row.value(field).trimmed();
}

Look lookOf(const HerbEntry &row, Dice &dice)
{
    Look look;
    const QString family = cell(row, HerbField::Family);
    const QString genus = cell(row, HerbField::Genus);
    const QString habit = cell(row, HerbField::Habit);
    const QString parts = cell(row, HerbField::PartsUsed);

    if (habit.startsWith(QStringLiteral("乔木")))
        look.habit = Habit::Tree;
    else if (habit.startsWith(QStringLiteral("灌木")))
        look.habit = Habit::Shrub;
    else if (habit.startsWith(QStringLiteral("藤本")))
        look.habit = Habit::Climber;
    look.woody = look.habit == Habit::Tree || look.habit == Habit::Shrub
            || habit.contains(QStringLiteral("木质"));

    // Families not in the table get a look derived from their name.
    const quint64 familyHash = fnv1a(family.toUtf8());
    look.bloom = Bloom(familyHash % 4);
    look.petals = 5;
    look.flower = QColor::fromHsv(int(familyHash % 360), 90, 235);
    look.leaf = Leaf(familyHash % 3);
    look.fruit = QColor(0xa8322d);
    for (const FamilyLook &f : kFamilies) {
        if (family == QString::fromUtf8(f.family)) {
            look.bloom = f.bloom;
            look.petals = f.petals;
            look.flower = QColor(f.flower);
            look.leaf = f.leaf;
            look.fruit = QColor(f.fruit);
            look.toothed = f.toothed;
        }
    }
    for (const GenusLook &g : kGenera) {
        if (genus != QString::fromUtf8(g.genus))
            continue;
        if (g.bloom >= 0)
            look.bloom = Bloom(g.bloom);
        if (g.flower)
            look.flower = QColor(g.flower);
        if (g.leaf >= 0)
            look.leaf = Leaf(g.leaf);
        if (g.fruit)
            look.fruit = QColor(g.fruit);
    }
    if (look.bloom == Bloom::Petals && look.petals == 0)
        look.petals = 5;

    // Greens: a family keeps its shade, the plant varies it a little.
    static const QRgb greens[] = {0x5f8a3a, 0x4f7d4a, 0x6d9a45, 0x46704e, 0x7a9b4c, 0x587f3c};
    look.green = QColor(greens[(familyHash >> 8) % std::size(greens)]);
    if (family == QStringLiteral("胡颓子科") || genus == QStringLiteral("蒿属"))
        look.green = QColor(0x8a9e84);
    look.green = look.green.lighter(int(dice.range(92, 110)));
    look.bark = QColor(0x6d5240).lighter(int(dice.range(90, 115)));

    look.showFruit = look.bloom == Bloom::None || parts.contains(QStringLiteral("果"))
            || parts.contains(QStringLiteral("种")) || parts.contains(QStringLiteral("仁"))
            || parts.contains(QStringLiteral("萼"));
    look.showRoot = look.habit == Habit::Herb
            && (parts.contains(QStringLiteral("根")) || parts.contains(QStringLiteral("块茎"))
                || parts.contains(QStringLiteral("鳞茎")));
    look.tendrils = family == QStringLiteral("葡萄科") || family == QStringLiteral("葫芦科");
    return look;
}

// The painter and the dice for one plate.
struct Scene
{
    QPainter &p;
    Dice &dice;
    const Look &look;
};

// ---- leaves ----------------------------------------------------------------------------

// A blade lying along +x from its base at the origin to its tip at (length, 0): `ratio` is the
// width against the length, `widest` where along it the blade is widest, `bend` how far the
// midline curves. Toothed blades get a fine saw edge.
QPainterPath blade(qreal length, qreal ratio, qreal widest, qreal bend, bool toothed)
{
    const int steps = toothed ? 36 : 24;
    const qreal exponent = std::log(0.5) / std::log(widest);
    const qreal halfWidth = length * ratio / 2;
    std::vector<QPointF> upper;
    std::vector<QPointF> lower;
    for (int i = 0; i <= steps; ++i) {
        const qreal t = qreal(i) / steps;
        qreal h = halfWidth * std::pow(std::sin(M_PI * std::pow(t, exponent)), 0.8);
        if (toothed && i % 2 == 1 && i > 2 && i < steps - 1)
            h += 1.3;
        const qreal mid = bend * length * std::sin(M_PI * t);
        upper.emplace_back(t * length, mid - h);
        lower.emplace_back(t * length, mid + h);
    }
    QPainterPath path(upper.front());
    for (size_t i = 1; i < upper.size(); ++i)
        path.lineTo(upper[i]);
    for (size_t i = lower.size(); i-- > 0;)
        path.lineTo(lower[i]);
    path.closeSubpath();
    return path;
}

QPainterPath heart(qreal length)
{
    QPainterPath path;
    path.moveTo(0, 0);
    path.cubicTo(-0.12 * length, -0.5 * length, 0.5 * length, -0.55 * length, length, 0);
    path.cubicTo(0.5 * length, 0.55 * length, -0.12 * length, 0.5 * length, 0, 0);
    return path;
}

QPainterPath rotated(const QPainterPath &path, qreal degrees, QPointF offset = {})
{
    QTransform t;
    t.translate(offset.x(), offset.y());
    t.rotate(degrees);
    return t.map(path);
}

QPainterPath fan(qreal length)
{
    QPainterPath path;
    path.moveTo(0, 0);
    const int steps = 30;
    for (int i = 0; i <= steps; ++i) {
        const qreal a = qDegreesToRadians(-38.0 + 76.0 * i / steps);
        const qreal notch = 1.0 - 0.22 * std::exp(-std::pow((i - steps / 2.0) / 1.6, 2));
        const qreal wave = 1.0 + 0.025 * std::sin(i * 1.7);
        path.lineTo(length * notch * wave * std::cos(a), length * notch * wave * std::sin(a));
    }
    path.closeSubpath();
    return path;
}

void fillLeafPath(Scene &s, const QPainterPath &path, qreal width, const QColor &green)
{
    QLinearGradient shade(0, -width / 2, 0, width / 2);
    shade.setColorAt(0, green.lighter(118));
    shade.setColorAt(1, green.darker(118));
    s.p.setPen(QPen(green.darker(150), 0.6));
    s.p.setBrush(shade);
    s.p.drawPath(path);
}

void drawVeins(Scene &s, qreal length, qreal bend, qreal spread, const QColor &green)
{
    QPen rib(green.lighter(140), 0.8);
    rib.setCapStyle(Qt::RoundCap);
    s.p.setPen(rib);
    QPainterPath midrib(QPointF(0, 0));
    for (int i = 1; i <= 12; ++i) {
        const qreal t = i / 12.0 * 0.92;
        midrib.lineTo(t * length, bend * length * std::sin(M_PI * t));
    }
    s.p.setBrush(Qt::NoBrush);
    s.p.drawPath(midrib);
    rib.setWidthF(0.5);
    QColor faint = green.lighter(130);
    faint.setAlpha(150);
    rib.setColor(faint);
    s.p.setPen(rib);
    for (int k = 1; k <= 4; ++k) {
        const qreal t = k / 5.5;
        const QPointF from(t * length, bend * length * std::sin(M_PI * t));
        for (int side : {-1, 1}) {
            const QPointF to(from.x() + length * 0.12, from.y() + side * spread * 0.75);
            s.p.drawLine(from, to);
        }
    }
}

// One leaf with its base at `at`, pointing at `angle` degrees (clockwise on screen from +x).
void drawLeaf(Scene &s, QPointF at, qreal angle, qreal length, Leaf shape)
{
    const QColor green = s.look.green.lighter(int(s.dice.range(90, 112)));
    const bool toothed = s.look.toothed;
    s.p.save();
    s.p.translate(at);
    s.p.rotate(angle);
    const qreal bend = s.dice.range(-0.06, 0.06);
    switch (shape) {
    case Leaf::Ovate:
    case Leaf::Lanceolate:
    case Leaf::Round:
    case Leaf::Linear: {
        const qreal ratio = shape == Leaf::Ovate ? 0.48
                : shape == Leaf::Lanceolate      ? 0.24
                : shape == Leaf::Round           ? 0.8
                                                 : 0.075;
        const qreal widest = shape == Leaf::Round ? 0.5 : shape == Leaf::Linear ? 0.2 : 0.38;
        const qreal curve = shape == Leaf::Linear ? bend * 2.5 : bend;
        const qreal stalk = shape == Leaf::Linear ? 0 : length * 0.12;
        if (stalk > 0) {
            s.p.setPen(QPen(green.darker(130), 1.0));
            s.p.drawLine(QPointF(0, 0), QPointF(stalk, 0));
            s.p.translate(stalk, 0);
        }
        const qreal l = length - stalk;
        fillLeafPath(s, blade(l, ratio, widest, curve, toothed && shape != Leaf::Linear), l * ratio,
                     green);
        drawVeins(s, l, curve, shape == Leaf::Linear ? 0 : l * ratio / 2, green);
        break;
    }
    case Leaf::Cordate: {
        const QPainterPath path = heart(length);
        fillLeafPath(s, path, length * 0.8, green);
        drawVeins(s, length, 0, length * 0.3, green);
        break;
    }
    case Leaf::Palmate:
    case Leaf::Lobed: {
        QPainterPath whole;
        std::vector<std::pair<qreal, qreal>> lobes; // angle, length
        if (shape == Leaf::Palmate) {
            s.p.setPen(QPen(green.darker(130), 1.0));
            s.p.drawLine(QPointF(0, 0), QPointF(length * 0.25, 0));
            s.p.translate(length * 0.25, 0);
            const qreal l = length * 0.75;
            const qreal spread = s.dice.range(28, 40);
            for (int k = -2; k <= 2; ++k)
                lobes.emplace_back(k * spread, l * (1.0 - 0.16 * std::abs(k)));
            for (const auto &[a, l2] : lobes)
                whole = whole.united(rotated(blade(l2, 0.42, 0.45, 0, toothed), a));
            fillLeafPath(s, whole, l, green);
            QPen rib(green.lighter(140), 0.8);
            s.p.setPen(rib);
            for (const auto &[a, l2] : lobes)
                s.p.drawLine(QPointF(0, 0),
                             QPointF(l2 * 0.9 * std::cos(qDegreesToRadians(a)),
                                     l2 * 0.9 * std::sin(qDegreesToRadians(a))));
        } else {
            whole = blade(length, 0.3, 0.45, 0, toothed);
            for (qreal t : {0.22, 0.42, 0.62}) {
                const qreal l2 = length * 0.34 * (1.1 - t);
                for (int side : {-1, 1})
                    whole = whole.united(
                            rotated(blade(l2, 0.5, 0.5, 0, toothed), side * 55, {t * length, 0}));
            }
            fillLeafPath(s, whole, length * 0.5, green);
            drawVeins(s, length, 0, length * 0.2, green);
        }
        break;
    }
    case Leaf::Pinnate: {
        s.p.setPen(QPen(green.darker(135), 1.0));
        s.p.drawLine(QPointF(0, 0), QPointF(length, 0));
        const int pairs = 2 + s.dice.below(4);
        const qreal leaflet = length / (pairs + 1.5) * 1.35;
        for (int k = 0; k < pairs; ++k) {
            const qreal x = length * (0.25 + 0.7 * k / pairs);
            for (int side : {-1, 1}) {
                s.p.save();
                s.p.translate(x, 0);
                s.p.rotate(side * s.dice.range(50, 68));
                fillLeafPath(s, blade(leaflet, 0.45, 0.45, 0, toothed), leaflet * 0.45, green);
                s.p.restore();
            }
        }
        s.p.translate(length, 0);
        fillLeafPath(s, blade(leaflet, 0.45, 0.45, 0, toothed), leaflet * 0.45, green);
        break;
    }
    case Leaf::Fan: {
        s.p.setPen(QPen(green.darker(130), 1.0));
        s.p.drawLine(QPointF(0, 0), QPointF(length * 0.35, 0));
        s.p.translate(length * 0.35, 0);
        const qreal l = length * 0.65;
        fillLeafPath(s, fan(l), l, QColor(0x8fae3e).lighter(int(s.dice.range(95, 110))));
        QPen vein(QColor(0xb6cc6a), 0.4);
        s.p.setPen(vein);
        for (int i = -5; i <= 5; ++i) {
            const qreal a = qDegreesToRadians(i * 6.5);
            s.p.drawLine(QPointF(0, 0), QPointF(l * 0.85 * std::cos(a), l * 0.85 * std::sin(a)));
        }
        break;
    }
    case Leaf::Scale: {
        QPen spray(green, 3.4, Qt::SolidLine, Qt::RoundCap);
        QPen shine(green.lighter(135), 1.1, Qt::SolidLine, Qt::RoundCap);
        std::vector<QLineF> twigs {QLineF(0, 0, length, 0)};
        for (int k = 1; k <= 6; ++k) {
            const qreal x = length * k / 7.5;
            const qreal l2 = length * 0.38 * (1.0 - k / 8.0);
            const int side = k % 2 ? 1 : -1;
            twigs.emplace_back(x, 0, x + l2 * 0.75, side * l2 * 0.66);
        }
        for (const QPen &pen : {spray, shine}) {
            s.p.setPen(pen);
            for (const QLineF &t : twigs)
                s.p.drawLine(t);
        }
        break;
    }
    }
    s.p.restore();
}

// ---- flowers and fruit -----------------------------------------------------------------

QColor heartColour(const QColor &flower)
{
    return flower.lightness() > 190 ? QColor(0xe0a826) : flower.darker(170);
}

void drawRing(Scene &s, int count, qreal size, qreal ratio, qreal turn, const QColor &colour)
{
    QRadialGradient shade(QPointF(0, 0), size);
    shade.setColorAt(0, colour.darker(118));
    shade.setColorAt(0.8, colour.lighter(106));
    s.p.setBrush(shade);
    s.p.setPen(QPen(colour.darker(145), 0.6));
    for (int i = 0; i < count; ++i)
        s.p.drawPath(rotated(blade(size, ratio, 0.62, 0, false), turn + 360.0 * i / count));
}

void drawStamens(Scene &s, qreal radius, const QColor &colour)
{
    s.p.setPen(Qt::NoPen);
    s.p.setBrush(colour);
    for (int i = 0; i < 9; ++i) {
        const qreal a = i * 2.39996;
        const qreal r = radius * std::sqrt((i + 0.5) / 9.0);
        s.p.drawEllipse(QPointF(r * std::cos(a), r * std::sin(a)), 0.9, 0.9);
    }
}

void drawFlowerFace(Scene &s, qreal size, int petals)
{
    const QColor c = s.look.flower.lighter(int(s.dice.range(95, 106)));
    const qreal turn = s.dice.range(0, 360);
    drawRing(s, petals, size, petals <= 4 ? 0.85 : 0.62, turn, c);
    s.p.setBrush(heartColour(c));
    s.p.setPen(Qt::NoPen);
    s.p.drawEllipse(QPointF(0, 0), size * 0.2, size * 0.2);
    drawStamens(s, size * 0.3, heartColour(c).darker(140));
}

void drawFruit(Scene &s, QPointF at, qreal r)
{
    const QColor c = s.look.fruit.lighter(int(s.dice.range(92, 108)));
    QRadialGradient shade(at + QPointF(-r * 0.35, -r * 0.35), r * 1.3);
    shade.setColorAt(0, c.lighter(160));
    shade.setColorAt(0.45, c);
    shade.setColorAt(1, c.darker(150));
    s.p.setBrush(shade);
    s.p.setPen(QPen(c.darker(170), 0.6));
    s.p.drawEllipse(at, r, r * 1.05);
    s.p.setPen(Qt::NoPen);
    s.p.setBrush(QColor(255, 255, 255, 150));
    s.p.drawEllipse(at + QPointF(-r * 0.38, -r * 0.4), r * 0.22, r * 0.16);
}

// A bunch of fruit hanging from `at`.
void drawFruitBunch(Scene &s, QPointF at, qreal r, int count)
{
    QPen stalk(s.look.bark.lighter(120), 0.8);
    std::vector<QPointF> spots;
    for (int i = 0; i < count; ++i) {
        const int row = int(std::sqrt(2.0 * i + 0.25) - 0.5);
        const int first = row * (row + 1) / 2;
        const qreal x = (i - first - row / 2.0) * r * 1.8 + s.dice.range(-1, 1);
        spots.emplace_back(at + QPointF(x, r * 1.5 + row * r * 1.6));
    }
    s.p.setPen(stalk);
    for (const QPointF &spot : spots)
        s.p.drawLine(at, spot);
    for (auto it = spots.rbegin(); it != spots.rend(); ++it)
        drawFruit(s, *it, r);
}

// An inflorescence or a flower at `at`, growing towards `angle` degrees.
void drawBloom(Scene &s, QPointF at, qreal angle, qreal size)
{
    const QColor c = s.look.flower;
    const QColor stem = s.look.green.darker(120);
    s.p.save();
    s.p.translate(at);
    switch (s.look.bloom) {
    case Bloom::Petals:
        drawFlowerFace(s, size, s.look.petals);
        break;
    case Bloom::Double:
        drawRing(s, 10, size * 1.1, 0.7, s.dice.range(0, 36), c);
        drawRing(s, 8, size * 0.8, 0.75, s.dice.range(0, 45), c.darker(106));
        drawRing(s, 6, size * 0.5, 0.8, s.dice.range(0, 60), c.darker(112));
        s.p.setBrush(c.darker(130));
        s.p.setPen(Qt::NoPen);
        s.p.drawEllipse(QPointF(0, 0), size * 0.14, size * 0.14);
        break;
    case Bloom::Composite: {
        drawRing(s, s.look.petals, size, 0.2, s.dice.range(0, 20), c);
        const QColor disc
                = c.lightness() > 200 && c.saturation() < 80 ? QColor(0xe0a826) : c.darker(150);
        s.p.setBrush(disc);
        s.p.setPen(QPen(disc.darker(130), 0.6));
        s.p.drawEllipse(QPointF(0, 0), size * 0.36, size * 0.36);
        drawStamens(s, size * 0.3, disc.darker(150));
        break;
    }
    case Bloom::Star: {
        s.p.rotate(angle);
        const qreal turn = s.dice.range(0, 60);
        drawRing(s, s.look.petals, size * 1.1, 0.34, turn, c);
        QPen stripe(c.darker(125), 0.7);
        s.p.setPen(stripe);
        for (int i = 0; i < s.look.petals; ++i) {
            const qreal a = qDegreesToRadians(turn + 360.0 * i / s.look.petals);
            s.p.drawLine(QPointF(0, 0),
                         QPointF(size * 0.8 * std::cos(a), size * 0.8 * std::sin(a)));
        }
        QPen filament(QColor(0x9a8a50), 0.6);
        for (int i = 0; i < 6; ++i) {
            const qreal a = qDegreesToRadians(turn + 30 + 60.0 * i);
            const QPointF tip(size * 0.62 * std::cos(a), size * 0.62 * std::sin(a));
            s.p.setPen(filament);
            s.p.drawLine(QPointF(0, 0), tip);
            s.p.setPen(Qt::NoPen);
            s.p.setBrush(QColor(0xa0522d));
            s.p.drawEllipse(tip, 1.4, 0.9);
        }
        break;
    }
    case Bloom::Bell: {
        // Bells hang from a short arching stalk.
        const QPointF hang(size * 0.5 * (angle > -90 ? 1 : -1), size * 0.4);
        s.p.setPen(QPen(stem, 0.9));
        s.p.setBrush(Qt::NoBrush);
        QPainterPath stalk(QPointF(0, 0));
        stalk.quadTo(QPointF(hang.x(), -size * 0.3), hang);
        s.p.drawPath(stalk);
        s.p.translate(hang);
        const qreal w0 = size * 0.2;
        const qreal w1 = size * 0.55;
        const qreal h = size * 1.05;
        QPainterPath bell(QPointF(-w0, 0));
        bell.cubicTo(-w0 * 1.6, h * 0.5, -w1, h * 0.6, -w1 * 1.1, h);
        for (int i = 0; i < 5; ++i) {
            const qreal x0 = -w1 * 1.1 + i * (w1 * 2.2 / 5);
            bell.quadTo(QPointF(x0 + w1 * 1.1 / 5, h * 0.86), QPointF(x0 + w1 * 2.2 / 5, h));
        }
        bell.cubicTo(w1, h * 0.6, w0 * 1.6, h * 0.5, w0, 0);
        bell.closeSubpath();
        QLinearGradient shade(-w1, 0, w1, 0);
        shade.setColorAt(0, c.darker(125));
        shade.setColorAt(0.45, c.lighter(108));
        shade.setColorAt(1, c.darker(130));
        s.p.setBrush(shade);
        s.p.setPen(QPen(c.darker(150), 0.6));
        s.p.drawPath(bell);
        break;
    }
    case Bloom::Trumpet: {
        s.p.rotate(angle);
        const qreal l = size * 1.5;
        QPainterPath tube(QPointF(0, -size * 0.07));
        tube.cubicTo(l * 0.5, -size * 0.09, l * 0.75, -size * 0.2, l, -size * 0.5);
        tube.lineTo(l, size * 0.5);
        tube.cubicTo(l * 0.75, size * 0.2, l * 0.5, size * 0.09, 0, size * 0.07);
        tube.closeSubpath();
        QLinearGradient shade(0, -size * 0.5, 0, size * 0.5);
        shade.setColorAt(0, c.lighter(110));
        shade.setColorAt(1, c.darker(125));
        s.p.setBrush(shade);
        s.p.setPen(QPen(c.darker(150), 0.6));
        s.p.drawPath(tube);
        s.p.setBrush(c.lighter(112));
        s.p.drawEllipse(QPointF(l, 0), size * 0.16, size * 0.52);
        s.p.setPen(QPen(c.darker(130), 0.5));
        for (int i = -2; i <= 2; ++i)
            s.p.drawLine(QPointF(l * 0.55, i * size * 0.03), QPointF(l, i * size * 0.2));
        break;
    }
    case Bloom::Spike:
    case Bloom::Beads:
    case Bloom::Plume: {
        s.p.rotate(angle);
        const qreal l = size * 2.4;
        s.p.setPen(QPen(stem, 1.0));
        s.p.drawLine(QPointF(0, 0), QPointF(l, 0));
        const int whorls = s.look.bloom == Bloom::Beads ? 26
                : s.look.bloom == Bloom::Plume          ? 40
                                                        : 8;
        for (int i = 0; i < whorls; ++i) {
            const qreal t = qreal(i) / whorls;
            const qreal x = t * l;
            const qreal taper = 1.0 - 0.6 * t;
            if (s.look.bloom == Bloom::Spike) {
                for (int side : {-1, 1}) {
                    s.p.save();
                    s.p.translate(x, 0);
                    s.p.rotate(side * 60);
                    s.p.setBrush(c.lighter(int(s.dice.range(95, 110))));
                    s.p.setPen(QPen(c.darker(140), 0.5));
                    s.p.drawEllipse(QPointF(size * 0.3 * taper, 0), size * 0.3 * taper,
                                    size * 0.15 * taper);
                    s.p.drawEllipse(QPointF(size * 0.32 * taper, size * 0.12 * taper),
                                    size * 0.14 * taper, size * 0.1 * taper);
                    s.p.restore();
                }
            } else if (s.look.bloom == Bloom::Beads) {
                s.p.setPen(QPen(c.darker(140), 0.4));
                s.p.setBrush(c.lighter(int(s.dice.range(92, 112))));
                const qreal r = size * 0.13 * taper + 0.8;
                s.p.drawEllipse(QPointF(x, s.dice.range(-1, 1) * size * 0.18 * taper), r, r);
            } else {
                QColor soft = c.darker(108);
                soft.setAlpha(200);
                s.p.setPen(QPen(soft, 0.9, Qt::SolidLine, Qt::RoundCap));
                const qreal a = qDegreesToRadians((i % 2 ? 1 : -1) * s.dice.range(20, 55));
                const qreal r = size * 0.75 * taper;
                s.p.drawLine(QPointF(x, 0), QPointF(x + r * std::cos(a), r * std::sin(a)));
            }
        }
        break;
    }
    case Bloom::Pea: {
        // A drooping raceme of small pea flowers.
        const qreal l = size * 2.2;
        QPainterPath axis(QPointF(0, 0));
        const QPointF end(l * 0.45 * (angle > -90 ? 1 : -1), l * 0.85);
        axis.quadTo(QPointF(end.x() * 1.2, 0), end);
        s.p.setPen(QPen(stem, 0.9));
        s.p.setBrush(Qt::NoBrush);
        s.p.drawPath(axis);
        for (int i = 0; i < 7; ++i) {
            const qreal t = 0.15 + 0.8 * i / 7.0;
            const QPointF spot = axis.pointAtPercent(t);
            const int side = i % 2 ? 1 : -1;
            const qreal r = size * 0.3 * (1.0 - 0.35 * t);
            const QPointF flower = spot + QPointF(side * r * 1.2, r * 0.3);
            s.p.setPen(QPen(stem, 0.6));
            s.p.drawLine(spot, flower);
            s.p.setPen(QPen(c.darker(145), 0.5));
            s.p.setBrush(c.lighter(int(s.dice.range(98, 112))));
            s.p.drawEllipse(flower, r, r * 0.85);
            s.p.setBrush(c.darker(118));
            s.p.drawEllipse(flower + QPointF(side * r * 0.4, r * 0.45), r * 0.5, r * 0.35);
        }
        break;
    }
    case Bloom::Catkin: {
        const qreal l = size * 2.4;
        QPainterPath axis(QPointF(0, 0));
        axis.cubicTo(QPointF(l * 0.2, l * 0.3), QPointF(-l * 0.1, l * 0.7), QPointF(l * 0.05, l));
        for (int i = 0; i < 22; ++i) {
            const QPointF spot = axis.pointAtPercent(i / 22.0);
            s.p.setPen(QPen(c.darker(140), 0.4));
            s.p.setBrush(i % 2 ? c : c.darker(112));
            s.p.drawEllipse(spot, size * 0.17, size * 0.12);
        }
        break;
    }
    case Bloom::Tiny: {
        // A dome of small flowers on thin stalks.
        const int count = 9 + s.dice.below(7);
        const QPointF hub(0, size * 0.35);
        for (int i = 0; i < count; ++i) {
            const qreal a = qDegreesToRadians(-160 + 140.0 * i / (count - 1) + s.dice.range(-6, 6));
            const qreal r = size * s.dice.range(0.55, 0.85);
            const QPointF spot = hub + QPointF(r * std::cos(a), r * std::sin(a) * 0.8);
            s.p.setPen(QPen(stem, 0.5));
            s.p.drawLine(hub, spot);
            s.p.save();
            s.p.translate(spot);
            drawFlowerFace(s, size * 0.17, 4 + i % 2);
            s.p.restore();
        }
        break;
    }
    case Bloom::None:
        break;
    }
    s.p.restore();
}

// ---- stems and whole plants ------------------------------------------------------------

// The screen angle (clockwise degrees from +x) of a path at t.
qreal screenAngle(const QPainterPath &path, qreal t)
{
    return -path.angleAtPercent(t);
}

void drawTapered(Scene &s, const QPainterPath &path, qreal from, qreal to, const QColor &colour)
{
    const int steps = 16;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < steps; ++i) {
            const qreal t0 = qreal(i) / steps;
            const qreal t1 = qreal(i + 1) / steps;
            const qreal w = from + (to - from) * t0;
            QPen pen(pass == 0 ? colour.darker(135) : colour, pass == 0 ? w + 1.0 : w,
                     Qt::SolidLine, Qt::RoundCap);
            s.p.setPen(pen);
            s.p.drawLine(path.pointAtPercent(t0), path.pointAtPercent(t1));
        }
    }
}

qreal leafLength(const Look &look, qreal base)
{
    switch (look.leaf) {
    case Leaf::Pinnate:
        return base * 1.55;
    case Leaf::Round:
        return base * 0.75;
    case Leaf::Scale:
        return base * 1.3;
    case Leaf::Palmate:
    case Leaf::Lobed:
        return base * 1.15;
    case Leaf::Linear:
        return base * 1.6;
    default:
        return base;
    }
}

qreal bloomSize(const Look &look)
{
    switch (look.bloom) {
    case Bloom::Petals:
        return look.petals <= 4 ? 18 : 19;
    case Bloom::Double:
        return 25;
    case Bloom::Composite:
        return 19;
    case Bloom::Bell:
    case Bloom::Trumpet:
        return 20;
    default:
        return 18;
    }
}

// Leaves along a stem path, alternating sides, from t0 to t1.
void leavesAlong(Scene &s, const QPainterPath &stem, int count, qreal t0, qreal t1, qreal big,
                 qreal small, int firstSide)
{
    for (int i = 0; i < count; ++i) {
        const qreal t = t0 + (t1 - t0) * (count == 1 ? 0.5 : qreal(i) / (count - 1));
        const int side = (i + firstSide) % 2 ? 1 : -1;
        const qreal angle = screenAngle(stem, t) + side * s.dice.range(40, 65);
        const qreal length = leafLength(s.look, big + (small - big) * t) * s.dice.range(0.88, 1.1);
        drawLeaf(s, stem.pointAtPercent(t), angle, length, s.look.leaf);
    }
}

void drawGround(Scene &s, QPointF base, qreal width)
{
    QRadialGradient shadow(base, width);
    shadow.setColorAt(0, QColor(120, 95, 60, 70));
    shadow.setColorAt(1, QColor(120, 95, 60, 0));
    s.p.setPen(Qt::NoPen);
    s.p.setBrush(shadow);
    s.p.drawEllipse(base, width, width * 0.18);
}

void drawRoot(Scene &s, QPointF base, const QString &parts)
{
    const QColor root(0xb08a5a);
    s.p.setPen(QPen(root.darker(140), 0.7));
    QRadialGradient shade(base + QPointF(-3, 6), 16);
    shade.setColorAt(0, root.lighter(125));
    shade.setColorAt(1, root.darker(115));
    s.p.setBrush(shade);
    if (parts.contains(QStringLiteral("鳞茎"))) {
        for (int i = -2; i <= 2; ++i)
            s.p.drawPath(rotated(blade(16, 0.6, 0.4, 0, false), 90 + i * 18, base));
        return;
    }
    if (parts.contains(QStringLiteral("块")) || parts.contains(QStringLiteral("茎"))) {
        s.p.drawEllipse(base + QPointF(0, 8), 15, 8);
        s.p.drawEllipse(base + QPointF(14, 12), 9, 6);
        return;
    }
    QPainterPath tap(base);
    tap.cubicTo(base + QPointF(-3, 8), base + QPointF(4, 14), base + QPointF(1, 22));
    drawTapered(s, tap, 6, 1.2, root);
    s.p.setPen(QPen(root.darker(120), 0.6));
    for (int i = 0; i < 5; ++i) {
        const QPointF from = tap.pointAtPercent(0.2 + i * 0.15);
        s.p.drawLine(from,
                     from + QPointF((i % 2 ? 1 : -1) * s.dice.range(5, 10), s.dice.range(2, 5)));
    }
}

void drawHerb(Scene &s, const QRectF &area, const QString &parts)
{
    const QPointF base(area.center().x() + s.dice.range(-20, 20),
                       area.bottom() - (s.look.showRoot ? 26 : 10));
    drawGround(s, base, 60);
    if (s.look.showRoot)
        drawRoot(s, base, parts);

    const qreal size = bloomSize(s.look);
    if (s.look.leaf == Leaf::Linear) {
        // A tuft of blades with flowering stalks rising from it.
        const int scapes = 1 + s.dice.below(3);
        for (int i = 0; i < scapes; ++i) {
            const QPointF top(base.x() + s.dice.range(-70, 70), area.top() + s.dice.range(15, 60));
            QPainterPath scape(base);
            scape.quadTo(QPointF(base.x(), (base.y() + top.y()) / 2), top);
            drawTapered(s, scape, 2.0, 1.0, s.look.green.darker(115));
            drawBloom(s, top, screenAngle(scape, 1), size);
            if (s.look.bloom == Bloom::Star && s.dice.chance(0.6))
                drawBloom(s, scape.pointAtPercent(0.8), screenAngle(scape, 0.8) + 50, size * 0.8);
        }
        const int blades = 7 + s.dice.below(5);
        for (int i = 0; i < blades; ++i) {
            const qreal angle = -90 + (i - (blades - 1) / 2.0) * s.dice.range(9, 13);
            drawLeaf(s, base, angle, s.dice.range(110, 180), Leaf::Linear);
        }
        return;
    }

    const int stems = (s.look.bloom == Bloom::Composite || s.look.bloom == Bloom::Tiny ? 3 : 2)
            + s.dice.below(2);
    for (int i = 0; i < stems; ++i) {
        const qreal spread = stems == 1 ? 0 : (qreal(i) / (stems - 1) - 0.5) * 2;
        const QPointF top(base.x() + spread * s.dice.range(60, 100),
                          area.top() + s.dice.range(12, 70) + std::abs(spread) * 25);
        QPainterPath stem(base);
        stem.cubicTo(QPointF(base.x(), base.y() - 40), QPointF(top.x() - spread * 30, top.y() + 60),
                     top);
        drawTapered(s, stem, 2.6, 1.2, s.look.green.darker(118));
        leavesAlong(s, stem, 4 + s.dice.below(3), 0.12, 0.82, 48, 28, i);
        drawBloom(s, top, screenAngle(stem, 1), size);
        if (s.look.showFruit && s.look.bloom != Bloom::None) {
            const qreal t = 0.55 + s.dice.range(0, 0.15);
            drawFruitBunch(s, stem.pointAtPercent(t), 5, 1 + s.dice.below(3));
        } else if (s.look.bloom == Bloom::None) {
            drawFruitBunch(s, top, 6, 3);
        }
    }
}

// A twig: a curved stroke from `from` towards `angle`.
QPainterPath twig(QPointF from, qreal angle, qreal length, qreal curl)
{
    const qreal a = qDegreesToRadians(angle);
    const QPointF dir(std::cos(a), std::sin(a));
    const QPointF normal(-dir.y(), dir.x());
    const QPointF to = from + dir * length;
    QPainterPath path(from);
    path.quadTo(from + dir * length * 0.5 + normal * curl * length, to);
    return path;
}

void endCluster(Scene &s, const QPainterPath &stem, bool fruit)
{
    const QPointF tip = stem.pointAtPercent(1);
    const qreal angle = screenAngle(stem, 1);
    if (fruit) {
        drawFruitBunch(s, tip, s.look.bloom == Bloom::None ? 7 : 5.5, 2 + s.dice.below(4));
        return;
    }
    const qreal size = bloomSize(s.look);
    const bool single = s.look.bloom == Bloom::Petals || s.look.bloom == Bloom::Double
            || s.look.bloom == Bloom::Star || s.look.bloom == Bloom::Composite;
    drawBloom(s, tip, angle, size);
    if (single && s.dice.chance(0.7)) {
        const QPainterPath side = twig(stem.pointAtPercent(0.85), angle + 40, 18, 0.1);
        s.p.setPen(QPen(s.look.green.darker(120), 0.9));
        s.p.setBrush(Qt::NoBrush);
        s.p.drawPath(side);
        drawBloom(s, side.pointAtPercent(1), angle + 40, size * 0.8);
    }
}

void drawTree(Scene &s, const QRectF &area)
{
    const QPointF start(area.left() + 4, area.bottom() - s.dice.range(5, 40));
    const QPointF end(area.right() - s.dice.range(20, 50), area.top() + s.dice.range(25, 60));
    QPainterPath branch(start);
    branch.cubicTo(start + QPointF(80, -s.dice.range(0, 60)),
                   end + QPointF(-90, s.dice.range(20, 70)), end);
    const std::array<qreal, 3> forks {0.3, 0.55, 0.78};
    std::vector<QPainterPath> twigs;
    for (size_t i = 0; i < forks.size(); ++i) {
        const qreal t = forks[i] + s.dice.range(-0.04, 0.04);
        const int side = i % 2 ? 1 : -1;
        const qreal angle = screenAngle(branch, t) + side * s.dice.range(35, 55);
        twigs.push_back(twig(branch.pointAtPercent(t), angle, s.dice.range(65, 95),
                             s.dice.range(-0.15, 0.15)));
    }
    drawTapered(s, branch, 6.5, 1.8, s.look.bark);
    for (const QPainterPath &t : twigs)
        drawTapered(s, t, 2.6, 1.0, s.look.bark.lighter(110));

    const qreal leaf = s.look.leaf == Leaf::Pinnate ? 50 : 48;
    for (size_t i = 0; i < twigs.size(); ++i)
        leavesAlong(s, twigs[i], 4 + s.dice.below(2), 0.2, 0.85, leaf, leaf * 0.8, int(i));
    QPainterPath tip;
    tip.moveTo(branch.pointAtPercent(0.6));
    for (int i = 1; i <= 8; ++i)
        tip.lineTo(branch.pointAtPercent(0.6 + 0.4 * i / 8));
    leavesAlong(s, tip, 3, 0.1, 0.8, leaf, leaf * 0.85, 1);

    const bool flowers = s.look.bloom != Bloom::None;
    for (size_t i = 0; i < twigs.size(); ++i)
        endCluster(s, twigs[i], !flowers || (s.look.showFruit && i == 1));
    endCluster(s, branch, !flowers);
}

void drawShrub(Scene &s, const QRectF &area)
{
    const QPointF base(area.center().x() + s.dice.range(-15, 15), area.bottom() - 8);
    drawGround(s, base, 70);
    const int stems = 3 + s.dice.below(2);
    std::vector<QPainterPath> shoots;
    for (int i = 0; i < stems; ++i) {
        const qreal spread = (qreal(i) / (stems - 1) - 0.5) * 2;
        const qreal angle = -90 + spread * s.dice.range(28, 42);
        const QPainterPath main = twig(base, angle, s.dice.range(170, 215) - std::abs(spread) * 25,
                                       s.dice.range(-0.1, 0.1));
        shoots.push_back(main);
        shoots.push_back(twig(main.pointAtPercent(0.55), angle + (spread < 0 ? -30 : 30),
                              s.dice.range(50, 70), 0.1));
    }
    for (size_t i = 0; i < shoots.size(); ++i)
        drawTapered(s, shoots[i], i % 2 ? 1.8 : 3.2, 0.9, s.look.bark);
    for (size_t i = 0; i < shoots.size(); ++i)
        leavesAlong(s, shoots[i], i % 2 ? 3 : 5, 0.2, 0.9, 38, 26, int(i));
    for (size_t i = 0; i < shoots.size(); ++i) {
        const bool fruit = s.look.bloom == Bloom::None || (s.look.showFruit && i % 2 == 1);
        endCluster(s, shoots[i], fruit);
    }
}

void drawTendril(Scene &s, QPointF from, int side)
{
    QPainterPath coil(from);
    for (int i = 1; i <= 28; ++i) {
        const qreal a = i * 0.45;
        const qreal r = 10.0 * (1.0 - i / 32.0);
        coil.lineTo(
                from
                + QPointF(side * (i * 0.5 + r * std::sin(a)), -i * 0.35 - r * (1 - std::cos(a))));
    }
    s.p.setPen(QPen(s.look.green.darker(110), 0.7));
    s.p.setBrush(Qt::NoBrush);
    s.p.drawPath(coil);
}

void drawClimber(Scene &s, const QRectF &area)
{
    // A vine winding up from the lower left to the upper right, smooth through its bends.
    const QPointF start(area.left() + 6, area.bottom() - 6);
    const QPointF end(area.right() - 30, area.top() + 30);
    const QPointF across = end - start;
    const QPointF normal = QPointF(-across.y(), across.x()) / std::hypot(across.x(), across.y());
    std::vector<QPointF> knots {start};
    for (int i = 1; i < 4; ++i)
        knots.push_back(start + across * (i / 4.0)
                        + normal * ((i % 2 ? 1 : -1) * s.dice.range(25, 45)));
    knots.push_back(end);
    QPainterPath vine(start);
    for (size_t i = 0; i + 1 < knots.size(); ++i) {
        const QPointF before = knots[i == 0 ? 0 : i - 1];
        const QPointF after = knots[qMin(i + 2, knots.size() - 1)];
        vine.cubicTo(knots[i] + (knots[i + 1] - before) / 6, knots[i + 1] - (after - knots[i]) / 6,
                     knots[i + 1]);
    }
    drawTapered(s, vine, s.look.woody ? 3.6 : 2.4, 1.2,
                s.look.woody ? s.look.bark : s.look.green.darker(118));
    const int nodes = 11;
    for (int i = 0; i < nodes; ++i) {
        const qreal t = 0.06 + 0.9 * i / (nodes - 1);
        const QPointF at = vine.pointAtPercent(t);
        const int side = i % 2 ? 1 : -1;
        const qreal angle = screenAngle(vine, t) + side * s.dice.range(55, 80) + 15;
        drawLeaf(s, at, angle, leafLength(s.look, s.dice.range(40, 50)), s.look.leaf);
        if (s.look.tendrils && i % 3 == 1)
            drawTendril(s, at, -side);
    }
    for (int i = 0; i < 5; ++i) {
        const qreal t = 0.16 + 0.19 * i + s.dice.range(-0.03, 0.03);
        const QPointF at = vine.pointAtPercent(t);
        const bool fruit = s.look.bloom == Bloom::None || (s.look.showFruit && i % 2 == 1);
        if (fruit)
            drawFruitBunch(s, at, 5.5, s.look.tendrils ? 10 : 2 + s.dice.below(3));
        else
            drawBloom(s, at, screenAngle(vine, t) + (i % 2 ? 70 : -70), bloomSize(s.look));
    }
}

// ---- paper and lettering ---------------------------------------------------------------

void drawPaper(QPainter &p, Dice &dice, const Look &look, const QRectF &plant)
{
    const QRectF all(QPointF(0, 0), QSizeF(kPlateSize));
    p.fillRect(all, QColor(0xf4ecd8));
    // A faint wash of the flower's colour behind the drawing.
    QColor wash = look.bloom == Bloom::None ? look.fruit : look.flower;
    wash.setAlpha(34);
    QRadialGradient blob(plant.center() + QPointF(dice.range(-30, 30), dice.range(-30, 20)),
                         plant.width() * 0.55);
    blob.setColorAt(0, wash);
    wash.setAlpha(0);
    blob.setColorAt(1, wash);
    p.fillRect(all, blob);
    // Age at the edges, and a few fibres.
    QRadialGradient vignette(all.center(), all.width() * 0.72);
    vignette.setColorAt(0.6, QColor(120, 90, 50, 0));
    vignette.setColorAt(1, QColor(120, 90, 50, 48));
    p.fillRect(all, vignette);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 260; ++i) {
        p.setBrush(QColor(110, 85, 50, int(dice.range(8, 24))));
        p.drawEllipse(QPointF(dice.range(0, all.width()), dice.range(0, all.height())),
                      dice.range(0.3, 1.1), dice.range(0.3, 1.1));
    }
}

QFont plateFont(const QString &family, int pixelSize, bool bold = false, bool italic = false)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void drawLettering(QPainter &p, const HerbEntry &row, int number, const QString &habit)
{
    const QColor ink(0x3a3128);
    const QColor rule(0x7a6446);
    p.setPen(QPen(rule, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(8, 8, kPlateSize.width() - 16, kPlateSize.height() - 16));
    p.setPen(QPen(rule, 0.6));
    p.drawRect(QRectF(12.5, 12.5, kPlateSize.width() - 25, kPlateSize.height() - 25));
    p.drawLine(QPointF(318, 24), QPointF(318, 278));
    p.drawLine(QPointF(24, 284), QPointF(kPlateSize.width() - 24, 284));

    // The Chinese name, written top to bottom in the right-hand column.
    const QString name = row.name();
    const int chars = int(name.size());
    const qreal top = 28;
    const qreal room = 200;
    const int px = qMin(60, int(room / (chars * 1.06)));
    p.setFont(plateFont(QStringLiteral("Noto Serif CJK SC"), px, true));
    p.setPen(ink);
    const qreal cellHeight = px * 1.06;
    const qreal y0 = top + (room - cellHeight * chars) / 2;
    for (int i = 0; i < chars; ++i)
        p.drawText(QRectF(322, y0 + i * cellHeight, 96, cellHeight), Qt::AlignCenter, name.at(i));

    // A seal with the plant's form: 草, 木, 灌 or 藤.
    const QString mark
            = habit.startsWith(QStringLiteral("乔木")) ? QStringLiteral("木") : habit.left(1);
    p.save();
    p.translate(370, 252);
    p.rotate(-4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(178, 48, 38, 225));
    p.drawRoundedRect(QRectF(-15, -15, 30, 30), 3, 3);
    p.setPen(QColor(0xf7ecd8));
    p.setFont(plateFont(QStringLiteral("Noto Serif CJK SC"), 20, true));
    p.drawText(QRectF(-15, -16, 30, 30), Qt::AlignCenter, mark);
    p.restore();

    // The Latin name in italic, shrunk to fit, then the family and the genus.
    const QString latin = cell(row, HerbField::LatinName);
    const qreal width = kPlateSize.width() - 52;
    QFont italic = plateFont(QStringLiteral("DejaVu Serif"), 16, false, true);
    for (int px2 = 16; px2 >= 9; --px2) {
        italic.setPixelSize(px2);
        if (QFontMetricsF(italic).horizontalAdvance(latin) <= width)
            break;
    }
    p.setFont(italic);
    p.setPen(ink);
    const QString shown = QFontMetricsF(italic).elidedText(latin, Qt::ElideRight, width);
    p.drawText(QRectF(26, 288, width, 26), Qt::AlignCenter, shown);

    p.setFont(plateFont(QStringLiteral("Noto Serif CJK SC"), 13));
    p.setPen(QColor(0x5b4a35));
    p.drawText(QRectF(26, 314, width, 22), Qt::AlignCenter,
               cell(row, HerbField::Family) + QStringLiteral(" · ") + cell(row, HerbField::Genus));
    p.setFont(plateFont(QStringLiteral("DejaVu Serif"), 10, false, true));
    p.setPen(QColor(0x8a7a62));
    p.drawText(QRectF(26, 314, width, 22), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("No. %1").arg(number));
}

int rowNumberOf(const HerbEntry &row)
{
    for (int n = 1; n <= HerbCatalogue::count(); ++n) {
        if (HerbCatalogue::entryAt(HerbNumber(n)) == &row)
            return n;
    }
    return 0;
}

} // namespace

QImage drawSpecimenPlate(const HerbEntry &row)
{
    QImage image(kPlateSize, QImage::Format_RGB32);
    Dice dice(fnv1a(QByteArray(row.displayName)));
    const Look look = lookOf(row, dice);
    const QRectF plant(22, 22, 292, 258);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawPaper(p, dice, look, plant);

    p.save();
    p.setClipRect(plant.adjusted(-6, -6, 2, 2));
    Scene scene {p, dice, look};
    const QString parts = cell(row, HerbField::PartsUsed);
    switch (look.habit) {
    case Habit::Herb:
        drawHerb(scene, plant, parts);
        break;
    case Habit::Tree:
        drawTree(scene, plant);
        break;
    case Habit::Shrub:
        drawShrub(scene, plant);
        break;
    case Habit::Climber:
        drawClimber(scene, plant);
        break;
    }
    p.restore();

    drawLettering(p, row, rowNumberOf(row), cell(row, HerbField::Habit));
    return image;
}
