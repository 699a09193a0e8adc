#include "mp3encoder.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

QByteArray encodeMp3(const QByteArray &wav, QString *error, const QStringList &options)
{
    const QString lame = QStandardPaths::findExecutable(QStringLiteral("lame"));
    if (lame.isEmpty()) {
        *error = QStringLiteral("the lame encoder is not installed (Debian package \"lame\")");
        return {};
    }
    QTemporaryDir dir;
    if (!dir.isValid()) {
        *error = QStringLiteral("cannot make a temporary folder: ") + dir.errorString();
        return {};
    }
    const QString wavPath = dir.filePath(QStringLiteral("tune.wav"));
    const QString mp3Path = dir.filePath(QStringLiteral("tune.mp3"));
    QFile wavFile(wavPath);
    if (!wavFile.open(QIODevice::WriteOnly) || wavFile.write(wav) != wav.size()) {
        *error = QStringLiteral("cannot write %1: %2").arg(wavPath, wavFile.errorString());
        return {};
    }
    wavFile.close();

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(lame,
                  QStringList {QStringLiteral("--quiet"), QStringLiteral("--cbr"),
                               QStringLiteral("-q"), QStringLiteral("2")}
                          + options + QStringList {wavPath, mp3Path});
    if (!process.waitForFinished(180000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        *error = QStringLiteral("lame failed: ") + process.errorString() + QLatin1Char(' ')
                + QString::fromLocal8Bit(process.readAll()).trimmed();
        process.kill();
        return {};
    }
    QFile mp3File(mp3Path);
    if (!mp3File.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("lame wrote no file: ") + mp3File.errorString();
        return {};
    }
    QByteArray mp3 = mp3File.readAll();
    if (mp3.isEmpty())
        *error = QStringLiteral("lame wrote an empty file");
    return mp3;
}
