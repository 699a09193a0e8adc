// The sample plates: every plant of the book is drawn with its own features, so that no two
// plates are the same drawing in other colours.

#include "herbcatalogue.h"
#include "plateartwork.h"

#include <QTest>

#include <vector>

namespace {

// Where a drawing puts ink, in cells of 4 x 4 pixels: how many of each cell's pixels are covered.
std::vector<quint8> inkCells(const QImage &sketch)
{
    const QImage image = sketch.convertToFormat(QImage::Format_ARGB32);
    const int columns = image.width() / 4;
    const int rows = image.height() / 4;
    std::vector<quint8> cells(size_t(columns * rows));
    for (int y = 0; y < rows * 4; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < columns * 4; ++x) {
            if (qAlpha(line[x]) > 96)
                ++cells[size_t(y / 4 * columns + x / 4)];
        }
    }
    return cells;
}

} // namespace

class TestPlates : public QObject
{
    Q_OBJECT

private slots:
    void noTwoPlantsShareADrawing();
};

// Drawn with one seed, so that only the plants' features tell the sketches apart, any two
// plates must differ in a good part of the ink (colour plays no part in a sketch).
void TestPlates::noTwoPlantsShareADrawing()
{
    std::vector<std::vector<quint8>> drawings;
    for (HerbNumber n = 1; n <= HerbCatalogue::count(); ++n) {
        drawings.push_back(inkCells(drawPlantSketch(*HerbCatalogue::entryAt(n), 7)));
    }
    QStringList alike;
    for (size_t a = 0; a < drawings.size(); ++a) {
        for (size_t b = a + 1; b < drawings.size(); ++b) {
            long inked = 0;
            long apart = 0;
            for (size_t i = 0; i < drawings[a].size(); ++i) {
                const int u = drawings[a][i];
                const int v = drawings[b][i];
                inked += qMax(u, v);
                apart += qAbs(u - v);
            }
            if (apart * 10 <= inked) // at most a tenth of the ink differs
                alike << QStringLiteral("%1 ~ %2 (%3 %)")
                                 .arg(HerbCatalogue::entryAt(HerbNumber(a + 1))->name(),
                                      HerbCatalogue::entryAt(HerbNumber(b + 1))->name())
                                 .arg(100 * apart / qMax(1L, inked));
        }
    }
    QVERIFY2(alike.isEmpty(), qPrintable(alike.join(QStringLiteral(", "))));
}

QTEST_MAIN(TestPlates)
#include "tst_plates.moc"
