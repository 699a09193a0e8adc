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
#include <cstring>
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

// How the plant stands: a leafy herb, a rosette of ground leaves with bare flower stalks, a tuft
// of blades, stems lying on the ground, a tree branch, a weeping branch, a shrub or a vine.
enum class Form { Herb, Rosette, Tuft, Creeping, Tree, Weeping, Shrub, Climber };

enum class Leaf {
    Ovate,
    Lanceolate,
    Cordate,
    Linear,
    Round,
    Palmate, // palmately lobed; `leaflets` lobes
    Cleft, // palmately cut into narrow segments
    Lobed, // pinnately lobed
    Runcinate, // pinnately lobed with lobes pointing back, as a dandelion's
    Pinnate, // `leaflets` leaflets along a stalk
    Bipinnate,
    Ternate, // three leaflets
    Digitate, // `leaflets` leaflets from one point
    Sagittate, // an arrow head
    Threadlike, // finely cut into threads
    Fan,
    Scale
};

enum class Arrangement { Alternate, Opposite, Whorled };
enum class Margin { Entire, Toothed, Spiny };

enum class Bloom {
    None,
    Petals, // one open flower of `petals` petals
    Double,
    Composite, // a daisy head of `petals` rays
    Star, // nodding star with a cone of anthers
    Bell, // hanging bells
    Trumpet,
    Funnel, // a morning glory seen from the front
    Cup, // an upright tulip-like cup of tepals
    Iris,
    Fringed, // petals with fringed ends
    Pinwheel,
    Violet, // five unequal petals
    Balloon, // an open star bell beside a balloon bud
    Pea, // a raceme of pea flowers
    Spike, // a slender spike of lipped flowers
    Lipped, // paired lipped flowers along one side of a short spike
    Spurred, // a raceme of spurred tubes
    Helmet, // a raceme of hooded flowers
    Whorls, // rings of small flowers round the stem at the leaf nodes
    Raceme, // small open flowers on stalks along an upright axis
    Panicle, // a dense cone of small flowers
    Candle, // a dense cylindrical spike, pale below and coloured at the tip
    Knob, // a dense oval head
    Beads, // a loose string of tiny flowers
    Plume, // a feathery panicle
    Catkin,
    Tiny, // a loose dome of small flowers on thin stalks
    Dome, // a dense hemisphere of small tubular flowers
    Umbel, // a ball of small flowers on rays
    Lacecap, // a flat head ringed with large sterile flowers
    Pompom, // silky threads
    Thistle, // a green cup topped by a tuft of threads
    Bracts, // rays ending in pairs of round bracts
    Axils // tiny clusters in the leaf axils
};

enum class Fruit {
    None,
    Berry, // small round berries in a bunch
    Drupe, // oval fruit
    Pome, // a large round fruit with a calyx dimple
    Pear,
    Cluster, // a hanging bunch of grapes
    Raceme, // berries along a hanging axis
    Aggregate, // a bumpy raspberry-like fruit
    Pod,
    BeadPod, // a pod pinched between the seeds
    Samara, // a seed in a round wing
    Key, // a seed in an oblong wing
    WingChain, // a hanging string of two-winged nuts
    Bur, // an oval burr with hooked spines
    StarBur, // a five-armed spiny fruit
    Cone,
    Nut, // a large green husked nut
    Lantern, // a papery lantern
    Gourd,
    Silicle, // heart-shaped pods along a stalk
    Hip,
    Capsule, // a dry capsule with seams
    Poppy, // an urn with a rayed lid
    Crowned, // a round fruit with a crown of calyx teeth
    Persimmon, // a flattened fruit with a four-lobed cap
    Puff, // a round head of parachute seeds
    Needles, // a ball of barbed black needles
    Crook, // thick twisted stalks bearing small fruit
    Boat, // leaf-like open pods with seeds on their edges
};

enum Flag : unsigned {
    Axillary = 1, // flowers (or fruit, if there are no flowers) sit in the leaf axils
    Thorns = 2,
    Tendrils = 4,
};

// The field-guide features of one plant.
struct Traits
{
    const char *name;
    Form form;
    Leaf leaf;
    int leaflets; // lobes or leaflets of a divided leaf; 0: the usual number
    Arrangement arrangement;
    Margin margin;
    Bloom bloom;
    int petals; // 0: the bloom's usual number
    QRgb flower;
    Fruit fruit;
    QRgb fruitColour;
    QRgb leafColour; // 0: the usual green
    unsigned flags;
    int leafSize; // per cent of the usual leaf length; 0: the usual
};

using F = Form;
using L = Leaf;
using B = Bloom;
using R = Fruit;
constexpr Arrangement Alt = Arrangement::Alternate;
constexpr Arrangement Opp = Arrangement::Opposite;
constexpr Arrangement Whorl = Arrangement::Whorled;
constexpr Margin Ent = Margin::Entire;
constexpr Margin Tooth = Margin::Toothed;
constexpr Margin Spiny = Margin::Spiny;
constexpr unsigned Ax = Axillary;
constexpr unsigned Th = Thorns;
constexpr unsigned Te = Tendrils;

// clang-format off
constexpr Traits kPlants[] = {
    {"艾", F::Herb, L::Lobed, 0, Alt, Tooth, B::Beads, 0, 0xc8c890, R::None, 0, 0x8a9e84, 0, 0},
    {"白梨", F::Tree, L::Ovate, 0, Alt, Tooth, B::Petals, 5, 0xfbf8f2, R::Pear, 0xd8c060, 0, 0, 0},
    {"白茅", F::Tuft, L::Linear, 0, Alt, Ent, B::Plume, 0, 0xf4f1ea, R::None, 0, 0, 0, 0},
    {"白英", F::Climber, L::Lobed, 0, Alt, Ent, B::Star, 5, 0xeee6f6, R::Berry, 0xd8302a, 0, 0, 0},
    {"白榆", F::Tree, L::Lanceolate, 0, Alt, Tooth, B::None, 0, 0, R::Samara, 0xc9cf8a, 0, Ax, 80},
    {"百合", F::Herb, L::Lanceolate, 0, Alt, Ent, B::Trumpet, 0, 0xfbf4e6, R::None, 0, 0, 0, 0},
    {"菘蓝", F::Herb, L::Lanceolate, 0, Alt, Ent, B::Tiny, 4, 0xf3d54b, R::Key, 0x4a3a48, 0, 0, 0},
    {"半枝莲", F::Herb, L::Ovate, 0, Opp, Tooth, B::Lipped, 0, 0x7f6bd0, R::None, 0, 0, 0, 80},
    {"蓖麻", F::Shrub, L::Palmate, 7, Alt, Tooth, B::None, 0, 0, R::Bur, 0xb0322a, 0x4f6e48, 0, 140},
    {"扁蓄", F::Creeping, L::Lanceolate, 0, Alt, Ent, B::Axils, 0, 0xf0b8c8, R::None, 0, 0, Ax, 0},
    {"薄荷", F::Herb, L::Ovate, 0, Opp, Tooth, B::Whorls, 0, 0xd6c4ec, R::None, 0, 0, Ax, 0},
    {"苍耳", F::Herb, L::Cordate, 0, Alt, Tooth, B::None, 0, 0, R::Bur, 0x9a8a3a, 0, 0, 0},
    {"侧柏", F::Tree, L::Scale, 0, Alt, Ent, B::None, 0, 0, R::Cone, 0x8a9c7a, 0, 0, 0},
    {"茶树", F::Shrub, L::Ovate, 0, Alt, Tooth, B::Petals, 5, 0xfbf8ef, R::Capsule, 0x6b7a3a, 0x3f6a3a, 0, 0},
    {"车前草", F::Rosette, L::Ovate, 0, Alt, Ent, B::Candle, 0, 0xc8c8a0, R::None, 0, 0, 0, 0},
    {"柽柳", F::Tree, L::Scale, 0, Alt, Ent, B::Beads, 0, 0xeeaac6, R::None, 0, 0x7aa07a, 0, 0},
    {"臭牡丹", F::Shrub, L::Cordate, 0, Opp, Tooth, B::Dome, 0, 0xe06a98, R::None, 0, 0, 0, 0},
    {"臭檀", F::Tree, L::Pinnate, 9, Opp, Tooth, B::Tiny, 5, 0xf4f0e0, R::Capsule, 0xa8423a, 0, 0, 0},
    {"垂柳", F::Weeping, L::Lanceolate, 0, Alt, Tooth, B::Catkin, 0, 0xd8df8c, R::None, 0, 0x7aa04a, 0, 0},
    {"刺槐", F::Tree, L::Pinnate, 11, Alt, Ent, B::Pea, 0, 0xfbf8ee, R::Pod, 0x7d5a35, 0, Th, 0},
    {"大叶黄杨", F::Shrub, L::Round, 0, Opp, Tooth, B::Tiny, 4, 0xdfe5b0, R::Berry, 0xe8702a, 0x2f6a3a, 0, 0},
    {"大叶女贞", F::Tree, L::Ovate, 0, Opp, Ent, B::Panicle, 4, 0xf7f5ea, R::Drupe, 0x2f2f4f, 0x3a6a3a, 0, 0},
    {"地黄", F::Rosette, L::Ovate, 0, Alt, Tooth, B::Trumpet, 0, 0xb4506a, R::None, 0, 0x6d8a45, 0, 0},
    {"地榆", F::Herb, L::Pinnate, 9, Alt, Tooth, B::Knob, 0, 0x8c2a3c, R::None, 0, 0, 0, 0},
    {"杜仲", F::Tree, L::Ovate, 0, Alt, Tooth, B::None, 0, 0, R::Key, 0x9a7d4a, 0, 0, 0},
    {"枫杨", F::Tree, L::Pinnate, 15, Alt, Tooth, B::None, 0, 0, R::WingChain, 0x8aa05a, 0, 0, 0},
    {"凤仙花", F::Herb, L::Lanceolate, 0, Alt, Tooth, B::Petals, 5, 0xe2487f, R::Drupe, 0x8a9a5a, 0, Ax, 0},
    {"扶芳藤", F::Climber, L::Ovate, 0, Opp, Tooth, B::Tiny, 4, 0xdfe5b0, R::Berry, 0xe07040, 0x3a6a3a, 0, 0},
    {"覆盆子", F::Shrub, L::Palmate, 5, Alt, Tooth, B::Petals, 5, 0xfbf6ee, R::Aggregate, 0xc0182b, 0, Th, 0},
    {"葛藤", F::Climber, L::Ternate, 0, Alt, Ent, B::Pea, 0, 0x9a6ad0, R::Pod, 0x8a6a4a, 0, 0, 0},
    {"枸橘", F::Tree, L::Ternate, 0, Alt, Tooth, B::Petals, 5, 0xfbfaf2, R::Pome, 0xe0b030, 0, Th, 0},
    {"枸杞", F::Shrub, L::Lanceolate, 0, Alt, Ent, B::Petals, 5, 0xa05fc0, R::Drupe, 0xe0302a, 0, Th, 75},
    {"构树", F::Tree, L::Palmate, 3, Alt, Tooth, B::None, 0, 0, R::Aggregate, 0xf0602a, 0, 0, 0},
    {"拐枣", F::Tree, L::Cordate, 0, Alt, Tooth, B::None, 0, 0, R::Crook, 0x9e6a3a, 0, 0, 0},
    {"鬼针草", F::Herb, L::Ternate, 0, Opp, Tooth, B::Composite, 5, 0xf7f4ea, R::Needles, 0x2a2a2a, 0, 0, 0},
    {"国槐", F::Tree, L::Pinnate, 13, Alt, Ent, B::Panicle, 0, 0xf1ecc8, R::BeadPod, 0x9aac4a, 0, 0, 0},
    {"合欢", F::Tree, L::Bipinnate, 0, Alt, Ent, B::Pompom, 0, 0xf08cb4, R::Pod, 0xa08a5a, 0, 0, 0},
    {"何首乌", F::Climber, L::Cordate, 0, Alt, Ent, B::Plume, 0, 0xf2efe0, R::None, 0, 0, 0, 0},
    {"核桃", F::Tree, L::Pinnate, 7, Alt, Ent, B::Catkin, 0, 0xbcc47c, R::Nut, 0x6e8d3a, 0, 0, 110},
    {"红景天", F::Herb, L::Round, 0, Alt, Tooth, B::Dome, 0, 0xe0a040, R::None, 0, 0x7d9a80, 0, 0},
    {"胡枝子", F::Shrub, L::Ternate, 0, Alt, Ent, B::Pea, 0, 0xc76fb4, R::None, 0, 0, 0, 85},
    {"虎杖", F::Herb, L::Round, 0, Alt, Ent, B::Plume, 0, 0xeee2b8, R::None, 0, 0, Ax, 0},
    {"花椒", F::Tree, L::Pinnate, 7, Alt, Tooth, B::None, 0, 0, R::Berry, 0xc0302a, 0, Th, 0},
    {"黄荆", F::Shrub, L::Digitate, 5, Opp, Ent, B::Spike, 0, 0xb8a0e0, R::None, 0, 0, 0, 0},
    {"黄栌", F::Tree, L::Round, 0, Alt, Ent, B::Plume, 0, 0xd0a0b0, R::None, 0, 0, 0, 0},
    {"蒺藜", F::Creeping, L::Pinnate, 0, Opp, Ent, B::Petals, 5, 0xf1d13c, R::StarBur, 0x8a8a4a, 0, Ax, 0},
    {"夹竹桃", F::Shrub, L::Lanceolate, 0, Whorl, Ent, B::Petals, 5, 0xf19cbc, R::None, 0, 0x4f7d4a, 0, 0},
    {"姜", F::Herb, L::Lanceolate, 0, Alt, Ent, B::Knob, 0, 0xc8cf5a, R::None, 0, 0, 0, 0},
    {"绞股蓝", F::Climber, L::Digitate, 7, Alt, Tooth, B::Plume, 0, 0xd8e098, R::Berry, 0x2a3a2a, 0, Te, 0},
    {"接骨木", F::Tree, L::Pinnate, 5, Opp, Tooth, B::Panicle, 5, 0xf4f0da, R::Berry, 0x9a1f2a, 0, 0, 0},
    {"金银花", F::Climber, L::Ovate, 0, Opp, Ent, B::Trumpet, 0, 0xf0dc90, R::Berry, 0x1f1f2f, 0, Ax, 0},
    {"锦葵", F::Herb, L::Round, 0, Alt, Tooth, B::Petals, 5, 0xc56cc0, R::None, 0, 0, Ax, 0},
    {"牡荆", F::Shrub, L::Digitate, 0, Opp, Tooth, B::Panicle, 5, 0xa890d8, R::None, 0, 0, 0, 0},
    {"桔梗", F::Herb, L::Ovate, 0, Whorl, Tooth, B::Balloon, 5, 0x7190e0, R::None, 0, 0, 0, 0},
    {"菊花", F::Herb, L::Lobed, 0, Alt, Tooth, B::Composite, 30, 0xf7e3a0, R::None, 0, 0, 0, 0},
    {"苦参", F::Herb, L::Pinnate, 19, Alt, Ent, B::Pea, 0, 0xefe6b8, R::BeadPod, 0x6a7a3a, 0, 0, 0},
    {"苦楝", F::Tree, L::Bipinnate, 0, Alt, Tooth, B::Panicle, 5, 0xcbb3e8, R::Drupe, 0xd9b45a, 0, 0, 0},
    {"栝楼", F::Climber, L::Palmate, 5, Alt, Tooth, B::Fringed, 5, 0xf7f5ee, R::Gourd, 0xe8862a, 0, Te, 0},
    {"连翘", F::Shrub, L::Ovate, 0, Opp, Tooth, B::Petals, 4, 0xf2c230, R::Capsule, 0x7a5a3a, 0, Ax, 0},
    {"绿豆", F::Herb, L::Ternate, 0, Alt, Ent, B::Pea, 0, 0xe6d65a, R::Pod, 0x3f5a2a, 0, 0, 0},
    {"葎草", F::Climber, L::Palmate, 5, Opp, Tooth, B::None, 0, 0, R::Cone, 0xc8c880, 0, Th, 0},
    {"络石", F::Climber, L::Ovate, 0, Opp, Ent, B::Pinwheel, 5, 0xfbfaf2, R::Pod, 0x6b5a3a, 0x3a6a3a, 0, 0},
    {"马齿苋", F::Creeping, L::Round, 0, Opp, Ent, B::Petals, 5, 0xf2c94a, R::None, 0, 0x6d9a45, 0, 80},
    {"马蔺", F::Tuft, L::Linear, 0, Alt, Ent, B::Iris, 0, 0xa8a8ec, R::None, 0, 0, 0, 0},
    {"麦冬", F::Tuft, L::Linear, 0, Alt, Ent, B::Beads, 0, 0xc2a8e8, R::Berry, 0x2f3f8f, 0x3f6a3a, 0, 0},
    {"曼陀罗", F::Herb, L::Lobed, 0, Alt, Tooth, B::Trumpet, 0, 0xfbf8f0, R::Bur, 0x6a7a3a, 0, 0, 0},
    {"猫眼草", F::Herb, L::Linear, 0, Alt, Ent, B::Bracts, 0, 0xd8d95a, R::None, 0, 0, 0, 0},
    {"玫瑰", F::Shrub, L::Pinnate, 7, Alt, Tooth, B::Petals, 5, 0xc8306a, R::Hip, 0xd8402a, 0, Th, 0},
    {"牡丹", F::Shrub, L::Ternate, 0, Alt, Ent, B::Double, 0, 0xe87a98, R::None, 0, 0, 0, 0},
    {"皱皮木瓜", F::Shrub, L::Ovate, 0, Alt, Tooth, B::Petals, 5, 0xe0402e, R::Pome, 0xd8c050, 0, Th | Ax, 0},
    {"木槿", F::Shrub, L::Palmate, 3, Alt, Tooth, B::Petals, 5, 0xc07ad8, R::None, 0, 0, 0, 0},
    {"南蛇藤", F::Climber, L::Round, 0, Alt, Tooth, B::None, 0, 0, R::Berry, 0xe8a02a, 0, 0, 0},
    {"泥胡菜", F::Herb, L::Runcinate, 0, Alt, Ent, B::Thistle, 0, 0xb05aa0, R::None, 0, 0, 0, 0},
    {"爬山虎", F::Climber, L::Palmate, 3, Alt, Tooth, B::None, 0, 0, R::Berry, 0x2f2f5a, 0, Te, 0},
    {"毛泡桐", F::Tree, L::Cordate, 0, Opp, Ent, B::Bell, 0, 0xb99ad8, R::Capsule, 0x8a7a4a, 0, 0, 145},
    {"枇杷", F::Tree, L::Lanceolate, 0, Alt, Tooth, B::None, 0, 0, R::Drupe, 0xf0a030, 0x3f6a3a, 0, 125},
    {"婆婆纳", F::Creeping, L::Round, 0, Opp, Tooth, B::Petals, 4, 0x8fa2ea, R::Silicle, 0x8a9a5a, 0, Ax, 75},
    {"蒲公英", F::Rosette, L::Runcinate, 0, Alt, Ent, B::Composite, 40, 0xf6c624, R::Puff, 0xf4f2ea, 0, 0, 0},
    {"荠菜", F::Rosette, L::Lobed, 0, Alt, Ent, B::Raceme, 4, 0xfbfaf5, R::Silicle, 0x9aac5a, 0, 0, 0},
    {"牵牛", F::Climber, L::Palmate, 3, Alt, Ent, B::Funnel, 0, 0x6a7ae6, R::None, 0, 0, 0, 0},
    {"茜草", F::Climber, L::Cordate, 0, Whorl, Ent, B::Tiny, 5, 0xecebc8, R::Berry, 0x2a2a3a, 0, Th, 0},
    {"青葙", F::Herb, L::Lanceolate, 0, Alt, Ent, B::Candle, 0, 0xe070a8, R::None, 0, 0, 0, 0},
    {"苘麻", F::Herb, L::Cordate, 0, Alt, Tooth, B::Petals, 5, 0xf2c230, R::Capsule, 0x6a7a4a, 0, Ax, 0},
    {"软枣猕猴桃", F::Climber, L::Round, 0, Alt, Tooth, B::Petals, 5, 0xf6f3e6, R::Drupe, 0x8fa84a, 0, 0, 0},
    {"沙棘", F::Shrub, L::Linear, 0, Alt, Ent, B::None, 0, 0, R::Berry, 0xeb8a1f, 0x9aa89a, Th | Ax, 80},
    {"沙枣", F::Tree, L::Lanceolate, 0, Alt, Ent, B::Bell, 0, 0xece3a0, R::Drupe, 0xd4a85a, 0x9aa89a, Th | Ax, 0},
    {"山葡萄", F::Climber, L::Palmate, 3, Alt, Tooth, B::None, 0, 0, R::Cluster, 0x3c3470, 0, Te, 125},
    {"山楂", F::Tree, L::Lobed, 0, Alt, Tooth, B::Tiny, 5, 0xfbf7f0, R::Pome, 0xd0202a, 0, Th, 0},
    {"山茱萸", F::Tree, L::Ovate, 0, Opp, Ent, B::Umbel, 0, 0xefd04a, R::Drupe, 0xc8232c, 0, Ax, 0},
    {"商陆", F::Herb, L::Ovate, 0, Alt, Ent, B::Beads, 0, 0xf2eef0, R::Raceme, 0x3b1f3f, 0, 0, 0},
    {"芍药", F::Herb, L::Ternate, 0, Alt, Ent, B::Petals, 9, 0xf7d0dc, R::None, 0, 0, 0, 0},
    {"石榴", F::Tree, L::Lanceolate, 0, Opp, Ent, B::Petals, 6, 0xe0452e, R::Crowned, 0xe0553a, 0, 0, 0},
    {"石竹", F::Herb, L::Linear, 0, Opp, Ent, B::Fringed, 5, 0xe46d93, R::None, 0, 0, 0, 0},
    {"柿树", F::Tree, L::Ovate, 0, Alt, Ent, B::None, 0, 0, R::Persimmon, 0xea7a1f, 0, 0, 0},
    {"蜀葵", F::Herb, L::Palmate, 7, Alt, Tooth, B::Petals, 5, 0xe0507a, R::None, 0, 0, Ax, 0},
    {"薯蓣", F::Climber, L::Sagittate, 0, Opp, Ent, B::Beads, 0, 0xf0f0e0, R::Berry, 0x8a6a4a, 0, Ax, 0},
    {"酸浆", F::Herb, L::Ovate, 0, Alt, Ent, B::Petals, 5, 0xf3efd8, R::Lantern, 0xe8602a, 0, Ax, 0},
    {"酸枣", F::Shrub, L::Ovate, 0, Alt, Tooth, B::None, 0, 0, R::Berry, 0x9e2f22, 0, Th, 75},
    {"天目琼花", F::Shrub, L::Palmate, 3, Opp, Tooth, B::Lacecap, 5, 0xf7f5ec, R::Berry, 0xd82030, 0, 0, 0},
    {"田旋花", F::Climber, L::Sagittate, 0, Alt, Ent, B::Funnel, 0, 0xf4c8dc, R::None, 0, 0, 0, 0},
    {"土人参", F::Herb, L::Ovate, 0, Alt, Ent, B::Tiny, 5, 0xe4577a, R::Berry, 0xa04a3a, 0, 0, 0},
    {"万年青", F::Rosette, L::Lanceolate, 0, Alt, Ent, B::None, 0, 0, R::Raceme, 0xd22a2a, 0x3f6a3a, 0, 0},
    {"王不留行", F::Herb, L::Lanceolate, 0, Opp, Ent, B::Petals, 5, 0xf0a0b8, R::Capsule, 0x9aa060, 0x7d9a80, 0, 0},
    {"文冠果", F::Tree, L::Pinnate, 13, Alt, Tooth, B::Raceme, 5, 0xf7f4ee, R::Capsule, 0x5a6a3a, 0, 0, 0},
    {"乌桕", F::Tree, L::Round, 0, Alt, Ent, B::Catkin, 0, 0xd8d95a, R::Berry, 0xf4f0e6, 0, 0, 0},
    {"乌蔹莓", F::Climber, L::Digitate, 0, Alt, Tooth, B::Tiny, 4, 0xe8b070, R::Berry, 0x2a2a3a, 0, Te, 0},
    {"乌头", F::Herb, L::Cleft, 0, Alt, Tooth, B::Helmet, 0, 0x5d62c9, R::None, 0, 0, 0, 0},
    {"无花果", F::Tree, L::Palmate, 5, Alt, Tooth, B::None, 0, 0, R::Pear, 0x7a3a6a, 0, 0, 115},
    {"梧桐", F::Tree, L::Palmate, 5, Alt, Ent, B::None, 0, 0, R::Boat, 0xb09a5a, 0, 0, 125},
    {"五加", F::Shrub, L::Digitate, 5, Alt, Tooth, B::Umbel, 5, 0xe3e6b0, R::Berry, 0x2a2a2a, 0, Th, 0},
    {"五味子", F::Climber, L::Ovate, 0, Alt, Tooth, B::None, 0, 0, R::Raceme, 0xd01f2a, 0, 0, 0},
    {"夏至草", F::Herb, L::Palmate, 3, Opp, Tooth, B::Whorls, 0, 0xf7f4ee, R::None, 0, 0x7a9b4c, Ax, 80},
    {"香椿", F::Tree, L::Pinnate, 16, Alt, Ent, B::None, 0, 0, R::Capsule, 0x7a5a3a, 0x7a7a3a, 0, 0},
    {"小蓟", F::Herb, L::Lanceolate, 0, Alt, Spiny, B::Thistle, 0, 0xc95aa8, R::None, 0, 0, 0, 0},
    {"杏", F::Tree, L::Round, 0, Alt, Tooth, B::Petals, 5, 0xf7d3dc, R::Drupe, 0xf2a23a, 0, 0, 0},
    {"盐肤木", F::Tree, L::Pinnate, 9, Alt, Tooth, B::Panicle, 5, 0xf0ead0, R::None, 0, 0, 0, 0},
    {"羊蹄", F::Rosette, L::Lanceolate, 0, Alt, Ent, B::Beads, 0, 0xb8a05a, R::None, 0, 0, 0, 0},
    {"益母草", F::Herb, L::Cleft, 0, Opp, Ent, B::Whorls, 0, 0xd07ac0, R::None, 0, 0, Ax, 0},
    {"薏苡", F::Herb, L::Linear, 0, Alt, Ent, B::None, 0, 0, R::Drupe, 0xa8aab0, 0, Ax, 0},
    {"茵陈蒿", F::Herb, L::Threadlike, 0, Alt, Ent, B::Beads, 0, 0xd0c890, R::None, 0, 0x8fa890, 0, 0},
    {"银杏", F::Tree, L::Fan, 0, Alt, Ent, B::None, 0, 0, R::Drupe, 0xe8c34a, 0, 0, 0},
    {"罂粟", F::Herb, L::Lobed, 0, Alt, Tooth, B::Petals, 4, 0xdc4632, R::Poppy, 0x8a9a7a, 0x7d9a8a, 0, 0},
    {"玉簪", F::Rosette, L::Cordate, 0, Alt, Ent, B::Trumpet, 0, 0xfbf8f2, R::None, 0, 0, 0, 0},
    {"玉竹", F::Herb, L::Ovate, 0, Alt, Ent, B::Bell, 0, 0xf0f0d8, R::Berry, 0x2a2a4a, 0, Ax, 0},
    {"鸢尾", F::Tuft, L::Lanceolate, 0, Alt, Ent, B::Iris, 0, 0x7e6bd6, R::None, 0, 0, 0, 0},
    {"元胡", F::Herb, L::Ternate, 0, Alt, Ent, B::Spurred, 0, 0xb07ad8, R::None, 0, 0, 0, 0},
    {"月季", F::Shrub, L::Pinnate, 5, Alt, Tooth, B::Double, 5, 0xd9416e, R::None, 0, 0, Th, 0},
    {"枣树", F::Tree, L::Ovate, 0, Alt, Tooth, B::Tiny, 5, 0xe3dc86, R::Drupe, 0xa8321f, 0, Th, 85},
    {"皂荚", F::Tree, L::Pinnate, 12, Alt, Tooth, B::None, 0, 0, R::Pod, 0x4a2a1f, 0, Th, 0},
    {"紫丁香", F::Tree, L::Cordate, 0, Opp, Ent, B::Panicle, 4, 0xc6a0e0, R::None, 0, 0, 0, 105},
    {"紫花地丁", F::Rosette, L::Sagittate, 0, Alt, Tooth, B::Violet, 5, 0x8e6ad8, R::None, 0, 0, 0, 0},
    {"紫苏", F::Herb, L::Ovate, 0, Opp, Tooth, B::Raceme, 5, 0xe6d2ee, R::None, 0, 0x6a3a5a, 0, 0},
    {"紫玉兰", F::Tree, L::Ovate, 0, Alt, Ent, B::Cup, 6, 0x9a3a8a, R::None, 0, 0, 0, 0},
};
// clang-format on

// A plant not in the book's table: a leafy plant of its habit with small flowers.
Traits fallbackTraits(const QString &habit)
{
    const Form form = habit.startsWith(QStringLiteral("乔木")) ? F::Tree
            : habit.startsWith(QStringLiteral("灌木"))         ? F::Shrub
            : habit.startsWith(QStringLiteral("藤本"))         ? F::Climber
                                                               : F::Herb;
    return {"", form, L::Ovate, 0, Alt, Ent, B::Tiny, 5, 0xf4f0e0, R::None, 0, 0, 0, 0};
}

QString cell(const HerbEntry &row, HerbField field)
{
    return row.value(field).trimmed();
}

Traits traitsOf(const HerbEntry &row)
{
    for (const Traits &t : kPlants) {
        if (std::strcmp(t.name, row.displayName) == 0)
            return t;
    }
    return fallbackTraits(cell(row, HerbField::Habit));
}

// Everything about a plant that its plate shows: its features and its colours.
struct Look
{
    Traits t;
    QColor flower;
    QColor fruit;
    QColor green;
    QColor bark;
    bool woody = false;
    bool showRoot = false;
};

Look lookOf(const HerbEntry &row, Dice &dice)
{
    Look look {traitsOf(row), {}, {}, {}, {}, false, false};
    const QString habit = cell(row, HerbField::Habit);
    const QString parts = cell(row, HerbField::PartsUsed);
    look.flower = QColor(look.t.flower);
    look.fruit = QColor(look.t.fruitColour);
    static const QRgb greens[] = {0x5f8a3a, 0x4f7d4a, 0x6d9a45, 0x46704e, 0x7a9b4c, 0x587f3c};
    const quint64 familyHash = fnv1a(cell(row, HerbField::Family).toUtf8());
    look.green = QColor(look.t.leafColour ? look.t.leafColour
                                          : greens[(familyHash >> 8) % std::size(greens)]);
    look.green = look.green.lighter(int(dice.range(94, 108)));
    look.bark = QColor(0x6d5240).lighter(int(dice.range(90, 115)));
    const Form f = look.t.form;
    look.woody = f == F::Tree || f == F::Weeping || f == F::Shrub
            || habit.contains(QStringLiteral("木质"));
    look.showRoot = (f == F::Herb || f == F::Rosette || f == F::Tuft)
            && (parts.contains(QStringLiteral("根")) || parts.contains(QStringLiteral("块茎"))
                || parts.contains(QStringLiteral("鳞茎")));
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
// midline curves. Toothed blades get a fine saw edge, spiny ones coarse teeth.
QPainterPath blade(qreal length, qreal ratio, qreal widest, qreal bend, Margin margin)
{
    const int steps = margin == Margin::Entire ? 24 : margin == Margin::Toothed ? 36 : 16;
    const qreal exponent = std::log(0.5) / std::log(widest);
    const qreal halfWidth = length * ratio / 2;
    std::vector<QPointF> upper;
    std::vector<QPointF> lower;
    for (int i = 0; i <= steps; ++i) {
        const qreal t = qreal(i) / steps;
        qreal h = halfWidth * std::pow(std::sin(M_PI * std::pow(t, exponent)), 0.8);
        if (margin != Margin::Entire && i % 2 == 1 && i > 1 && i < steps - 1)
            h += margin == Margin::Toothed ? 1.3 : 3.5 + h * 0.25;
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

QPainterPath arrowHead(qreal length)
{
    QPainterPath path;
    path.moveTo(0, 0);
    path.lineTo(-0.22 * length, -0.3 * length);
    path.quadTo(0.25 * length, -0.26 * length, length, 0);
    path.quadTo(0.25 * length, 0.26 * length, -0.22 * length, 0.3 * length);
    path.closeSubpath();
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

// A simple leaflet with its midrib, lying along +x.
void leaflet(Scene &s, qreal length, qreal ratio, const QColor &green, qreal widest = 0.45)
{
    fillLeafPath(s, blade(length, ratio, widest, 0, s.look.t.margin), length * ratio, green);
    s.p.setPen(QPen(green.lighter(135), 0.5));
    s.p.drawLine(QPointF(length * 0.05, 0), QPointF(length * 0.85, 0));
}

void stalk(Scene &s, qreal length, const QColor &green)
{
    s.p.setPen(QPen(green.darker(130), 1.0));
    s.p.drawLine(QPointF(0, 0), QPointF(length, 0));
    s.p.translate(length, 0);
}

// A row of leaflets on both sides of a stalk from x0 to x1, and one at the tip unless `even`.
void pinnae(Scene &s, qreal x0, qreal x1, int pairs, qreal size, qreal ratio, bool even,
            const QColor &green)
{
    s.p.setPen(QPen(green.darker(135), 0.9));
    s.p.drawLine(QPointF(x0, 0), QPointF(x1, 0));
    for (int k = 0; k < pairs; ++k) {
        const qreal x = x0 + (x1 - x0) * (pairs == 1 ? 0.5 : qreal(k) / (pairs - (even ? 1 : 0)));
        for (int side : {-1, 1}) {
            s.p.save();
            s.p.translate(x, 0);
            s.p.rotate(side * 62);
            leaflet(s, size, ratio, green);
            s.p.restore();
        }
    }
    if (!even) {
        s.p.save();
        s.p.translate(x1, 0);
        leaflet(s, size, ratio, green);
        s.p.restore();
    }
}

// One leaf with its base at `at`, pointing at `angle` degrees (clockwise on screen from +x).
void drawLeaf(Scene &s, QPointF at, qreal angle, qreal length)
{
    const QColor green = s.look.green.lighter(int(s.dice.range(92, 110)));
    const Margin margin = s.look.t.margin;
    const int n = s.look.t.leaflets;
    s.p.save();
    s.p.translate(at);
    s.p.rotate(angle);
    const qreal bend = s.dice.range(-0.06, 0.06);
    switch (s.look.t.leaf) {
    case Leaf::Ovate:
    case Leaf::Lanceolate:
    case Leaf::Round:
    case Leaf::Linear: {
        const Leaf shape = s.look.t.leaf;
        const qreal ratio = shape == Leaf::Ovate ? 0.48
                : shape == Leaf::Lanceolate      ? 0.24
                : shape == Leaf::Round           ? 0.8
                                                 : 0.075;
        const qreal widest = shape == Leaf::Round ? 0.5 : shape == Leaf::Linear ? 0.2 : 0.38;
        const qreal curve = shape == Leaf::Linear ? bend * 2.5 : bend;
        const qreal stem = shape == Leaf::Linear ? 0 : length * 0.12;
        if (stem > 0)
            stalk(s, stem, green);
        const qreal l = length - stem;
        fillLeafPath(s, blade(l, ratio, widest, curve, shape == Leaf::Linear ? Ent : margin),
                     l * ratio, green);
        drawVeins(s, l, curve, shape == Leaf::Linear ? 0 : l * ratio / 2, green);
        break;
    }
    case Leaf::Cordate:
        fillLeafPath(s, heart(length), length * 0.8, green);
        drawVeins(s, length, 0, length * 0.3, green);
        break;
    case Leaf::Sagittate:
        stalk(s, length * 0.15, green);
        fillLeafPath(s, arrowHead(length * 0.85), length * 0.5, green);
        drawVeins(s, length * 0.85, 0, length * 0.15, green);
        break;
    case Leaf::Palmate:
    case Leaf::Cleft: {
        const bool cleft = s.look.t.leaf == Leaf::Cleft;
        stalk(s, length * 0.25, green);
        const qreal l = length * 0.75;
        const int lobes = n ? n : cleft ? 5 : 5;
        const bool shallow = !cleft && margin == Ent; // broad lobes, as a plane tree's
        const qreal spread = (cleft ? 150.0 : lobes <= 3 || shallow ? 90.0 : 130.0) / (lobes - 1);
        QPainterPath whole;
        std::vector<std::pair<qreal, qreal>> rays; // angle, length
        for (int k = 0; k < lobes; ++k) {
            const qreal off = k - (lobes - 1) / 2.0;
            rays.emplace_back(off * spread, l * (1.0 - 0.12 * std::abs(off)));
        }
        for (const auto &[a, l2] : rays) {
            if (cleft) {
                whole = whole.united(rotated(blade(l2, 0.14, 0.5, 0, Ent), a));
                whole = whole.united(rotated(blade(l2 * 0.45, 0.2, 0.5, 0, Ent), a + 28,
                                             {l2 * 0.5 * std::cos(qDegreesToRadians(a)),
                                              l2 * 0.5 * std::sin(qDegreesToRadians(a))}));
            } else {
                const qreal ratio = shallow ? 0.62 : lobes >= 7 ? 0.3 : 0.45;
                whole = whole.united(rotated(blade(l2, ratio, 0.45, 0, margin), a));
            }
        }
        if (!cleft && (lobes <= 3 || margin == Ent))
            whole = whole.united(QPainterPath(heart(l * 0.7)));
        fillLeafPath(s, whole, l, green);
        s.p.setPen(QPen(green.lighter(140), 0.7));
        for (const auto &[a, l2] : rays)
            s.p.drawLine(QPointF(0, 0),
                         QPointF(l2 * 0.85 * std::cos(qDegreesToRadians(a)),
                                 l2 * 0.85 * std::sin(qDegreesToRadians(a))));
        break;
    }
    case Leaf::Lobed:
    case Leaf::Runcinate: {
        const bool back = s.look.t.leaf == Leaf::Runcinate;
        QPainterPath whole = blade(length, 0.22, 0.55, 0, margin);
        for (qreal t : {0.2, 0.38, 0.56, 0.72}) {
            const qreal l2 = length * 0.3 * (1.15 - t);
            for (int side : {-1, 1})
                whole = whole.united(rotated(blade(l2, 0.5, 0.5, 0, margin),
                                             side * (back ? 125 : 58), {t * length, 0}));
        }
        fillLeafPath(s, whole, length * 0.5, green);
        drawVeins(s, length, 0, length * 0.18, green);
        break;
    }
    case Leaf::Pinnate: {
        const int count = n ? n : 7;
        const int pairs = count / 2;
        const qreal size = std::min(length * 0.42, length * 2.2 / (pairs + 1));
        pinnae(s, length * 0.18, length, pairs, size, count > 11 ? 0.32 : 0.45, count % 2 == 0,
               green);
        break;
    }
    case Leaf::Bipinnate: {
        s.p.setPen(QPen(green.darker(135), 1.0));
        s.p.drawLine(QPointF(0, 0), QPointF(length, 0));
        for (int k = 0; k < 4; ++k) {
            const qreal x = length * (0.2 + 0.22 * k);
            for (int side : {-1, 1}) {
                s.p.save();
                s.p.translate(x, 0);
                s.p.rotate(side * 55);
                pinnae(s, 0, length * 0.34, 7, length * 0.07, 0.45, true, green);
                s.p.restore();
            }
        }
        break;
    }
    case Leaf::Ternate:
    case Leaf::Digitate: {
        stalk(s, length * 0.3, green);
        const int count = s.look.t.leaf == Leaf::Ternate ? 3 : n ? n : 5;
        const qreal l = length * 0.62;
        for (int k = 0; k < count; ++k) {
            const qreal off = k - (count - 1) / 2.0;
            s.p.save();
            s.p.rotate(off * (count == 3 ? 55 : 150.0 / (count - 1)));
            leaflet(s, l * (1.0 - 0.12 * std::abs(off)), count == 3 ? 0.5 : 0.3, green);
            s.p.restore();
        }
        break;
    }
    case Leaf::Threadlike: {
        QPen thread(green, 1.1, Qt::SolidLine, Qt::RoundCap);
        s.p.setPen(thread);
        s.p.drawLine(QPointF(0, 0), QPointF(length, 0));
        for (int k = 1; k <= 7; ++k) {
            const qreal x = length * k / 8.0;
            for (int side : {-1, 1}) {
                const qreal a = qDegreesToRadians(side * 45.0);
                const qreal l2 = length * 0.3 * (1.1 - k / 8.0);
                const QPointF end(x + l2 * std::cos(a), l2 * std::sin(a));
                s.p.drawLine(QPointF(x, 0), end);
                s.p.drawLine((QPointF(x, 0) + end) / 2, end + QPointF(l2 * 0.3, side * l2 * 0.05));
            }
        }
        break;
    }
    case Leaf::Fan: {
        stalk(s, length * 0.35, green);
        const qreal l = length * 0.65;
        fillLeafPath(s, fan(l), l, QColor(0x8fae3e).lighter(int(s.dice.range(95, 110))));
        s.p.setPen(QPen(QColor(0xb6cc6a), 0.4));
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

qreal leafLength(const Look &look, qreal base)
{
    if (look.t.leafSize)
        base *= look.t.leafSize / 100.0;
    switch (look.t.leaf) {
    case Leaf::Pinnate:
    case Leaf::Bipinnate:
        return base * 1.55;
    case Leaf::Round:
        return base * 0.75;
    case Leaf::Scale:
    case Leaf::Ternate:
    case Leaf::Digitate:
        return base * 1.3;
    case Leaf::Palmate:
    case Leaf::Cleft:
    case Leaf::Lobed:
    case Leaf::Runcinate:
        return base * 1.15;
    case Leaf::Linear:
        return base * 1.6;
    default:
        return base;
    }
}

// ---- flowers ---------------------------------------------------------------------------

QColor heartColour(const QColor &flower)
{
    return flower.lightness() > 190 ? QColor(0xe0a826) : flower.darker(170);
}

void drawRing(Scene &s, int count, qreal size, qreal ratio, qreal turn, const QColor &colour,
              Margin margin = Margin::Entire)
{
    QRadialGradient shade(QPointF(0, 0), size);
    shade.setColorAt(0, colour.darker(118));
    shade.setColorAt(0.8, colour.lighter(106));
    s.p.setBrush(shade);
    s.p.setPen(QPen(colour.darker(145), 0.6));
    for (int i = 0; i < count; ++i)
        s.p.drawPath(rotated(blade(size, ratio, 0.62, 0, margin), turn + 360.0 * i / count));
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

void drawFlowerFace(Scene &s, qreal size, int petals, const QColor &colour)
{
    const QColor c = colour.lighter(int(s.dice.range(95, 106)));
    const qreal turn = s.dice.range(0, 360);
    drawRing(s, petals, size, petals <= 4 ? 0.85 : petals >= 8 ? 0.45 : 0.62, turn, c);
    s.p.setBrush(heartColour(c));
    s.p.setPen(Qt::NoPen);
    s.p.drawEllipse(QPointF(0, 0), size * 0.2, size * 0.2);
    drawStamens(s, size * 0.3, heartColour(c).darker(140));
}

// A small two-lipped tube pointing along +x.
void drawLippedFlower(Scene &s, qreal size, const QColor &c)
{
    s.p.setPen(QPen(c.darker(145), 0.5));
    s.p.setBrush(c.lighter(int(s.dice.range(96, 110))));
    QPainterPath tube(QPointF(0, -size * 0.12));
    tube.lineTo(size * 0.6, -size * 0.2);
    tube.quadTo(size * 1.05, -size * 0.5, size * 0.95, -size * 0.05);
    tube.quadTo(size * 1.2, size * 0.15, size * 0.9, size * 0.4);
    tube.quadTo(size * 0.7, size * 0.2, size * 0.6, size * 0.12);
    tube.lineTo(0, size * 0.12);
    tube.closeSubpath();
    s.p.drawPath(tube);
}

// Small flowers along an axis from the origin along +x: `draw` paints one at the origin.
template<typename Draw>
void alongAxis(Scene &s, qreal length, int count, qreal spread, Draw draw)
{
    s.p.setPen(QPen(s.look.green.darker(125), 1.0));
    s.p.drawLine(QPointF(0, 0), QPointF(length, 0));
    for (int i = 0; i < count; ++i) {
        const qreal t = 0.12 + 0.88 * i / qMax(1, count - 1);
        const int side = i % 2 ? 1 : -1;
        s.p.save();
        s.p.translate(length * t, 0);
        s.p.rotate(side * spread);
        draw(i, t, side);
        s.p.restore();
    }
}

// An inflorescence or a flower at `at`, growing towards `angle` degrees.
void drawBloom(Scene &s, QPointF at, qreal angle, qreal size)
{
    const QColor c = s.look.flower;
    const QColor stem = s.look.green.darker(120);
    const int petals = s.look.t.petals ? s.look.t.petals : 5;
    s.p.save();
    s.p.translate(at);
    switch (s.look.t.bloom) {
    case Bloom::None:
        break;
    case Bloom::Petals:
        drawFlowerFace(s, size, petals, c);
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
        const bool ligulate = petals >= 35;
        drawRing(s, petals, size, petals >= 20 ? 0.14 : 0.35, s.dice.range(0, 20), c);
        if (ligulate) {
            drawRing(s, petals / 2, size * 0.62, 0.2, s.dice.range(0, 20), c.darker(104));
            break;
        }
        const QColor disc
                = c.lightness() > 200 && c.saturation() < 80 ? QColor(0xe0a826) : c.darker(150);
        s.p.setBrush(disc);
        s.p.setPen(QPen(disc.darker(130), 0.6));
        s.p.drawEllipse(QPointF(0, 0), size * 0.36, size * 0.36);
        drawStamens(s, size * 0.3, disc.darker(150));
        break;
    }
    case Bloom::Star: {
        // Nodding flowers with reflexed petals and a yellow cone of anthers.
        for (int k = 0; k < 3; ++k) {
            s.p.save();
            s.p.translate(k * size * 0.9 - size * 0.9, size * (0.3 + 0.3 * (k % 2)));
            drawRing(s, petals, size * 0.6, 0.3, 90 + 36 * k, c);
            s.p.setBrush(QColor(0xf0c020));
            s.p.setPen(QPen(QColor(0xa08010), 0.5));
            QPainterPath cone(QPointF(-size * 0.12, 0));
            cone.lineTo(0, size * 0.45);
            cone.lineTo(size * 0.12, 0);
            cone.closeSubpath();
            s.p.drawPath(cone);
            s.p.restore();
        }
        break;
    }
    case Bloom::Bell: {
        // Bells hang from a short arching stalk.
        for (int k = 0; k < 2; ++k) {
            s.p.save();
            const QPointF hang(size * (0.5 + k * 0.4) * (angle > -90 ? 1 : -1),
                               size * (0.4 + k * 0.3));
            s.p.setPen(QPen(stem, 0.9));
            s.p.setBrush(Qt::NoBrush);
            QPainterPath stalkPath(QPointF(0, 0));
            stalkPath.quadTo(QPointF(hang.x(), -size * 0.3), hang);
            s.p.drawPath(stalkPath);
            s.p.translate(hang);
            const qreal w0 = size * 0.2;
            const qreal w1 = size * 0.4;
            const qreal h = size * 1.0;
            QPainterPath bell(QPointF(-w0, 0));
            bell.cubicTo(-w0 * 1.5, h * 0.5, -w1, h * 0.6, -w1 * 1.1, h);
            for (int i = 0; i < 5; ++i) {
                const qreal x0 = -w1 * 1.1 + i * (w1 * 2.2 / 5);
                bell.quadTo(QPointF(x0 + w1 * 1.1 / 5, h * 0.86), QPointF(x0 + w1 * 2.2 / 5, h));
            }
            bell.cubicTo(w1, h * 0.6, w0 * 1.5, h * 0.5, w0, 0);
            bell.closeSubpath();
            QLinearGradient shade(-w1, 0, w1, 0);
            shade.setColorAt(0, c.darker(125));
            shade.setColorAt(0.45, c.lighter(108));
            shade.setColorAt(1, c.darker(130));
            s.p.setBrush(shade);
            s.p.setPen(QPen(c.darker(150), 0.6));
            s.p.drawPath(bell);
            s.p.restore();
        }
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
    case Bloom::Funnel: {
        const qreal r = size * 1.05;
        QRadialGradient shade(QPointF(0, 0), r);
        shade.setColorAt(0, QColor(0xfbf8f2));
        shade.setColorAt(0.3, c.lighter(115));
        shade.setColorAt(1, c);
        s.p.setBrush(shade);
        s.p.setPen(QPen(c.darker(140), 0.7));
        QPainterPath rim;
        for (int i = 0; i <= 60; ++i) {
            const qreal a = 2 * M_PI * i / 60;
            const qreal rr = r * (1.0 - 0.06 * std::cos(5 * a));
            const QPointF p(rr * std::cos(a), rr * std::sin(a));
            i ? rim.lineTo(p) : rim.moveTo(p);
        }
        s.p.drawPath(rim);
        s.p.setPen(QPen(c.darker(115), 1.4));
        for (int i = 0; i < 5; ++i) {
            const qreal a = 2 * M_PI * i / 5 + M_PI / 5;
            s.p.drawLine(QPointF(r * 0.25 * std::cos(a), r * 0.25 * std::sin(a)),
                         QPointF(r * 0.92 * std::cos(a), r * 0.92 * std::sin(a)));
        }
        s.p.setBrush(QColor(0xfbf6e8));
        s.p.setPen(Qt::NoPen);
        s.p.drawEllipse(QPointF(0, 0), r * 0.18, r * 0.18);
        break;
    }
    case Bloom::Cup: {
        // An upright cup of long tepals, dark outside and pale within.
        s.p.rotate(angle + 90);
        const qreal h = size * 1.7;
        for (int k : {-2, 2, -1, 1, 0}) {
            QPainterPath tepal(QPointF(0, 0));
            tepal.cubicTo(QPointF(k * size * 0.35 - size * 0.3, -h * 0.4),
                          QPointF(k * size * 0.28 - size * 0.2, -h * 0.9),
                          QPointF(k * size * 0.18, -h));
            tepal.cubicTo(QPointF(k * size * 0.28 + size * 0.2, -h * 0.9),
                          QPointF(k * size * 0.35 + size * 0.3, -h * 0.4), QPointF(0, 0));
            QLinearGradient shade(0, 0, 0, -h);
            shade.setColorAt(0, c.darker(130));
            shade.setColorAt(1, k == 0 ? c.lighter(150) : c.lighter(112));
            s.p.setBrush(shade);
            s.p.setPen(QPen(c.darker(150), 0.6));
            s.p.drawPath(tepal);
        }
        break;
    }
    case Bloom::Iris: {
        s.p.rotate(angle + 90);
        // Three falls hanging outwards and three standards upright.
        for (int side : {-1, 1, 0}) {
            s.p.save();
            s.p.rotate(side * 70 + 180);
            s.p.translate(0, size * 0.1);
            fillLeafPath(s, blade(size * 1.25, 0.55, 0.7, 0.08, Ent), size * 0.6, c);
            s.p.setPen(QPen(QColor(0xf4d040), 1.6, Qt::SolidLine, Qt::RoundCap));
            s.p.drawLine(QPointF(size * 0.2, 0), QPointF(size * 0.7, 0));
            s.p.restore();
        }
        for (int side : {-1, 1}) {
            s.p.save();
            s.p.rotate(-90 + side * 22);
            fillLeafPath(s, blade(size * 1.05, 0.45, 0.6, 0, Ent), size * 0.45, c.lighter(110));
            s.p.restore();
        }
        break;
    }
    case Bloom::Fringed: {
        const qreal turn = s.dice.range(0, 72);
        drawRing(s, petals, size, 0.75, turn, c, Margin::Spiny);
        s.p.setPen(QPen(c.darker(160), 1.6));
        s.p.setBrush(Qt::NoBrush);
        s.p.drawEllipse(QPointF(0, 0), size * 0.35, size * 0.35);
        s.p.setBrush(heartColour(c));
        s.p.setPen(Qt::NoPen);
        s.p.drawEllipse(QPointF(0, 0), size * 0.14, size * 0.14);
        break;
    }
    case Bloom::Pinwheel: {
        const qreal turn = s.dice.range(0, 72);
        for (int i = 0; i < petals; ++i) {
            s.p.save();
            s.p.rotate(turn + 360.0 * i / petals);
            s.p.translate(size * 0.15, 0);
            s.p.rotate(-28);
            fillLeafPath(s, blade(size * 0.9, 0.38, 0.75, 0.1, Ent), size * 0.3, c);
            s.p.restore();
        }
        s.p.setBrush(QColor(0xe8d890));
        s.p.setPen(Qt::NoPen);
        s.p.drawEllipse(QPointF(0, 0), size * 0.16, size * 0.16);
        break;
    }
    case Bloom::Violet: {
        s.p.rotate(angle + 90);
        const struct
        {
            qreal a;
            qreal l;
            qreal w;
        } parts[] = {{-130, 0.9, 0.6},
                     {-50, 0.9, 0.6},
                     {-165, 0.85, 0.55},
                     {-15, 0.85, 0.55},
                     {90, 1.05, 0.75}};
        for (const auto &part : parts) {
            s.p.save();
            s.p.rotate(part.a);
            fillLeafPath(s, blade(size * part.l, part.w, 0.6, 0, Ent), size * part.w, c);
            s.p.restore();
        }
        s.p.setPen(QPen(c.darker(170), 0.6));
        for (int i = -1; i <= 1; ++i)
            s.p.drawLine(QPointF(0, size * 0.1), QPointF(i * size * 0.2, size * 0.7));
        s.p.setBrush(QColor(0xf6f0e0));
        s.p.setPen(Qt::NoPen);
        s.p.drawEllipse(QPointF(0, 0), size * 0.12, size * 0.12);
        // The spur behind.
        s.p.setPen(QPen(c.darker(120), size * 0.14, Qt::SolidLine, Qt::RoundCap));
        s.p.drawLine(QPointF(0, -size * 0.1), QPointF(size * 0.2, -size * 0.7));
        break;
    }
    case Bloom::Balloon: {
        drawRing(s, 5, size * 1.05, 0.75, s.dice.range(0, 72), c);
        s.p.setPen(QPen(c.darker(150), 0.8));
        for (int i = 0; i < 5; ++i) {
            const qreal a = 2 * M_PI * i / 5;
            s.p.drawLine(QPointF(0, 0),
                         QPointF(size * 0.7 * std::cos(a), size * 0.7 * std::sin(a)));
        }
        s.p.setBrush(QColor(0xf4f0e0));
        s.p.setPen(Qt::NoPen);
        s.p.drawEllipse(QPointF(0, 0), size * 0.15, size * 0.15);
        // A balloon bud on its own stalk beside the flower.
        const QPointF bud(size * 1.3 * (angle > -90 ? 1 : -1), -size * 0.6);
        s.p.setPen(QPen(stem, 0.9));
        s.p.drawLine(QPointF(0, size * 0.9), bud + QPointF(0, size * 0.5));
        QRadialGradient shade(bud + QPointF(-size * 0.15, -size * 0.15), size * 0.6);
        shade.setColorAt(0, c.lighter(140));
        shade.setColorAt(1, c.darker(115));
        s.p.setBrush(shade);
        s.p.setPen(QPen(c.darker(150), 0.6));
        s.p.drawEllipse(bud, size * 0.42, size * 0.52);
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
    case Bloom::Spike: {
        s.p.rotate(angle);
        const qreal l = size * 2.4;
        alongAxis(s, l, 16, 60, [&](int, qreal t, int) {
            const qreal taper = 1.0 - 0.6 * t;
            s.p.setBrush(c.lighter(int(s.dice.range(95, 110))));
            s.p.setPen(QPen(c.darker(140), 0.5));
            s.p.drawEllipse(QPointF(size * 0.2 * taper, 0), size * 0.2 * taper,
                            size * 0.11 * taper);
        });
        break;
    }
    case Bloom::Lipped: {
        // Pairs of flowers all turned to one side.
        s.p.rotate(angle);
        const qreal l = size * 1.6;
        s.p.setPen(QPen(stem, 1.0));
        s.p.drawLine(QPointF(0, 0), QPointF(l, 0));
        for (int i = 0; i < 4; ++i) {
            for (int k = 0; k < 2; ++k) {
                s.p.save();
                s.p.translate(l * (0.2 + 0.25 * i) + k * size * 0.12, 0);
                s.p.rotate(-75 + k * 12);
                drawLippedFlower(s, size * 0.55, c);
                s.p.restore();
            }
        }
        break;
    }
    case Bloom::Spurred: {
        s.p.rotate(angle);
        const qreal l = size * 2.0;
        alongAxis(s, l, 6, 80, [&](int, qreal, int side) {
            s.p.setPen(QPen(c.darker(140), 0.5));
            s.p.setBrush(c.lighter(int(s.dice.range(96, 110))));
            QPainterPath flower(QPointF(0, 0));
            flower.quadTo(QPointF(-size * 0.1, side * size * 0.5),
                          QPointF(size * 0.35, side * size * 0.45));
            flower.lineTo(size * 0.95, side * size * 0.25);
            flower.quadTo(QPointF(size * 1.05, 0), QPointF(size * 0.9, -side * size * 0.05));
            flower.lineTo(size * 0.3, side * size * 0.15);
            flower.closeSubpath();
            s.p.drawPath(flower);
            s.p.setBrush(c.darker(125));
            s.p.drawEllipse(QPointF(size * 0.9, side * size * 0.1), size * 0.1, size * 0.14);
        });
        break;
    }
    case Bloom::Helmet: {
        s.p.rotate(angle);
        const qreal l = size * 2.2;
        alongAxis(s, l, 5, 0, [&](int, qreal t, int) {
            const qreal r = size * (0.5 - 0.15 * t);
            s.p.rotate(-angle); // hoods stand upright
            s.p.translate(r * 0.6, 0);
            s.p.setPen(QPen(c.darker(150), 0.6));
            s.p.setBrush(c.lighter(int(s.dice.range(96, 112))));
            QPainterPath hood(QPointF(-r, r * 0.2));
            hood.cubicTo(QPointF(-r, -r * 1.4), QPointF(r * 0.9, -r * 1.5), QPointF(r, r * 0.1));
            hood.lineTo(r * 0.3, -r * 0.1);
            hood.closeSubpath();
            s.p.drawPath(hood);
            s.p.setBrush(c.darker(112));
            s.p.drawEllipse(QPointF(-r * 0.6, r * 0.45), r * 0.45, r * 0.3);
            s.p.drawEllipse(QPointF(r * 0.5, r * 0.45), r * 0.45, r * 0.3);
        });
        break;
    }
    case Bloom::Whorls: {
        // One ring of small lipped flowers round the stem.
        for (int side : {-1, 1}) {
            for (int k = 0; k < 4; ++k) {
                s.p.save();
                s.p.rotate(angle + 90 + side * (35 + k * 20));
                drawLippedFlower(s, size * 0.5, c);
                s.p.restore();
            }
        }
        s.p.setBrush(s.look.green.darker(110));
        s.p.setPen(Qt::NoPen);
        s.p.drawEllipse(QPointF(0, 0), size * 0.2, size * 0.16);
        break;
    }
    case Bloom::Axils: {
        s.p.setPen(QPen(c.darker(140), 0.4));
        for (int k = 0; k < 4; ++k) {
            s.p.setBrush(c.lighter(int(s.dice.range(92, 112))));
            s.p.drawEllipse(QPointF(s.dice.range(-3, 3), s.dice.range(-3, 3)), 2.2, 2.2);
        }
        break;
    }
    case Bloom::Raceme: {
        s.p.rotate(angle);
        const qreal l = size * 2.4;
        alongAxis(s, l, 9, 55, [&](int, qreal t, int) {
            const qreal r = size * 0.3 * (1.0 - 0.4 * t);
            s.p.setPen(QPen(stem, 0.5));
            s.p.drawLine(QPointF(0, 0), QPointF(r * 1.6, 0));
            s.p.translate(r * 1.6, 0);
            drawFlowerFace(s, r, petals, c);
        });
        break;
    }
    case Bloom::Panicle: {
        // A dense cone of small florets.
        s.p.rotate(angle);
        const qreal l = size * 2.3;
        for (int i = 0; i < 46; ++i) {
            const qreal t = s.dice.unit();
            const qreal half = size * 0.85 * (1.0 - t);
            const QPointF spot(t * l, s.dice.range(-half, half));
            s.p.save();
            s.p.translate(spot);
            drawFlowerFace(s, size * 0.19, petals, c);
            s.p.restore();
        }
        break;
    }
    case Bloom::Candle: {
        s.p.rotate(angle);
        const qreal l = size * 2.6;
        QPainterPath body(QPointF(0, -size * 0.28));
        body.lineTo(l * 0.8, -size * 0.24);
        body.quadTo(QPointF(l, -size * 0.2), QPointF(l * 1.05, 0));
        body.quadTo(QPointF(l, size * 0.2), QPointF(l * 0.8, size * 0.24));
        body.lineTo(0, size * 0.28);
        body.closeSubpath();
        QLinearGradient shade(0, 0, l, 0);
        shade.setColorAt(0, QColor(0xf2efe6));
        shade.setColorAt(0.55, c.lighter(150));
        shade.setColorAt(1, c);
        s.p.setBrush(shade);
        s.p.setPen(QPen(c.darker(130), 0.6));
        s.p.drawPath(body);
        s.p.setPen(QPen(c.darker(115), 0.5));
        for (int i = 1; i < 14; ++i) {
            const qreal x = l * i / 14.0;
            s.p.drawLine(QPointF(x, -size * 0.22), QPointF(x + size * 0.15, size * 0.2));
        }
        break;
    }
    case Bloom::Knob: {
        s.p.rotate(angle);
        const qreal l = size * 0.9;
        QRadialGradient shade(QPointF(l * 0.4, -size * 0.15), size * 0.7);
        shade.setColorAt(0, c.lighter(140));
        shade.setColorAt(1, c.darker(120));
        s.p.setBrush(shade);
        s.p.setPen(QPen(c.darker(150), 0.6));
        s.p.drawEllipse(QPointF(l * 0.55, 0), l * 0.6, size * 0.38);
        s.p.setPen(Qt::NoPen);
        s.p.setBrush(c.darker(140));
        for (int i = 0; i < 14; ++i)
            s.p.drawEllipse(QPointF(l * s.dice.range(0.1, 1.0), size * s.dice.range(-0.25, 0.25)),
                            0.9, 0.9);
        break;
    }
    case Bloom::Beads:
    case Bloom::Plume: {
        s.p.rotate(angle);
        const bool beads = s.look.t.bloom == Bloom::Beads;
        const qreal l = size * 2.4;
        s.p.setPen(QPen(stem, 1.0));
        s.p.drawLine(QPointF(0, 0), QPointF(l, 0));
        const int count = beads ? 26 : 40;
        for (int i = 0; i < count; ++i) {
            const qreal t = qreal(i) / count;
            const qreal x = t * l;
            const qreal taper = 1.0 - 0.6 * t;
            if (beads) {
                s.p.setPen(QPen(c.darker(140), 0.4));
                s.p.setBrush(c.lighter(int(s.dice.range(92, 112))));
                const qreal r = size * 0.13 * taper + 0.8;
                s.p.drawEllipse(QPointF(x, s.dice.range(-1, 1) * size * 0.18 * taper), r, r);
            } else {
                QColor soft = c.darker(c.lightness() > 225 ? 135 : 108);
                soft.setAlpha(200);
                s.p.setPen(QPen(soft, 1.2, Qt::SolidLine, Qt::RoundCap));
                const qreal a = qDegreesToRadians((i % 2 ? 1 : -1) * s.dice.range(20, 55));
                const qreal r = size * 0.75 * taper;
                s.p.drawLine(QPointF(x, 0), QPointF(x + r * std::cos(a), r * std::sin(a)));
            }
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
        // A loose dome of small flowers on thin stalks.
        const int count = 9 + s.dice.below(5);
        const QPointF hub(0, size * 0.35);
        for (int i = 0; i < count; ++i) {
            const qreal a = qDegreesToRadians(-160 + 140.0 * i / (count - 1) + s.dice.range(-6, 6));
            const qreal r = size * s.dice.range(0.55, 0.85);
            const QPointF spot = hub + QPointF(r * std::cos(a), r * std::sin(a) * 0.8);
            s.p.setPen(QPen(stem, 0.5));
            s.p.drawLine(hub, spot);
            s.p.save();
            s.p.translate(spot);
            drawFlowerFace(s, size * 0.17, petals, c);
            s.p.restore();
        }
        break;
    }
    case Bloom::Dome: {
        for (int i = 0; i < 34; ++i) {
            const qreal a = s.dice.range(-M_PI, 0);
            const qreal r = size * std::sqrt(s.dice.unit());
            const QPointF spot(r * std::cos(a), r * std::sin(a) * 0.75);
            s.p.save();
            s.p.translate(spot);
            s.p.rotate(qRadiansToDegrees(a));
            s.p.setPen(QPen(c.darker(150), 0.4));
            s.p.setBrush(c.darker(110));
            s.p.drawEllipse(QPointF(size * 0.1, 0), size * 0.12, size * 0.05);
            drawFlowerFace(s, size * 0.14, 5, c);
            s.p.restore();
        }
        break;
    }
    case Bloom::Umbel: {
        const QPointF hub(0, size * 0.2);
        for (int i = 0; i < 16; ++i) {
            const qreal a = 2 * M_PI * i / 16;
            const QPointF spot = hub + QPointF(size * 0.7 * std::cos(a), size * 0.6 * std::sin(a));
            s.p.setPen(QPen(stem, 0.5));
            s.p.drawLine(hub, spot);
            s.p.setPen(QPen(c.darker(150), 0.4));
            s.p.setBrush(c.lighter(int(s.dice.range(95, 110))));
            s.p.drawEllipse(spot, size * 0.12, size * 0.12);
        }
        break;
    }
    case Bloom::Lacecap: {
        for (int i = 0; i < 22; ++i) {
            const qreal a = s.dice.range(0, 2 * M_PI);
            const qreal r = size * 0.6 * std::sqrt(s.dice.unit());
            s.p.setPen(Qt::NoPen);
            s.p.setBrush(QColor(0xe6e0b0));
            s.p.drawEllipse(QPointF(r * std::cos(a), r * std::sin(a) * 0.6), 1.3, 1.3);
        }
        for (int i = 0; i < 7; ++i) {
            const qreal a = 2 * M_PI * i / 7;
            s.p.save();
            s.p.translate(size * 0.95 * std::cos(a), size * 0.6 * std::sin(a));
            drawFlowerFace(s, size * 0.35, 5, c);
            s.p.restore();
        }
        break;
    }
    case Bloom::Pompom: {
        for (int i = 0; i < 40; ++i) {
            const qreal a = qDegreesToRadians(-180 + 180.0 * i / 39 + s.dice.range(-4, 4));
            const qreal r = size * s.dice.range(0.9, 1.25);
            const QPointF tip(r * std::cos(a), r * std::sin(a));
            QLinearGradient thread(QPointF(0, 0), tip);
            thread.setColorAt(0, QColor(0xfbf6f0));
            thread.setColorAt(0.5, QColor(0xfbf6f0));
            thread.setColorAt(1, c);
            s.p.setPen(QPen(QBrush(thread), 0.8));
            s.p.drawLine(QPointF(0, 0), tip);
        }
        break;
    }
    case Bloom::Thistle: {
        s.p.rotate(angle + 90);
        QPainterPath cup(QPointF(-size * 0.3, 0));
        cup.cubicTo(QPointF(-size * 0.5, size * 0.1), QPointF(-size * 0.35, size * 0.55),
                    QPointF(0, size * 0.55));
        cup.cubicTo(QPointF(size * 0.35, size * 0.55), QPointF(size * 0.5, size * 0.1),
                    QPointF(size * 0.3, 0));
        cup.closeSubpath();
        s.p.setPen(QPen(c.darker(140), 0.8, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 22; ++i) {
            const qreal a = qDegreesToRadians(-150 + 120.0 * i / 21);
            s.p.drawLine(QPointF(0, 0),
                         QPointF(size * 0.75 * std::cos(a), size * 0.75 * std::sin(a)));
        }
        s.p.setPen(QPen(c.lighter(110), 1.1, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 14; ++i) {
            const qreal a = qDegreesToRadians(-140 + 100.0 * i / 13);
            s.p.drawLine(QPointF(0, 0),
                         QPointF(size * 0.65 * std::cos(a), size * 0.65 * std::sin(a)));
        }
        fillLeafPath(s, cup, size * 0.5, s.look.green);
        s.p.setPen(QPen(s.look.green.darker(150), 0.5));
        for (int i = 0; i < 4; ++i)
            s.p.drawLine(QPointF(-size * 0.3 + i * size * 0.2, size * 0.1),
                         QPointF(-size * 0.2 + i * size * 0.13, size * 0.5));
        break;
    }
    case Bloom::Bracts: {
        for (int i = 0; i < 5; ++i) {
            const qreal a = qDegreesToRadians(-160 + 35.0 * i);
            const QPointF tip(size * 0.9 * std::cos(a), size * 0.9 * std::sin(a));
            s.p.setPen(QPen(stem, 0.8));
            s.p.drawLine(QPointF(0, 0), tip);
            for (int side : {-1, 1}) {
                s.p.setPen(QPen(c.darker(140), 0.5));
                s.p.setBrush(c.lighter(int(s.dice.range(95, 110))));
                s.p.drawEllipse(tip + QPointF(side * size * 0.18, 0), size * 0.2, size * 0.16);
            }
            s.p.setBrush(QColor(0xc09020));
            s.p.drawEllipse(tip + QPointF(0, -size * 0.12), size * 0.07, size * 0.07);
        }
        break;
    }
    }
    s.p.restore();
}

qreal bloomSize(const Look &look)
{
    switch (look.t.bloom) {
    case Bloom::Petals:
        return look.t.petals <= 4 ? 18 : look.t.petals >= 8 ? 24 : 19;
    case Bloom::Double:
        return 25;
    case Bloom::Cup:
    case Bloom::Iris:
        return 17;
    case Bloom::Whorls:
        return 17;
    case Bloom::Panicle:
        return 22;
    case Bloom::Bell:
    case Bloom::Trumpet:
    case Bloom::Funnel:
    case Bloom::Composite:
    case Bloom::Fringed:
        return 20;
    default:
        return 18;
    }
}

// ---- fruit -----------------------------------------------------------------------------

QRadialGradient glossy(QPointF at, qreal r, const QColor &c)
{
    QRadialGradient shade(at + QPointF(-r * 0.35, -r * 0.35), r * 1.3);
    shade.setColorAt(0, c.lighter(160));
    shade.setColorAt(0.45, c);
    shade.setColorAt(1, c.darker(150));
    return shade;
}

void drawBall(Scene &s, QPointF at, qreal rx, qreal ry, const QColor &c)
{
    s.p.setBrush(glossy(at, std::max(rx, ry), c));
    s.p.setPen(QPen(c.darker(170), 0.6));
    s.p.drawEllipse(at, rx, ry);
    s.p.setPen(Qt::NoPen);
    s.p.setBrush(QColor(255, 255, 255, 130));
    s.p.drawEllipse(at + QPointF(-rx * 0.38, -ry * 0.4), rx * 0.22, ry * 0.16);
}

// One fruit hanging with its top at the origin.
void drawOneFruit(Scene &s, qreal r)
{
    const QColor c = s.look.fruit.lighter(int(s.dice.range(94, 106)));
    const QColor dark = c.darker(160);
    switch (s.look.t.fruit) {
    case Fruit::None:
        break;
    case Fruit::Berry:
        drawBall(s, QPointF(0, r), r * 0.8, r * 0.8, c);
        break;
    case Fruit::Drupe:
        drawBall(s, QPointF(0, r * 1.2), r * 0.75, r * 1.15, c);
        break;
    case Fruit::Pome:
    case Fruit::Crowned:
    case Fruit::Persimmon: {
        const qreal R = r * 1.7;
        const QPointF centre(0, R);
        drawBall(s, centre, R, s.look.t.fruit == Fruit::Persimmon ? R * 0.82 : R * 0.95, c);
        if (s.look.t.fruit == Fruit::Crowned) {
            s.p.setBrush(c.darker(115));
            s.p.setPen(QPen(dark, 0.6));
            QPainterPath crown(QPointF(-R * 0.3, R * 1.9));
            for (int i = 0; i < 6; ++i)
                crown.lineTo(-R * 0.3 + R * 0.1 * (i + 0.5), R * (i % 2 ? 1.9 : 2.25));
            crown.lineTo(R * 0.3, R * 1.9);
            crown.closeSubpath();
            s.p.drawPath(crown);
        } else if (s.look.t.fruit == Fruit::Persimmon) {
            s.p.setBrush(QColor(0x6a7a3a));
            s.p.setPen(QPen(QColor(0x3a4a1a), 0.6));
            for (int i = 0; i < 4; ++i)
                s.p.drawPath(rotated(blade(R * 0.6, 0.6, 0.5, 0, Ent), 20 + 45 * i,
                                     QPointF(0, R * 0.2)));
        } else {
            s.p.setPen(QPen(dark, 1.2));
            s.p.drawPoint(centre + QPointF(0, R * 0.85));
        }
        break;
    }
    case Fruit::Pear:
    case Fruit::Hip: {
        const qreal R = s.look.t.fruit == Fruit::Pear ? r * 1.6 : r * 1.1;
        QPainterPath body(QPointF(0, 0));
        body.cubicTo(QPointF(R * 0.5, 0), QPointF(R * 1.1, R * 1.4), QPointF(R * 0.9, R * 2.0));
        body.cubicTo(QPointF(R * 0.7, R * 2.6), QPointF(-R * 0.7, R * 2.6),
                     QPointF(-R * 0.9, R * 2.0));
        body.cubicTo(QPointF(-R * 1.1, R * 1.4), QPointF(-R * 0.5, 0), QPointF(0, 0));
        s.p.setBrush(glossy(QPointF(0, R * 1.6), R, c));
        s.p.setPen(QPen(dark, 0.6));
        s.p.drawPath(body);
        if (s.look.t.fruit == Fruit::Hip) {
            s.p.setPen(QPen(QColor(0x5a6a2a), 1.0));
            for (int i = -2; i <= 2; ++i)
                s.p.drawLine(QPointF(0, R * 2.35), QPointF(i * R * 0.35, R * 2.9));
        }
        break;
    }
    case Fruit::Cluster:
        for (int row = 0; row < 5; ++row)
            for (int k = 0; k <= 4 - row; ++k)
                drawBall(s, QPointF((k - (4 - row) / 2.0) * r * 1.3, r * (1 + row * 1.15)), r * 0.7,
                         r * 0.7, c);
        break;
    case Fruit::Raceme: {
        s.p.setPen(QPen(s.look.bark, 0.8));
        s.p.drawLine(QPointF(0, 0), QPointF(0, r * 7));
        for (int i = 0; i < 9; ++i)
            drawBall(s, QPointF((i % 2 ? 1 : -1) * r * 0.6, r * (0.9 + i * 0.7)), r * 0.55,
                     r * 0.55, c);
        break;
    }
    case Fruit::Aggregate: {
        for (int i = 0; i < 19; ++i) {
            const qreal a = i * 2.39996;
            const qreal d = r * 0.95 * std::sqrt((i + 0.5) / 19.0);
            drawBall(s, QPointF(d * std::cos(a), r * 1.3 + d * std::sin(a) * 1.1), r * 0.32,
                     r * 0.32, c);
        }
        break;
    }
    case Fruit::Pod:
    case Fruit::BeadPod: {
        const bool beads = s.look.t.fruit == Fruit::BeadPod;
        const qreal l = r * 8;
        QPainterPath pod(QPointF(0, 0));
        const int n = beads ? 5 : 1;
        for (int i = 0; i < n; ++i) {
            const qreal y0 = l * i / n;
            const qreal y1 = l * (i + 1) / n;
            pod.cubicTo(QPointF(r * (beads ? 1.2 : 1.0), y0 + (y1 - y0) * 0.1),
                        QPointF(r * (beads ? 1.2 : 1.1), y1 - (y1 - y0) * 0.1),
                        QPointF(beads ? r * 0.2 : r * 0.3, y1));
        }
        pod.lineTo(0, l + r);
        pod.lineTo(-r * 0.3, l);
        for (int i = n; i-- > 0;) {
            const qreal y0 = l * i / n;
            const qreal y1 = l * (i + 1) / n;
            pod.cubicTo(QPointF(-r * (beads ? 1.2 : 0.9), y1 - (y1 - y0) * 0.1),
                        QPointF(-r * (beads ? 1.2 : 0.9), y0 + (y1 - y0) * 0.1),
                        QPointF(-r * 0.2, y0));
        }
        pod.closeSubpath();
        s.p.save();
        s.p.rotate(s.dice.range(-12, 12));
        s.p.setBrush(glossy(QPointF(0, l / 2), l / 2, c));
        s.p.setPen(QPen(dark, 0.7));
        s.p.drawPath(pod);
        s.p.restore();
        break;
    }
    case Fruit::Samara:
    case Fruit::Key: {
        const bool round = s.look.t.fruit == Fruit::Samara;
        QColor wing = c;
        wing.setAlpha(210);
        s.p.setBrush(wing);
        s.p.setPen(QPen(dark, 0.6));
        if (round)
            s.p.drawEllipse(QPointF(0, r * 1.1), r * 1.05, r * 1.05);
        else
            s.p.drawEllipse(QPointF(0, r * 1.8), r * 0.7, r * 1.9);
        s.p.setBrush(c.darker(140));
        s.p.drawEllipse(QPointF(0, round ? r * 1.1 : r * 1.8), r * 0.28, r * 0.42);
        break;
    }
    case Fruit::WingChain: {
        s.p.setPen(QPen(s.look.bark, 0.8));
        s.p.drawLine(QPointF(0, 0), QPointF(0, r * 9));
        for (int i = 0; i < 7; ++i) {
            const QPointF at(0, r * (0.9 + i * 1.2));
            s.p.setBrush(c);
            s.p.setPen(QPen(dark, 0.5));
            s.p.drawPath(rotated(blade(r * 1.3, 0.4, 0.5, 0, Ent), -30, at));
            s.p.drawPath(rotated(blade(r * 1.3, 0.4, 0.5, 0, Ent), 210, at));
            s.p.setBrush(c.darker(130));
            s.p.drawEllipse(at, r * 0.3, r * 0.3);
        }
        break;
    }
    case Fruit::Bur:
    case Fruit::StarBur:
    case Fruit::Needles: {
        const QPointF centre(0, r * 1.4);
        s.p.setPen(QPen(c.darker(140), 0.8, Qt::SolidLine, Qt::RoundCap));
        if (s.look.t.fruit == Fruit::Needles) {
            for (int i = 0; i < 14; ++i) {
                const qreal a = qDegreesToRadians(-170 + 160.0 * i / 13);
                s.p.drawLine(centre, centre + QPointF(r * 2 * std::cos(a), r * 2 * std::sin(a)));
            }
            break;
        }
        if (s.look.t.fruit == Fruit::StarBur) {
            for (int i = 0; i < 5; ++i) {
                s.p.setBrush(c);
                const qreal a = 72.0 * i;
                s.p.drawPath(rotated(blade(r * 1.3, 0.6, 0.4, 0, Ent), a, centre));
                const qreal rad = qDegreesToRadians(a);
                const QPointF tip
                        = centre + QPointF(r * 1.1 * std::cos(rad), r * 1.1 * std::sin(rad));
                s.p.drawLine(tip,
                             tip
                                     + QPointF(r * 0.6 * std::cos(rad + 0.9),
                                               r * 0.6 * std::sin(rad + 0.9)));
            }
            break;
        }
        for (int i = 0; i < 24; ++i) {
            const qreal a = 2 * M_PI * i / 24;
            const QPointF edge = centre + QPointF(r * 0.8 * std::cos(a), r * 1.15 * std::sin(a));
            s.p.drawLine(edge, edge + QPointF(r * 0.45 * std::cos(a), r * 0.45 * std::sin(a)));
        }
        drawBall(s, centre, r * 0.8, r * 1.15, c);
        break;
    }
    case Fruit::Cone: {
        for (int i = 0; i < 4; ++i) {
            for (int side : {-1, 1}) {
                s.p.setBrush(c.lighter(100 + i * 6));
                s.p.setPen(QPen(dark, 0.6));
                s.p.drawEllipse(QPointF(side * r * 0.35, r * (0.7 + i * 0.55)), r * 0.55, r * 0.4);
            }
        }
        break;
    }
    case Fruit::Nut:
        drawBall(s, QPointF(0, r * 2), r * 1.9, r * 1.9, c);
        s.p.setPen(Qt::NoPen);
        s.p.setBrush(c.lighter(130));
        for (int i = 0; i < 8; ++i)
            s.p.drawEllipse(QPointF(s.dice.range(-r, r), r * 2 + s.dice.range(-r, r)), 0.8, 0.8);
        break;
    case Fruit::Lantern: {
        QPainterPath lantern(QPointF(0, 0));
        lantern.cubicTo(QPointF(r * 2.4, r * 0.6), QPointF(r * 1.4, r * 3.2), QPointF(0, r * 3.6));
        lantern.cubicTo(QPointF(-r * 1.4, r * 3.2), QPointF(-r * 2.4, r * 0.6), QPointF(0, 0));
        s.p.setBrush(glossy(QPointF(0, r * 1.8), r * 1.6, c));
        s.p.setPen(QPen(dark, 0.7));
        s.p.drawPath(lantern);
        for (qreal k : {-0.6, 0.0, 0.6})
            s.p.drawLine(QPointF(0, r * 0.1), QPointF(k * r * 1.2, r * 3.4));
        break;
    }
    case Fruit::Gourd:
        drawBall(s, QPointF(0, r * 2.4), r * 1.9, r * 2.3, c);
        break;
    case Fruit::Silicle: {
        s.p.setPen(QPen(s.look.green.darker(130), 0.8));
        s.p.drawLine(QPointF(0, 0), QPointF(0, r * 7));
        for (int i = 0; i < 6; ++i) {
            const int side = i % 2 ? 1 : -1;
            const QPointF at(0, r * (0.8 + i * 1.1));
            const QPointF pod = at + QPointF(side * r * 1.3, -r * 0.2);
            s.p.drawLine(at, pod);
            s.p.save();
            s.p.translate(pod);
            s.p.rotate(side * 90 + 90);
            s.p.setBrush(c);
            s.p.setPen(QPen(dark, 0.6));
            s.p.drawPath(heart(r * 1.2));
            s.p.restore();
        }
        break;
    }
    case Fruit::Capsule:
    case Fruit::Poppy: {
        const bool poppy = s.look.t.fruit == Fruit::Poppy;
        const qreal R = poppy ? r * 1.6 : r * 1.1;
        drawBall(s, QPointF(0, R * 1.3), R, R * 1.25, c);
        s.p.setPen(QPen(dark, 0.6));
        for (qreal k : {-0.5, 0.0, 0.5})
            s.p.drawLine(QPointF(k * R * 0.6, R * 0.15), QPointF(k * R * 1.1, R * 2.4));
        if (poppy) {
            s.p.setBrush(c.darker(120));
            s.p.drawEllipse(QPointF(0, R * 0.12), R * 0.7, R * 0.2);
            for (int i = 0; i < 8; ++i)
                s.p.drawLine(QPointF(0, R * 0.12),
                             QPointF(R * 0.7 * std::cos(i * M_PI / 4),
                                     R * 0.12 + R * 0.2 * std::sin(i * M_PI / 4)));
        }
        break;
    }
    case Fruit::Puff: {
        const QPointF centre(0, -r * 2.2);
        s.p.setPen(QPen(QColor(0xd8d4c4), 0.5));
        for (int i = 0; i < 60; ++i) {
            const qreal a = i * 2.39996;
            const QPointF tip = centre + QPointF(r * 2.3 * std::cos(a), r * 2.3 * std::sin(a));
            s.p.drawLine(centre, tip);
            s.p.drawEllipse(tip, 0.9, 0.9);
        }
        s.p.setBrush(QColor(0x8a7a5a));
        s.p.setPen(Qt::NoPen);
        s.p.drawEllipse(centre, r * 0.3, r * 0.3);
        break;
    }
    case Fruit::Crook: {
        QPainterPath crook(QPointF(0, 0));
        crook.lineTo(r * 1.2, r * 1.4);
        crook.lineTo(-r * 0.4, r * 2.6);
        crook.lineTo(r * 1.0, r * 3.8);
        s.p.setPen(QPen(c, r * 0.55, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        s.p.setBrush(Qt::NoBrush);
        s.p.drawPath(crook);
        s.p.setPen(QPen(c.darker(140), r * 0.55, Qt::SolidLine, Qt::RoundCap));
        s.p.drawLine(QPointF(r * 1.2, r * 1.4), QPointF(r * 2.4, r * 1.0));
        drawBall(s, QPointF(r * 2.8, r * 1.0), r * 0.5, r * 0.5, QColor(0x7a6a3a));
        drawBall(s, QPointF(r * 1.3, r * 4.2), r * 0.5, r * 0.5, QColor(0x7a6a3a));
        break;
    }
    case Fruit::Boat: {
        for (int i = 0; i < 3; ++i) {
            s.p.save();
            s.p.rotate(60 + i * 30);
            fillLeafPath(s, blade(r * 4, 0.42, 0.55, 0, Ent), r * 1.6, c);
            s.p.setBrush(QColor(0x6a5a3a));
            s.p.setPen(Qt::NoPen);
            for (int k = 0; k < 3; ++k)
                s.p.drawEllipse(QPointF(r * (1.0 + k * 0.8), -r * 0.7), r * 0.3, r * 0.3);
            s.p.restore();
        }
        break;
    }
    }
}

// The size of one fruit.
qreal fruitSize(Fruit fruit)
{
    switch (fruit) {
    case Fruit::Drupe:
        return 6.5;
    case Fruit::Key:
    case Fruit::Samara:
    case Fruit::Berry:
    case Fruit::Pear:
        return 6;
    case Fruit::Aggregate:
    case Fruit::Boat:
    case Fruit::Cone:
    case Fruit::Lantern:
        return 7.5;
    default:
        return 5;
    }
}

// How many fruit one bunch holds.
int bunchSize(Fruit fruit)
{
    switch (fruit) {
    case Fruit::Berry:
        return 4;
    case Fruit::Drupe:
    case Fruit::Samara:
    case Fruit::Key:
        return 3;
    case Fruit::Pod:
    case Fruit::BeadPod:
        return 2;
    default:
        return 1;
    }
}

// A bunch of fruit hanging from `at`.
void drawFruitBunch(Scene &s, QPointF at, qreal scale = 1.0)
{
    const qreal r = fruitSize(s.look.t.fruit) * scale;
    const int count = bunchSize(s.look.t.fruit);
    for (int i = 0; i < count; ++i) {
        const QPointF spot = at + QPointF((i - (count - 1) / 2.0) * r * 1.7, r * 0.6 * (i % 2));
        s.p.setPen(QPen(s.look.bark.lighter(120), 0.8));
        s.p.drawLine(at, spot);
        s.p.save();
        s.p.translate(spot);
        drawOneFruit(s, r);
        s.p.restore();
    }
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

void drawThorns(Scene &s, const QPainterPath &stem)
{
    if (!(s.look.t.flags & Thorns))
        return;
    s.p.setPen(QPen(s.look.bark.darker(130), 1.0, Qt::SolidLine, Qt::RoundCap));
    for (int i = 1; i < 9; ++i) {
        const qreal t = i / 9.0;
        const QPointF at = stem.pointAtPercent(t);
        const qreal a = qDegreesToRadians(screenAngle(stem, t) + (i % 2 ? 60 : -60));
        s.p.drawLine(at, at + QPointF(6 * std::cos(a), 6 * std::sin(a)));
    }
}

// Flowers, or fruit where there are no flowers, in the axils along a stem.
void axillaryBlooms(Scene &s, const QPainterPath &stem, qreal from, int count, qreal size)
{
    const bool flowers = s.look.t.bloom != Bloom::None;
    for (int i = 0; i < count; ++i) {
        const qreal t = from + (0.96 - from) * i / qMax(1, count - 1);
        const QPointF at = stem.pointAtPercent(t);
        const qreal angle = screenAngle(stem, t);
        const bool both = s.look.t.arrangement != Alt || s.look.t.bloom == Bloom::Whorls;
        for (int side : {-1, 1}) {
            if (!both && (i % 2 ? 1 : -1) != side)
                continue;
            if (flowers && (s.look.t.fruit == Fruit::None || i % 3 != 2))
                drawBloom(s, at, angle + side * 60, size);
            else if (s.look.t.fruit != Fruit::None)
                drawFruitBunch(s, at, 0.85);
        }
    }
}

// Leaves along a stem path from t0 to t1, set as the plant sets them.
void leavesAlong(Scene &s, const QPainterPath &stem, int count, qreal t0, qreal t1, qreal big,
                 qreal small, int firstSide)
{
    const Arrangement arrangement = s.look.t.arrangement;
    for (int i = 0; i < count; ++i) {
        const qreal t = t0 + (t1 - t0) * (count == 1 ? 0.5 : qreal(i) / (count - 1));
        const QPointF at = stem.pointAtPercent(t);
        const qreal along = screenAngle(stem, t);
        const qreal length = leafLength(s.look, big + (small - big) * t) * s.dice.range(0.9, 1.08);
        if (arrangement == Alt) {
            const int side = (i + firstSide) % 2 ? 1 : -1;
            drawLeaf(s, at, along + side * s.dice.range(40, 65), length);
            continue;
        }
        const qreal spread = s.dice.range(50, 70);
        if (arrangement == Whorl)
            drawLeaf(s, at, along + (i % 2 ? 18 : -18), length * 0.7);
        for (int side : {-1, 1})
            drawLeaf(s, at, along + side * spread, length);
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
            s.p.drawPath(rotated(blade(16, 0.6, 0.4, 0, Ent), 90 + i * 18, base));
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

bool axillary(const Look &look)
{
    return look.t.flags & Axillary;
}

// A flowering stalk or a stem's end: flowers, and fruit on some of them.
void stemEnd(Scene &s, const QPainterPath &stem, int index)
{
    const QPointF tip = stem.pointAtPercent(1);
    const qreal angle = screenAngle(stem, 1);
    const bool fruit
            = s.look.t.fruit != Fruit::None && (s.look.t.bloom == Bloom::None || index % 2 == 1);
    if (fruit) {
        drawFruitBunch(s, tip);
        return;
    }
    drawBloom(s, tip, angle, bloomSize(s.look));
}

void drawHerb(Scene &s, const QRectF &area, const QString &parts)
{
    const QPointF base(area.center().x() + s.dice.range(-20, 20),
                       area.bottom() - (s.look.showRoot ? 26 : 10));
    drawGround(s, base, 60);
    if (s.look.showRoot)
        drawRoot(s, base, parts);

    const int stems = 2 + s.dice.below(2);
    for (int i = 0; i < stems; ++i) {
        const qreal spread = (qreal(i) / (stems - 1) - 0.5) * 2;
        const QPointF top(base.x() + spread * s.dice.range(60, 100),
                          area.top() + s.dice.range(12, 50) + std::abs(spread) * 25);
        QPainterPath stem(base);
        stem.cubicTo(QPointF(base.x(), base.y() - 40), QPointF(top.x() - spread * 30, top.y() + 60),
                     top);
        drawTapered(s, stem, 2.6, 1.2, s.look.green.darker(118));
        leavesAlong(s, stem, 4 + s.dice.below(2), 0.12, 0.82, 48, 28, i);
        if (axillary(s.look)) {
            axillaryBlooms(s, stem, 0.45, 4, bloomSize(s.look) * 0.8);
            continue;
        }
        stemEnd(s, stem, i);
    }
}

// Leaves in a ring on the ground and bare stalks rising with flowers (or fruit).
void drawRosette(Scene &s, const QRectF &area, const QString &parts, bool tuft)
{
    const QPointF base(area.center().x() + s.dice.range(-15, 15),
                       area.bottom() - (s.look.showRoot ? 26 : 10));
    drawGround(s, base, 70);
    if (s.look.showRoot)
        drawRoot(s, base, parts);
    const int scapes = 2 + s.dice.below(2);
    for (int i = 0; i < scapes; ++i) {
        const qreal spread = (qreal(i) / (scapes - 1) - 0.5) * 2;
        const QPointF top(base.x() + spread * s.dice.range(40, 70),
                          area.top() + s.dice.range(20, 70));
        QPainterPath scape(base);
        scape.quadTo(QPointF(base.x() + spread * 10, (base.y() + top.y()) / 2), top);
        drawTapered(s, scape, 2.0, 1.0, s.look.green.darker(115));
        stemEnd(s, scape, i);
    }
    const int leaves = tuft ? 9 + s.dice.below(4) : 8;
    for (int i = 0; i < leaves; ++i) {
        const qreal off = (i - (leaves - 1) / 2.0) / ((leaves - 1) / 2.0);
        const qreal angle = tuft ? -90 + off * 45 : -90 + off * 85;
        const qreal length = tuft ? s.dice.range(130, 190) * (1 - 0.3 * std::abs(off))
                                  : leafLength(s.look, s.dice.range(62, 80));
        drawLeaf(s, base, angle + s.dice.range(-5, 5), length);
    }
}

// Stems lying on the ground, fanning out from the root.
void drawCreeping(Scene &s, const QRectF &area)
{
    const QPointF base(area.center().x(), area.bottom() - 40);
    drawGround(s, base, 120);
    for (int i = 0; i < 4; ++i) {
        const int side = i % 2 ? 1 : -1;
        const qreal reach = (i < 2 ? 130 : 90) * side;
        const QPointF end(base.x() + reach, base.y() - (i < 2 ? 20 : 90) + s.dice.range(-10, 10));
        QPainterPath stem(base);
        stem.cubicTo(base + QPointF(reach * 0.3, -30), end + QPointF(-reach * 0.3, 20), end);
        drawTapered(s, stem, 2.2, 1.0,
                    s.look.t.fruit == Fruit::None && s.look.t.leaf == Leaf::Round
                            ? QColor(0xa04a40)
                            : s.look.green.darker(118));
        leavesAlong(s, stem, 6, 0.12, 0.95, 26, 18, i);
        if (axillary(s.look))
            axillaryBlooms(s, stem, 0.25, 4, bloomSize(s.look) * 0.7);
        else
            stemEnd(s, stem, i);
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
    drawThorns(s, branch);
    for (const QPainterPath &t : twigs)
        drawTapered(s, t, 2.6, 1.0, s.look.bark.lighter(110));

    const qreal leaf = 46;
    for (size_t i = 0; i < twigs.size(); ++i)
        leavesAlong(s, twigs[i], 3 + s.dice.below(2), 0.25, 0.85, leaf, leaf * 0.8, int(i));
    QPainterPath tip;
    tip.moveTo(branch.pointAtPercent(0.6));
    for (int i = 1; i <= 8; ++i)
        tip.lineTo(branch.pointAtPercent(0.6 + 0.4 * i / 8));
    leavesAlong(s, tip, 3, 0.1, 0.8, leaf, leaf * 0.85, 1);

    if (axillary(s.look))
        axillaryBlooms(s, branch, 0.2, 5, bloomSize(s.look) * 0.8);
    else if (s.look.t.fruit != Fruit::None)
        drawFruitBunch(s, branch.pointAtPercent(0.45));
    for (size_t i = 0; i < twigs.size(); ++i)
        stemEnd(s, twigs[i], int(i));
    stemEnd(s, branch, 0);
}

void drawWeeping(Scene &s, const QRectF &area)
{
    const QPointF start(area.left() + 10, area.top() + 30);
    QPainterPath branch(start);
    branch.cubicTo(start + QPointF(90, -25), start + QPointF(180, -10), start + QPointF(270, 10));
    drawTapered(s, branch, 6, 2, s.look.bark);
    for (int i = 0; i < 6; ++i) {
        const QPointF from = branch.pointAtPercent(0.1 + 0.16 * i);
        QPainterPath hang(from);
        const qreal drop = s.dice.range(150, 220);
        hang.cubicTo(from + QPointF(18, 20), from + QPointF(8, drop * 0.6),
                     from + QPointF(4, drop));
        drawTapered(s, hang, 1.6, 0.8, s.look.bark.lighter(120));
        for (int k = 0; k < 7; ++k) {
            const qreal t = 0.15 + 0.8 * k / 6;
            drawLeaf(s, hang.pointAtPercent(t), screenAngle(hang, t) + (k % 2 ? 25 : -25), 34);
        }
        if (i % 2 == 0)
            drawBloom(s, hang.pointAtPercent(0.3), 90, bloomSize(s.look) * 0.7);
    }
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
    for (size_t i = 0; i < shoots.size(); ++i) {
        drawTapered(s, shoots[i], i % 2 ? 1.8 : 3.2, 0.9, s.look.bark);
        if (i % 2 == 0)
            drawThorns(s, shoots[i]);
    }
    for (size_t i = 0; i < shoots.size(); ++i)
        leavesAlong(s, shoots[i], i % 2 ? 2 : 4, 0.25, 0.9, 36, 26, int(i));
    for (size_t i = 0; i < shoots.size(); ++i) {
        if (axillary(s.look) && i % 2 == 0)
            axillaryBlooms(s, shoots[i], 0.35, 3, bloomSize(s.look) * 0.75);
        else
            stemEnd(s, shoots[i], int(i));
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
    drawThorns(s, vine);
    const bool opposite = s.look.t.arrangement != Alt;
    const int nodes = opposite ? 7 : 10;
    for (int i = 0; i < nodes; ++i) {
        const qreal t = 0.06 + 0.9 * i / (nodes - 1);
        const QPointF at = vine.pointAtPercent(t);
        const int side = i % 2 ? 1 : -1;
        const qreal along = screenAngle(vine, t);
        const qreal length = leafLength(s.look, s.dice.range(38, 48));
        if (opposite) {
            for (int k : {-1, 1})
                drawLeaf(s, at, along + k * 60, length * 0.9);
            if (s.look.t.arrangement == Whorl)
                drawLeaf(s, at, along + 20, length * 0.6);
        } else {
            drawLeaf(s, at, along + side * s.dice.range(55, 80) + 15, length);
        }
        if ((s.look.t.flags & Tendrils) && i % 3 == 1)
            drawTendril(s, at, -side);
    }
    if (axillary(s.look)) {
        axillaryBlooms(s, vine, 0.2, 5, bloomSize(s.look) * 0.8);
        return;
    }
    for (int i = 0; i < 4; ++i) {
        const qreal t = 0.2 + 0.22 * i + s.dice.range(-0.03, 0.03);
        const QPointF at = vine.pointAtPercent(t);
        const bool fruit
                = s.look.t.fruit != Fruit::None && (s.look.t.bloom == Bloom::None || i % 2 == 1);
        if (fruit)
            drawFruitBunch(s, at);
        else
            drawBloom(s, at, screenAngle(vine, t) + (i % 2 ? 70 : -70), bloomSize(s.look));
    }
}

void drawPlant(Scene &s, const QRectF &area, const QString &parts)
{
    switch (s.look.t.form) {
    case Form::Herb:
        drawHerb(s, area, parts);
        break;
    case Form::Rosette:
    case Form::Tuft:
        drawRosette(s, area, parts, s.look.t.form == Form::Tuft);
        break;
    case Form::Creeping:
        drawCreeping(s, area);
        break;
    case Form::Tree:
        drawTree(s, area);
        break;
    case Form::Weeping:
        drawWeeping(s, area);
        break;
    case Form::Shrub:
        drawShrub(s, area);
        break;
    case Form::Climber:
        drawClimber(s, area);
        break;
    }
}

// ---- paper and lettering ---------------------------------------------------------------

void drawPaper(QPainter &p, Dice &dice, const Look &look, const QRectF &plant)
{
    const QRectF all(QPointF(0, 0), QSizeF(kPlateSize));
    p.fillRect(all, QColor(0xf4ecd8));
    // A faint wash of the flower's colour behind the drawing.
    QColor wash = look.t.bloom == Bloom::None ? look.fruit : look.flower;
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

namespace {

// Where the plant is drawn on a plate.
const QRectF kPlantArea(22, 22, 292, 258);

} // namespace

QImage drawSpecimenPlate(const HerbEntry &row)
{
    QImage image(kPlateSize, QImage::Format_RGB32);
    Dice dice(fnv1a(QByteArray(row.displayName)));
    const Look look = lookOf(row, dice);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawPaper(p, dice, look, kPlantArea);

    p.save();
    p.setClipRect(kPlantArea.adjusted(-6, -6, 2, 2));
    Scene scene {p, dice, look};
    drawPlant(scene, kPlantArea, cell(row, HerbField::PartsUsed));
    p.restore();

    drawLettering(p, row, rowNumberOf(row), cell(row, HerbField::Habit));
    return image;
}

QImage drawPlantSketch(const HerbEntry &row, quint64 seed)
{
    const QRectF frame = kPlantArea.adjusted(-6, -6, 2, 2);
    QImage image(frame.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    Dice dice(seed);
    const Look look = lookOf(row, dice);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(-frame.topLeft());
    p.setClipRect(frame);
    Scene scene {p, dice, look};
    drawPlant(scene, kPlantArea, cell(row, HerbField::PartsUsed));
    return image;
}
