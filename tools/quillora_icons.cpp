// Writes the program's icon into an icon theme folder for the desktop:
//   quillora-icons THEME_DIR NAME SIZE...
// makes THEME_DIR/hicolor/<SIZE>x<SIZE>/apps/NAME.png for each size, drawn by the same function
// that gives the window its icon.

#include "appicon.h"

#include <QDir>
#include <QImage>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc < 4) {
        std::fputs("usage: quillora-icons THEME_DIR NAME SIZE...\n", stderr);
        return 2;
    }
    const QString themeDir = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "quillora-icons: bad size %s\n", argv[i]);
            return 2;
        }
        const QString folder = QString("%1/hicolor/%2x%2/apps").arg(themeDir).arg(size);
        const QString file = folder + '/' + name + ".png";
        if (!QDir().mkpath(folder) || !quilloraIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "quillora-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
