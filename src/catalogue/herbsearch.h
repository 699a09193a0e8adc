#pragma once

#include "herbcatalogue.h"

#include <QList>
#include <QString>
#include <QStringList>

// Finding a plant by what a reader types: the start of its name or of one of its other names,
// or its reading in pinyin typed in Latin letters, in full ("bohe") or as initials ("bh").

// How the name of row n is read: toneless pinyin, one syllable per character, separated by
// blanks ("bo he"); empty for a number that names no row.
QString herbPinyin(HerbNumber n);

// The other names of row n as the catalogue gives them; none where it has no data.
QStringList herbOtherNames(HerbNumber n);

// Whether the typed text names the plant of row n. Chinese text matches the start of the name
// or of an other name. Latin letters match the start of the full pinyin or of the initials;
// case, tones, blanks and apostrophes do not count, and ü may be typed as v or u.
bool herbMatches(HerbNumber n, const QString &typed);

// The list positions (0-based) of every plant the typed text names, best first: the plant whose
// reading is shortest, so that the reader has typed most of it, then list order.
QList<int> findHerbs(const QString &typed);
