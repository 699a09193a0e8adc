#include "pentatonictune.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

constexpr int kRate = 44100;
constexpr double kBeat = 60.0 / 63.0; // seconds per beat, 63 beats a minute
constexpr int kBars = 16;
constexpr double kTail = 1.7; // seconds after the last bar, for its notes to ring out
constexpr double kTwoPi = 2 * std::numbers::pi;

// A small deterministic noise source, so every build makes the same file.
class Noise
{
public:
    explicit Noise(std::uint32_t seed)
        : m_state(seed)
    { }
    float next() // -1 .. 1
    {
        m_state = m_state * 1664525u + 1013904223u;
        return float(m_state >> 8) / float(1u << 23) - 1.0f;
    }

private:
    std::uint32_t m_state;
};

double frequencyOf(int midi)
{
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

struct Mix
{
    std::vector<float> left;
    std::vector<float> right;

    void add(std::size_t at, const std::vector<float> &voice, float pan)
    {
        const float l = std::cos(pan * float(std::numbers::pi) / 2);
        const float r = std::sin(pan * float(std::numbers::pi) / 2);
        const std::size_t end = std::min(left.size(), at + voice.size());
        for (std::size_t i = at; i < end; ++i) {
            left[i] += voice[i - at] * l;
            right[i] += voice[i - at] * r;
        }
    }
};

// One plucked string: a delay line one period long, fed back through a two-point average
// (the string's loss) and a first-order all-pass that tunes the fractional part of the period.
std::vector<float> pluck(int midi, float velocity, double ringSeconds, Noise &noise)
{
    const double period = kRate / frequencyOf(midi);
    const int length = int(std::floor(period - 0.5));
    const double fraction = period - 0.5 - length;
    const double c = (1 - fraction) / (1 + fraction);
    // Loss per trip so the note falls by 60 dB after ringSeconds.
    const double trips = ringSeconds * kRate / period;
    const double loss = std::pow(0.001, 1.0 / trips);

    std::vector<double> line(std::size_t(std::max(length, 2)));
    // A soft pluck, as with the flesh of a finger: noise with its highs rolled off a few
    // harmonics above the note, so the attack is round rather than scratchy.
    const double cutoff = std::min(5.0 * frequencyOf(midi), 4000.0);
    const double keep = std::exp(-kTwoPi * cutoff / kRate);
    double first = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (double &v : line) {
            first = keep * first + (1 - keep) * (pass == 0 ? noise.next() : v);
            v = first;
        }
    }
    double mean = 0;
    for (double v : line)
        mean += v;
    mean /= line.size();
    double peak = 0;
    for (double &v : line) {
        v -= mean;
        peak = std::max(peak, std::abs(v));
    }
    for (double &v : line)
        v = peak > 0 ? 0.5 * v / peak : 0.0;

    const std::size_t count = std::size_t(ringSeconds * kRate);
    std::vector<float> out(count);
    std::size_t index = 0;
    double previous = 0, apIn = 0, apOut = 0;
    for (std::size_t n = 0; n < count; ++n) {
        const double v = line[index];
        const double averaged = loss * 0.5 * (v + previous);
        previous = v;
        const double tuned = c * averaged + apIn - c * apOut;
        apIn = averaged;
        apOut = tuned;
        line[index] = tuned;
        index = (index + 1) % line.size();
        out[n] = float(v) * velocity;
    }
    // Let the very end fall to silence.
    const std::size_t fade = std::min<std::size_t>(count, kRate / 10);
    for (std::size_t n = 0; n < fade; ++n)
        out[count - 1 - n] *= float(n) / fade;
    return out;
}

// A bamboo-flute voice: a few harmonics with breath noise, a soft swell and a vibrato that
// grows in after the note has settled.
std::vector<float> blow(int midi, float velocity, double seconds, Noise &noise)
{
    const double attack = 0.09, release = 0.22;
    const std::size_t count = std::size_t((seconds + release) * kRate);
    std::vector<float> out(count);
    const double base = frequencyOf(midi);
    double phase = 0, breath = 0;
    for (std::size_t n = 0; n < count; ++n) {
        const double t = double(n) / kRate;
        double envelope;
        if (t < attack)
            envelope = 0.5 - 0.5 * std::cos(std::numbers::pi * t / attack);
        else if (t < seconds)
            envelope = 1.0 - 0.12 * std::min(1.0, (t - attack) / 2.0);
        else
            envelope = 0.88 * (0.5 + 0.5 * std::cos(std::numbers::pi * (t - seconds) / release));
        const double vibratoDepth = 0.0055 * std::clamp((t - 0.3) / 0.5, 0.0, 1.0);
        const double frequency = base * (1 + vibratoDepth * std::sin(kTwoPi * 5.1 * t));
        phase += kTwoPi * frequency / kRate;
        if (phase > kTwoPi)
            phase -= kTwoPi;
        const double tone = std::sin(phase) + 0.32 * std::sin(2 * phase)
                + 0.11 * std::sin(3 * phase) + 0.04 * std::sin(4 * phase);
        breath = 0.93 * breath + 0.07 * noise.next();
        const double chiff = t < attack ? 1.0 - t / attack : 0.0;
        out[n] = float(envelope * velocity * (tone / 1.4 + breath * (0.35 + 1.2 * chiff)));
    }
    return out;
}

// A Schroeder-Moorer room: eight damped combs and four all-passes per side.
class Room
{
public:
    explicit Room(int spread)
    {
        for (std::size_t i = 0; i < kCombs.size(); ++i)
            m_combs[i].resize(std::size_t(kCombs[i] + spread));
        for (std::size_t i = 0; i < kAllPasses.size(); ++i)
            m_allPasses[i].resize(std::size_t(kAllPasses[i] + spread));
    }

    float process(float in)
    {
        float sum = 0;
        for (std::size_t i = 0; i < m_combs.size(); ++i) {
            std::vector<float> &line = m_combs[i];
            std::size_t &at = m_combAt[i];
            const float out = line[at];
            m_damped[i] = out * (1 - kDamp) + m_damped[i] * kDamp;
            line[at] = in * 0.015f + m_damped[i] * kFeedback;
            at = (at + 1) % line.size();
            sum += out;
        }
        for (std::size_t i = 0; i < m_allPasses.size(); ++i) {
            std::vector<float> &line = m_allPasses[i];
            std::size_t &at = m_allPassAt[i];
            const float stored = line[at];
            line[at] = sum + stored * 0.5f;
            sum = stored - sum;
            at = (at + 1) % line.size();
        }
        return sum;
    }

private:
    static constexpr std::array<int, 8> kCombs {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static constexpr std::array<int, 4> kAllPasses {556, 441, 341, 225};
    static constexpr float kFeedback = 0.82f;
    static constexpr float kDamp = 0.3f;
    std::array<std::vector<float>, 8> m_combs;
    std::array<std::size_t, 8> m_combAt {};
    std::array<float, 8> m_damped {};
    std::array<std::vector<float>, 4> m_allPasses;
    std::array<std::size_t, 4> m_allPassAt {};
};

struct Note
{
    double beat;
    double beats;
    int midi;
};

// MIDI numbers of the mode's notes used below.
enum : int {
    A2 = 45,
    B2 = 47,
    D3 = 50,
    E3 = 52,
    Fs3 = 54,
    A3 = 57,
    B3 = 59,
    D4 = 62,
    E4 = 64,
    Fs4 = 66,
    A4 = 69,
    B4 = 71,
    D5 = 74,
    E5 = 76,
};

// The tune, four beats to a bar, as (length in beats, note) pairs.
const std::pair<double, int> kMelody[] = {
        {2, A4},    {1, B4},   {1, A4}, // 1
        {2, Fs4},   {2, E4}, // 2
        {1, D4},    {1, E4},   {1, Fs4}, {1, A4}, // 3
        {4, E4}, // 4
        {1.5, Fs4}, {0.5, A4}, {1, B4},  {1, D5}, // 5
        {2, B4},    {2, A4}, // 6
        {1, Fs4},   {1, A4},   {1, B4},  {0.5, A4}, {0.5, Fs4}, // 7
        {4, A4}, // 8
        {2, B4},    {1, D5},   {1, E5}, // 9
        {2, D5},    {1, B4},   {1, A4}, // 10
        {1.5, B4},  {0.5, A4}, {1, Fs4}, {1, E4}, // 11
        {4, Fs4}, // 12
        {1, E4},    {1, Fs4},  {2, A4}, // 13
        {1, B4},    {1, A4},   {1, Fs4}, {1, E4}, // 14
        {1.5, D4},  {0.5, E4}, {1, Fs4}, {1, E4}, // 15
        {4, D4}, // 16
};

// The low string each bar rests on.
const std::array<int, kBars> kRoots {D3, B2, D3, A2, D3, E3, B2, D3,
                                     E3, B2, E3, D3, A2, E3, A2, D3};

// The mode's notes from A2 upwards, for walking the accompaniment along the strings.
std::vector<int> modeNotes()
{
    std::vector<int> notes;
    for (int octave = 36; octave <= 96; octave += 12)
        for (int step : {2, 4, 6, 9, 11}) // D E F# A B above C
            if (octave + step >= A2)
                notes.push_back(octave + step);
    return notes;
}

std::size_t sampleAt(double beat, double nudge = 0)
{
    return std::size_t(std::max(0.0, (0.02 + beat * kBeat + nudge) * kRate));
}

} // namespace

TuneAudio composePentatonicTune(double seconds)
{
    const double pieceSeconds = 0.02 + kBars * 4 * kBeat + kTail;
    const std::size_t total = std::size_t(pieceSeconds * kRate);
    Mix zither {std::vector<float>(total), std::vector<float>(total)};
    Mix flute {std::vector<float>(total), std::vector<float>(total)};
    Noise noise(0x51A7u);

    // The tune: the zither sings the first phrase, the flute takes it from bar 5.
    double beat = 0;
    for (const auto &[beats, midi] : kMelody) {
        if (beat < 16)
            zither.add(sampleAt(beat), pluck(midi, 0.55f, 2.8, noise), 0.42f);
        else
            flute.add(sampleAt(beat), blow(midi + 12, 0.22f, beats * kBeat, noise), 0.62f);
        beat += beats;
    }

    // The accompaniment: a bass string on each bar and a rippling figure up and down the
    // mode above it, thinning out in the last phrase.
    const std::vector<int> mode = modeNotes();
    const std::array<int, 8> figure {0, 2, 3, 5, 7, 5, 3, 2};
    for (int bar = 0; bar < kBars; ++bar) {
        const int root = kRoots[std::size_t(bar)];
        const auto rootAt = std::size_t(std::find(mode.begin(), mode.end(), root) - mode.begin());
        const double barBeat = bar * 4.0;
        const bool last = bar == kBars - 1;
        zither.add(sampleAt(barBeat), pluck(root - 12, 0.5f, last ? 3.4 : 3.0, noise), 0.5f);
        if (last) {
            // A slow rolled chord to close on.
            const std::array<int, 4> chord {D3, A3, D4, Fs4};
            for (std::size_t i = 0; i < chord.size(); ++i)
                zither.add(sampleAt(barBeat, 0.09 * i), pluck(chord[i], 0.3f, 3.4, noise), 0.35f);
            continue;
        }
        const int step = bar >= 12 ? 2 : 1; // quarters in the last phrase, eighths before
        for (int i = 0; i < 8; i += step) {
            const int midi = mode[rootAt + std::size_t(figure[std::size_t(i)])];
            const float velocity = (i == 0 ? 0.22f : 0.16f) + 0.03f * noise.next();
            zither.add(sampleAt(barBeat + i * 0.5, 0.004 * noise.next()),
                       pluck(midi, velocity, 2.2, noise), 0.3f);
        }
    }

    // Dry voices, then the room, then one gain for the whole.
    TuneAudio audio;
    audio.sampleRate = kRate;
    audio.left.resize(total);
    audio.right.resize(total);
    Room roomLeft(0), roomRight(23);
    for (std::size_t n = 0; n < total; ++n) {
        const float l = zither.left[n] + flute.left[n];
        const float r = zither.right[n] + flute.right[n];
        const float wet = 0.3f;
        audio.left[n] = l + wet * roomLeft.process((l + r) * 0.5f);
        audio.right[n] = r + wet * roomRight.process((l + r) * 0.5f);
    }
    float peak = 0;
    for (std::size_t n = 0; n < total; ++n)
        peak = std::max({peak, std::abs(audio.left[n]), std::abs(audio.right[n])});
    const float gain = peak > 0 ? 0.6f / peak : 1.0f;

    std::size_t count = total;
    if (seconds > 0)
        count = std::min(total, std::size_t(seconds * kRate));
    audio.left.resize(count);
    audio.right.resize(count);
    // Both ends fall to silence, the end over a few seconds for the whole piece.
    const std::size_t fadeIn = std::min<std::size_t>(count / 4, kRate / 200);
    const std::size_t fadeOut = seconds > 0 ? std::min<std::size_t>(count / 4, kRate * 3 / 10)
                                            : std::size_t(1.6 * kRate);
    for (std::size_t n = 0; n < count; ++n) {
        float g = gain;
        if (n < fadeIn)
            g *= float(n) / fadeIn;
        const std::size_t fromEnd = count - 1 - n;
        if (fromEnd < fadeOut)
            g *= float(0.5 - 0.5 * std::cos(std::numbers::pi * double(fromEnd) / fadeOut));
        audio.left[n] *= g;
        audio.right[n] *= g;
    }
    return audio;
}

QByteArray toWav(const TuneAudio &audio)
{
    const quint32 frames = quint32(audio.left.size());
    const quint32 dataBytes = frames * 4;
    QByteArray wav;
    wav.reserve(int(44 + dataBytes));
    auto put32 = [&wav](quint32 v) {
        const quint32 le = qToLittleEndian(v);
        wav.append(reinterpret_cast<const char *>(&le), 4);
    };
    auto put16 = [&wav](quint16 v) {
        const quint16 le = qToLittleEndian(v);
        wav.append(reinterpret_cast<const char *>(&le), 2);
    };
    wav.append("RIFF", 4);
    put32(36 + dataBytes);
    wav.append("WAVEfmt ", 8);
    put32(16);
    put16(1); // PCM
    put16(2); // stereo
    put32(quint32(audio.sampleRate));
    put32(quint32(audio.sampleRate) * 4);
    put16(4);
    put16(16);
    wav.append("data", 4);
    put32(dataBytes);
    for (quint32 n = 0; n < frames; ++n) {
        for (const float v : {audio.left[n], audio.right[n]}) {
            const long s = std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
            put16(quint16(qint16(s)));
        }
    }
    return wav;
}
