#pragma once

#include <QString>

// The files the benchmark measures with, made at run time in its temporary folder.

// A camera-size photo (4000 × 3000) as a baseline JPEG at the quality phones use: smooth light
// and shade with fine grain ("leaves"), or fine detail everywhere ("bark"). Returns its size in
// bytes, 0 on failure.
qint64 writeCameraPhoto(const QString &path, bool bark = false);

// A progressive copy of a baseline JPEG made with jpegtran: its standard script (ten scans), or
// the many-scan script of a camera's progressive output (the luminance's AC coefficients in
// nine bands, refined twice). Returns the number of scans written, 0 on failure.
int writeProgressiveCopy(const QString &baseline, const QString &path, bool cameraScans);

// A steady sine tone as MP3 (lame, mono, 44.1 kHz). With the LAME tag (the encoder's delay and
// padding, for gapless playback) at 128 kbit/s; or without the tag and the bit reservoir at
// 32 kbit/s, so that copies of its frames can be joined into a longer file.
bool writeToneMp3(const QString &path, double seconds, double hertz, bool joinable);

// The file written `times` times one after the other.
bool writeRepeated(const QString &source, const QString &path, int times);

// An application folder: photos/ holding `photo` under every plant's name (when given) and
// `music` as BGM.mp3 (when given), and a copy of the program beside it (when given). Returns the
// copy's path (the folder's without a program), empty on failure.
QString makeProgramFolder(const QString &root, const QString &program, const QString &photo,
                          const QString &music);
