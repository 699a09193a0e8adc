#pragma once

// MP3 files for the music tests, encoded with lame from a steady tone.
#include "mp3encoder.h"
#include "pentatonictune.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <numbers>

inline constexpr int kToneRate = 44100;
inline constexpr int kToneHz = 441; // 100 samples a period at 44.1 kHz: whole seconds loop in phase

// A steady tone `frames` samples long at `rate`, encoded by lame (which records its delay and
// padding in its tag) with its options (128 kbit/s stereo unless told otherwise).
inline QByteArray toneMp3(int frames, int rate = kToneRate,
                          const QStringList &options
                          = {QStringLiteral("-b"), QStringLiteral("128")})
{
    TuneAudio audio;
    audio.sampleRate = rate;
    for (int i = 0; i < frames; ++i) {
        const float v = float(0.5 * std::sin(2 * std::numbers::pi * kToneHz * i / rate));
        audio.left.push_back(v);
        audio.right.push_back(v);
    }
    QString error;
    const QByteArray mp3 = encodeMp3(toWav(audio), &error, options);
    if (mp3.isEmpty())
        qFatal("cannot encode the test tone: %s", qPrintable(error));
    return mp3;
}

// Writes `bytes` to `path`, making its folder; the path.
inline QString writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}
