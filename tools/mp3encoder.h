#pragma once

#include <QByteArray>
#include <QString>

// Encodes a WAV file's bytes to MP3 with the lame command-line encoder (128 kbit/s constant
// bit rate) and returns the MP3 bytes, or an empty array with the reason in *error.
QByteArray encodeMp3(const QByteArray &wav, QString *error);
