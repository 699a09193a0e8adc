#pragma once

#include <QByteArray>

#include <vector>

// Stereo sound as floating-point samples from -1 to 1.
struct TuneAudio
{
    int sampleRate = 44100;
    std::vector<float> left;
    std::vector<float> right;

    double seconds() const { return double(left.size()) / sampleRate; }
};

// A calm piece in the D gong pentatonic mode (D E F# A B): a plucked zither (Karplus-Strong
// strings) over a flowing accompaniment, then a bamboo-flute voice with gentle vibrato, in a
// small room. The whole piece lasts about 64 seconds and begins and ends in silence, so it
// loops without a click. With seconds > 0 it gives just the opening that long, faded at both
// ends, for short test files.
TuneAudio composePentatonicTune(double seconds = 0);

// The sound as a 16-bit PCM WAV file.
QByteArray toWav(const TuneAudio &audio);

// Bumped whenever the piece changes, so that a build replaces the music it made before.
inline constexpr int kPentatonicTuneVersion = 1;
