#include "herbsearch.h"

#include <QRegularExpression>

#include <algorithm>
#include <iterator>

namespace {

const char *const kPinyin[] = {
#include "herbpinyin.inc"
};

// What matching compares: lower case, no blanks or apostrophes, v for ü.
QString folded(const QString &text)
{
    QString result;
    for (QChar c : text.toLower()) {
        if (c == u'ü')
            result += u'v';
        else if (c != u' ' && c != u'\'' && c != u'’')
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
    static const QRegularExpression separators(QStringLiteral("[、，,；;/\\s]+"));
    QStringList names = entry->value(HerbField::OtherNames).split(separators, Qt::SkipEmptyParts);
    names.removeAll(QStringLiteral("无资料"));
    return names;
}

bool herbMatches(HerbNumber n, const QString &typed)
{
    const HerbEntry *entry = HerbCatalogue::entryAt(n);
    const QString text = typed.trimmed();
    if (!entry || text.isEmpty())
        return false;
    if (entry->name().startsWith(text))
        return true;
    const QStringList others = herbOtherNames(n);
    if (std::any_of(others.begin(), others.end(),
                    [&](const QString &name) { return name.startsWith(text); }))
        return true;
    const QString letters = folded(text);
    if (!isLatin(letters))
        return false;
    const QString pinyin = herbPinyin(n);
    const QString full = folded(pinyin);
    QString fullWithU = full;
    fullWithU.replace(u'v', u'u');
    return full.startsWith(letters) || fullWithU.startsWith(letters)
            || initials(pinyin).startsWith(letters);
}

QList<int> findHerbs(const QString &typed)
{
    QList<int> positions;
    for (HerbNumber n = 1; n <= HerbCatalogue::count(); ++n)
        if (herbMatches(n, typed))
            positions.append(n - 1);
    std::stable_sort(positions.begin(), positions.end(), [](int a, int b) {
        return folded(herbPinyin(HerbNumber(a + 1))).size()
                < folded(herbPinyin(HerbNumber(b + 1))).size();
    });
    return positions;
}
