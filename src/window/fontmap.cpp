#include "fontmap.h"

#include <QStringList>

#ifdef QUILLORA_BOOK_FACES
#include <QFontDatabase>
#include <QResource>
#endif

namespace {

QFont makeFont(const QStringList &families, QFont::StyleHint hint, qreal pointSize, bool bold)
{
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPointSizeF(pointSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

#ifdef QUILLORA_BOOK_FACES
// The Chinese faces built into the program (tools/bookfaces.py): Noto Serif CJK SC and Noto Sans
// CJK SC, each cut to the characters the book can show. Read in place from the program's memory
// and registered once, on the first font asked for; false if they could not be.
bool bookFacesRegistered()
{
    static const bool registered = [] {
        for (const char *face :
             {"QuilloraSerif-Regular.otf", "QuilloraSerif-Bold.otf", "QuilloraSans-Regular.otf"}) {
            const QResource resource(QStringLiteral(":/faces/") + QLatin1String(face));
            if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression)
                return false;
            const QByteArray data = QByteArray::fromRawData(
                    reinterpret_cast<const char *>(resource.data()), resource.size());
            if (QFontDatabase::addApplicationFontFromData(data) < 0)
                return false;
        }
        return true;
    }();
    return registered;
}
#endif

} // namespace

// Windows has both faces (SimSun is 宋体's family name); Wine has its own Tahoma and takes the
// Chinese faces of the Linux desktop it runs on, Noto CJK among them. On Linux the built-in cut
// of Noto Serif CJK SC has every character of the book; the system's fonts, chosen by the font
// configuration, draw any other (a folder's name in a notice).
QFont songFont(qreal pointSize, bool bold)
{
#ifdef Q_OS_WIN
    return makeFont({QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                     QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Microsoft YaHei"),
                     QStringLiteral("Noto Sans CJK SC")},
                    QFont::Serif, pointSize, bold);
#else
#ifdef QUILLORA_BOOK_FACES
    // One family only: a second one would have the font configuration list its fallbacks for
    // it while the window starts.
    if (bookFacesRegistered())
        return makeFont({QStringLiteral("Quillora Serif")}, QFont::Serif, pointSize, bold);
#endif
    return makeFont({QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Serif SC"),
                     QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Sans CJK SC")},
                    QFont::Serif, pointSize, bold);
#endif
}

QFont tahomaFont(qreal pointSize, bool bold)
{
#ifdef Q_OS_WIN
    return makeFont({QStringLiteral("Tahoma"), QStringLiteral("Microsoft YaHei"),
                     QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC")},
                    QFont::SansSerif, pointSize, bold);
#else
#ifdef QUILLORA_BOOK_FACES
    // One family only, as for 宋体. The window draws Latin text in bold Tahoma (the frame's
    // title) and Chinese text in regular Tahoma (the plant names): DejaVu Sans for the one, the
    // built-in cut of Noto Sans CJK SC for the other. Any other character comes from the
    // system's fonts, as with any face.
    if (bookFacesRegistered())
        return makeFont({bold ? QStringLiteral("DejaVu Sans") : QStringLiteral("Quillora Sans")},
                        QFont::SansSerif, pointSize, bold);
#endif
    return makeFont({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC"),
                     QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Micro Hei")},
                    QFont::SansSerif, pointSize, bold);
#endif
}
