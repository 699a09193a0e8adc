#pragma once

#include "herbcatalogue.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// How the name of row n is read: toneless pinyin, one syllable per character, separated by
// blanks ("bo he"); empty for a number that names no row.
QString herbPinyin(HerbNumber n);

// The other names of row n as the catalogue gives them; none where it has no data.
QStringList herbOtherNames(HerbNumber n);

// Everything a reader may type to find a plant, prepared once from the plant table and the
// readings, so that a search only compares strings.
//
// Chinese text finds a plant by the start of its name or of an other name, by a part of either,
// by the start of its family (唇形科) or genus (蒿属), or by any part of what is used (根) and of
// its medicinal value (止咳). Latin letters find it by the start of its reading in pinyin, in
// full ("bohe") or as initials ("bh"), and by the start of its Latin name, of the species'
// epithet or of the variety's ("mentha", "Artemisia argyi", "argyi"). Case, tones, blanks,
// apostrophes, hyphens and dots do not count, and ü may be typed as v or u.
class HerbSearchIndex
{
public:
    HerbSearchIndex();

    // The index the plant list uses, made the first time it is asked for.
    static const HerbSearchIndex &instance();

    // The list positions (0-based) of every plant the typed text names. Name matches come
    // first: the name's start (or its full reading), then an other name's start (or the
    // initials), then a part of a name; within each, the plant whose matched name is shortest,
    // so that the reader has typed most of it, then list order. All other matches follow in
    // list order.
    QList<int> find(const QString &typed) const;

private:
    struct Row
    {
        QString name;
        QStringList otherNames;
        QString reading; // folded, v for ü
        QString readingWithU; // folded, u for ü
        QString initials;
        QString family; // these four without their leading blank
        QString genus;
        QString partsUsed;
        QString medicinalValue;
        QStringList latin; // folded: the taxon's whole name, then its epithets
    };
    std::vector<Row> m_rows;
};
