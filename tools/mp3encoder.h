#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Encodes a WAV file's bytes to MP3 with the lame command-line encoder (constant bit rate, 128
// kbit/s unless the options say otherwise) and returns the MP3 bytes, or an empty array with
// the reason in *error.
QByteArray encodeMp3(const QByteArray &wav, QString *error,
                     const QStringList &options = {QStringLiteral("-b"), QStringLiteral("128")});
