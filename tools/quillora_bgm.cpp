// Writes the sample background music BGM.mp3.
//
//   quillora-bgm [--seconds S] [--manifest FILE] OUTPUT.mp3
//
// With --manifest, OUTPUT is written when it is absent, or when it is the very file recorded in
// the manifest but made by an older version of the piece; any other file there is someone's own
// music and is kept. Without --manifest, OUTPUT is written only when absent. --seconds gives just
// the opening of the piece, that long.
#include "mp3encoder.h"
#include "outputmanifest.h"
#include "pentatonictune.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "quillora-bgm: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes the sample background music."));
    parser.addHelpOption();
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Only the opening, this long."),
                                           QStringLiteral("S"));
    const QCommandLineOption manifestOption(QStringLiteral("manifest"),
                                            QStringLiteral("Record of what was written."),
                                            QStringLiteral("FILE"));
    parser.addOptions({secondsOption, manifestOption});
    parser.addPositionalArgument(QStringLiteral("output"), QStringLiteral("The MP3 file."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    const QString output = parser.positionalArguments().constFirst();
    bool ok = true;
    const double seconds
            = parser.isSet(secondsOption) ? parser.value(secondsOption).toDouble(&ok) : 0.0;
    if (!ok || seconds < 0)
        return fail(QStringLiteral("--seconds wants a positive number"));
    const QString manifestPath = parser.value(manifestOption);

    const QString name = QFileInfo(output).fileName();
    if (QFileInfo::exists(output)) {
        const OutputManifest previous
                = manifestPath.isEmpty() ? OutputManifest() : OutputManifest::load(manifestPath);
        if (!previous.matches(name, output)) {
            std::printf("quillora-bgm: keeping %s, which was not made by this build\n",
                        qPrintable(QDir::toNativeSeparators(output)));
            return 0;
        }
        if (previous.version() == kPentatonicTuneVersion)
            return 0; // up to date
    }

    QString error;
    const TuneAudio tune = composePentatonicTune(seconds);
    const QByteArray mp3 = encodeMp3(toWav(tune), &error);
    if (mp3.isEmpty()) {
        // The book still works without music; say why there is none and let the build go on.
        std::fprintf(stderr, "quillora-bgm: warning: no background music written: %s\n",
                     qPrintable(error));
        return 0;
    }
    QDir().mkpath(QFileInfo(output).absolutePath());
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(mp3) != mp3.size() || !file.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(output, file.errorString()));
    OutputManifest written;
    written.setVersion(kPentatonicTuneVersion);
    written.record(name, mp3);
    if (!manifestPath.isEmpty() && !written.save(manifestPath))
        return fail(QStringLiteral("cannot write %1").arg(manifestPath));
    std::printf("quillora-bgm: wrote %s (%.1f s)\n", qPrintable(QDir::toNativeSeparators(output)),
                tune.seconds());
    return 0;
}
