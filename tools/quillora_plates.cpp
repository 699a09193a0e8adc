// Draws the sample photos: one "specimen plate" JPEG per plant, named <display name>.jpg, into
// the photos folder beside the program. A photo someone else put there is never overwritten:
// the manifest (kept outside the photos folder) records what this tool wrote, and only a photo
// that is missing or still exactly as recorded is (re)drawn.
//
//     quillora-plates PHOTO_DIR MANIFEST

#include "herbcatalogue.h"
#include "outputmanifest.h"
#include "plateartwork.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

// Raise this when the drawing changes, so that untouched plates are redrawn.
constexpr int kPlateVersion = 4;

QByteArray encodeJpeg(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.setOptimizedWrite(true);
    return writer.write(image) ? bytes : QByteArray();
}

// Draws the given rows on all cores; the result for row i is at index i.
std::vector<QByteArray> drawAll(const std::vector<const HerbEntry *> &rows)
{
    std::vector<QByteArray> jpegs(rows.size());
    std::atomic<size_t> next {0};
    auto work = [&] {
        for (size_t i = next++; i < rows.size(); i = next++)
            jpegs[i] = encodeJpeg(drawSpecimenPlate(*rows[i]));
    };
    // Text on a QImage may be drawn from any thread.
    const unsigned cores = qMax(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < cores && i < rows.size(); ++i)
        helpers.emplace_back(work);
    work();
    for (std::thread &t : helpers)
        t.join();
    return jpegs;
}

// Offscreen Qt warns about a missing XDG_RUNTIME_DIR, which means nothing for drawing files.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char *argv[])
{
    // Drawing needs fonts but never a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietHandler);
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: quillora-plates PHOTO_DIR MANIFEST\n");
        return 2;
    }
    const QDir photos(args.at(1));
    const QString manifestPath = args.at(2);
    if (!QDir().mkpath(photos.path())) {
        std::fprintf(stderr, "quillora-plates: cannot create %s\n", qPrintable(photos.path()));
        return 1;
    }

    OutputManifest manifest = OutputManifest::load(manifestPath);
    const bool current = manifest.version() == kPlateVersion;
    std::vector<const HerbEntry *> todo;
    QStringList kept;
    bool changed = !current;
    for (HerbNumber n = 1; n <= HerbCatalogue::count(); ++n) {
        const HerbEntry *row = HerbCatalogue::entryAt(n);
        const QString name = QString::fromUtf8(row->photoStem) + QStringLiteral(".jpg");
        const QFileInfo file(photos.filePath(name));
        if (!file.exists() && !file.isSymLink()) {
            todo.push_back(row);
        } else if (manifest.matches(name, file.filePath())) {
            if (!current)
                todo.push_back(row);
        } else {
            // Someone else's file: leave it, and stop claiming it.
            kept << name;
            if (manifest.contains(name)) {
                manifest.forget(name);
                changed = true;
            }
        }
    }

    QElapsedTimer clock;
    clock.start();
    const std::vector<QByteArray> jpegs = drawAll(todo);
    int failed = 0;
    for (size_t i = 0; i < todo.size(); ++i) {
        const QString name = QString::fromUtf8(todo[i]->photoStem) + QStringLiteral(".jpg");
        QSaveFile out(photos.filePath(name));
        if (jpegs[i].isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(jpegs[i]) < 0
            || !out.commit()) {
            std::fprintf(stderr, "quillora-plates: cannot write %s\n", qPrintable(out.fileName()));
            manifest.forget(name);
            ++failed;
            continue;
        }
        manifest.record(name, jpegs[i]);
        changed = true;
    }
    manifest.setVersion(kPlateVersion);
    if (changed && !manifest.save(manifestPath)) {
        std::fprintf(stderr, "quillora-plates: cannot write %s\n", qPrintable(manifestPath));
        return 1;
    }
    if (!todo.empty())
        std::printf("quillora-plates: drew %d photos in %lld ms\n", int(todo.size()) - failed,
                    clock.elapsed());
    if (!kept.isEmpty())
        std::printf("quillora-plates: left %d photos that were not drawn here: %s\n",
                    int(kept.size()), qPrintable(kept.join(QStringLiteral(" "))));
    return failed ? 1 : 0;
}
