#pragma once

#include <QLocale>

// Loads Qt's own translations for `locale` (the reader's language unless given), so that what Qt
// itself writes, such as a text box's context menu, reads 复制 and 全选 on a Chinese desktop:
// on Linux from Qt's translations folder (Debian's qt6-translations-l10n), on Windows from the
// "translations" folder beside the program. True when they were found.
bool installQtTranslations(const QLocale &locale = QLocale());
