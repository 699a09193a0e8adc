#include "benchfiles.h"

#include "benchprocess.h"
#include "herbcatalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <numbers>

qint64 writeCameraPhoto(const QString &path, bool bark)
{
    QImage image(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator grain(bark ? 7 : 20240601);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (bark) {
                const int noise = int(grain.bounded(41)) - 20;
                const double ridge = std::sin(x / 3.1 + std::sin(y / 17.0) * 4) * 0.5 + 0.5;
                const double knot = std::sin(x / 41.0) * std::sin(y / 29.0);
                const int v = std::clamp(int(60 + 110 * ridge + 40 * knot) + noise, 0, 255);
                line[x] = qRgb(std::clamp(v + 25, 0, 255), v, std::clamp(v - 30, 0, 255));
                continue;
            }
            const int noise = int(grain.bounded(13)) - 6;
            const double leaf = std::sin(x / 97.0 + std::sin(y / 143.0) * 3) * 0.5 + 0.5;
            const int g = std::clamp(int(70 + 120 * leaf) + noise, 0, 255);
            const int r = std::clamp(int(40 + 60 * (y / 3000.0) + 40 * leaf) + noise, 0, 255);
            const int b = std::clamp(int(30 + 50 * (1 - leaf)) + noise, 0, 255);
            line[x] = qRgb(r, g, b);
        }
    }
    return image.save(path, "JPEG", 90) ? QFileInfo(path).size() : 0;
}

int writeProgressiveCopy(const QString &baseline, const QString &path, bool cameraScans)
{
    QStringList args {QStringLiteral("/usr/bin/jpegtran"), QStringLiteral("-copy"),
                      QStringLiteral("all")};
    int scans = 10; // jpegtran's standard progressive script
    if (cameraScans) {
        const QByteArray script = "0,1,2: 0-0, 0, 1;\n"
                                  "0: 1-2, 0, 2;\n0: 3-5, 0, 2;\n0: 6-9, 0, 2;\n"
                                  "0: 10-14, 0, 2;\n0: 15-20, 0, 2;\n0: 21-27, 0, 2;\n"
                                  "0: 28-35, 0, 2;\n0: 36-44, 0, 2;\n0: 45-63, 0, 2;\n"
                                  "1: 1-5, 0, 1;\n1: 6-63, 0, 1;\n2: 1-5, 0, 1;\n2: 6-63, 0, 1;\n"
                                  "0: 1-63, 2, 1;\n"
                                  "0,1,2: 0-0, 1, 0;\n"
                                  "1: 1-63, 1, 0;\n2: 1-63, 1, 0;\n0: 1-63, 1, 0;\n";
        QFile file(path + QStringLiteral(".scans"));
        if (!file.open(QIODevice::WriteOnly) || file.write(script) != script.size())
            return 0;
        file.close();
        args << QStringLiteral("-scans") << file.fileName();
        scans = int(script.count(';'));
    } else {
        args << QStringLiteral("-progressive");
    }
    args << QStringLiteral("-outfile") << path << baseline;
    return runChild(args).exitCode == 0 && QFileInfo(path).size() > 0 ? scans : 0;
}

bool writeToneMp3(const QString &path, double seconds, double hertz, bool joinable)
{
    const int rate = 44100;
    const int count = int(std::lround(seconds * rate));
    QByteArray pcm(count * 2, Qt::Uninitialized);
    auto *out = reinterpret_cast<int16_t *>(pcm.data());
    for (int i = 0; i < count; ++i)
        out[i] = int16_t(std::lround(20000 * std::sin(2 * std::numbers::pi * hertz * i / rate)));
    QFile raw(path + QStringLiteral(".raw"));
    if (!raw.open(QIODevice::WriteOnly) || raw.write(pcm) != pcm.size())
        return false;
    raw.close();
    QStringList args {QStringLiteral("/usr/bin/lame"),
                      QStringLiteral("--silent"),
                      QStringLiteral("-r"),
                      QStringLiteral("-s"),
                      QStringLiteral("44.1"),
                      QStringLiteral("--bitwidth"),
                      QStringLiteral("16"),
                      QStringLiteral("--signed"),
                      QStringLiteral("--little-endian"),
                      QStringLiteral("-m"),
                      QStringLiteral("m"),
                      QStringLiteral("--cbr")};
    if (joinable)
        args << QStringLiteral("-b") << QStringLiteral("32") << QStringLiteral("-t")
             << QStringLiteral("--nores");
    else
        args << QStringLiteral("-b") << QStringLiteral("128");
    args << raw.fileName() << path;
    const bool ok = runChild(args).exitCode == 0 && QFileInfo(path).size() > 0;
    raw.remove();
    return ok;
}

bool writeRepeated(const QString &source, const QString &path, int times)
{
    QFile in(source);
    QFile out(path);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = in.readAll();
    for (int i = 0; i < times; ++i)
        if (out.write(bytes) != bytes.size())
            return false;
    return true;
}

QString makeProgramFolder(const QString &root, const QString &program, const QString &photo,
                          const QString &music)
{
    if (!QDir(root).mkpath(QStringLiteral("photos")))
        return {};
    if (!photo.isEmpty())
        for (const QString &name : HerbCatalogue::displayNames())
            QFile::link(photo, root + QStringLiteral("/photos/") + name + QStringLiteral(".jpg"));
    if (!music.isEmpty() && !QFile::copy(music, root + QStringLiteral("/photos/BGM.mp3")))
        return {};
    if (program.isEmpty())
        return root;
    const QString copy = root + QLatin1Char('/') + QFileInfo(program).fileName();
    return QFile::copy(program, copy) ? copy : QString();
}
