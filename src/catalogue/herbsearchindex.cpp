#include "herbsearchindex.h"

#include <algorithm>
#include <iterator>

namespace {

const char *const kPinyin[] = {
#include "herbpinyin.inc"
};

// What matching compares: lower case, v for ü, without blanks, apostrophes, hyphens or dots.
QString folded(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text.toLower()) {
        if (c == u'ü')
            result += u'v';
        else if (c != u' ' && c != u'\'' && c != u'’' && c != u'-' && c != u'.')
            result += c;
    }
    return result;
}

bool isLatin(const QString &folded)
{
    return !folded.isEmpty() && std::all_of(folded.begin(), folded.end(), [](QChar c) {
        return c >= u'a' && c <= u'z';
    });
}

QString initials(const QString &pinyin)
{
    QString result;
    for (const QString &syllable : pinyin.split(u' ', Qt::SkipEmptyParts))
        result += syllable.front();
    return result;
}

// The taxon's whole name (genus, epithet and, for a variety or subspecies, its rank and
// epithet), then each epithet, all folded; the authors that follow are left out.
QStringList latinKeys(const QString &latinName)
{
    const QStringList words = latinName.split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {};
    QStringList epithets;
    const auto isEpithet = [&](qsizetype i) { return i < words.size() && words[i][0].isLower(); };
    if (isEpithet(1)) {
        epithets << words[1];
        static const QStringList ranks {QStringLiteral("var."), QStringLiteral("subsp."),
                                        QStringLiteral("f.")};
        if (words.size() > 2 && ranks.contains(words[2]) && isEpithet(3))
            epithets << words[2] + words[3];
    }
    QStringList keys {folded(words[0] + epithets.join(QString()))};
    for (const QString &epithet : std::as_const(epithets))
        keys << folded(epithet.mid(epithet.indexOf(u'.') + 1)); // the epithet without its rank
    return keys;
}

bool anyStartsWith(const QStringList &names, const QString &text)
{
    return std::any_of(names.begin(), names.end(),
                       [&](const QString &name) { return name.startsWith(text); });
}

bool anyContains(const QStringList &names, const QString &text)
{
    return std::any_of(names.begin(), names.end(),
                       [&](const QString &name) { return name.contains(text); });
}

} // namespace

QString herbPinyin(HerbNumber n)
{
    static_assert(std::size(kPinyin) > 0);
    if (!HerbCatalogue::entryAt(n) || n > HerbNumber(std::size(kPinyin)))
        return {};
    return QString::fromUtf8(kPinyin[n - 1]);
}

QStringList herbOtherNames(HerbNumber n)
{
    const HerbEntry *entry = HerbCatalogue::entryAt(n);
    if (!entry)
        return {};
    QStringList names;
    QString name;
    for (QChar c : entry->value(HerbField::OtherNames) + u' ') {
        if (!c.isSpace() && !QStringView(u"、，,；;/").contains(c)) {
            name += c;
        } else if (!name.isEmpty()) {
            if (name != u"无资料")
                names << name;
            name.clear();
        }
    }
    return names;
}

HerbSearchIndex::HerbSearchIndex()
{
    m_rows.reserve(HerbCatalogue::count());
    for (HerbNumber n = 1; n <= HerbCatalogue::count(); ++n) {
        const HerbEntry &entry = *HerbCatalogue::entryAt(n);
        const auto value = [&](HerbField field) { return entry.value(field).mid(1); };
        const QString pinyin = herbPinyin(n);
        Row row;
        row.name = entry.name();
        row.otherNames = herbOtherNames(n);
        row.reading = folded(pinyin);
        row.readingWithU = QString(row.reading).replace(u'v', u'u');
        row.initials = initials(pinyin);
        row.family = value(HerbField::Family);
        row.genus = value(HerbField::Genus);
        row.partsUsed = value(HerbField::PartsUsed);
        row.medicinalValue = value(HerbField::MedicinalValue);
        row.latin = latinKeys(value(HerbField::LatinName));
        m_rows.push_back(std::move(row));
    }
}

const HerbSearchIndex &HerbSearchIndex::instance()
{
    static const HerbSearchIndex index;
    return index;
}

QList<int> HerbSearchIndex::find(const QString &typed) const
{
    struct Hit
    {
        int kind; // 0 the name's start, 1 an other name's start, 2 part of a name, 3 the rest
        qsizetype length; // of the name (or reading) matched; of the plant's name for a part
        int position;
    };
    std::vector<Hit> hits;
    const QString text = typed.trimmed();
    const QString letters = folded(text);
    const int count = int(m_rows.size());
    if (isLatin(letters)) {
        for (int i = 0; i < count; ++i) {
            const Row &row = m_rows[i];
            if (row.reading.startsWith(letters) || row.readingWithU.startsWith(letters))
                hits.push_back({0, row.reading.size(), i});
            else if (row.initials.startsWith(letters))
                hits.push_back({1, row.reading.size(), i});
            else if (anyStartsWith(row.latin, letters))
                hits.push_back({3, 0, i});
        }
    } else if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); })) {
        for (int i = 0; i < count; ++i) {
            const Row &row = m_rows[i];
            qsizetype other = 0;
            for (const QString &name : row.otherNames)
                if (name.startsWith(text) && (other == 0 || name.size() < other))
                    other = name.size();
            if (row.name.startsWith(text))
                hits.push_back({0, row.name.size(), i});
            else if (other > 0)
                hits.push_back({1, other, i});
            else if (row.name.contains(text) || anyContains(row.otherNames, text))
                hits.push_back({2, row.name.size(), i});
            else if (row.family.startsWith(text) || row.genus.startsWith(text)
                     || row.partsUsed.contains(text) || row.medicinalValue.contains(text))
                hits.push_back({3, 0, i});
        }
    }
    std::stable_sort(hits.begin(), hits.end(), [](const Hit &a, const Hit &b) {
        return a.kind != b.kind ? a.kind < b.kind : a.length < b.length;
    });
    QList<int> positions;
    positions.reserve(qsizetype(hits.size()));
    for (const Hit &hit : hits)
        positions.append(hit.position);
    return positions;
}
