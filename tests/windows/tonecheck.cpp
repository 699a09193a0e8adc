// The Windows check's ear, built for this machine: writes the steady tone the check plays as the
// music, and looks through what the sound sink heard of it with the benchmark's tone analysis.
//   tonecheck write SECONDS HERTZ   the tone as raw 16-bit mono samples at 44.1 kHz, to stdout
//   tonecheck hear HERTZ PASS       reads such samples, of a loop of PASS seconds, from stdin and
//                                   prints the passes heard, the loop's faults and the sound
//                                   path's; exits 1 when no tone
#include "toneseams.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>

int main(int argc, char *argv[])
{
    const int rate = 44100;
    if (argc == 4 && std::strcmp(argv[1], "write") == 0) {
        const long count = std::lround(std::atof(argv[2]) * rate);
        const double hertz = std::atof(argv[3]);
        for (long i = 0; i < count; ++i) {
            const auto sample = int16_t(
                    std::lround(20000 * std::sin(2 * std::numbers::pi * hertz * i / rate)));
            std::fwrite(&sample, sizeof sample, 1, stdout);
        }
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "hear") == 0) {
        std::vector<int16_t> samples;
        int16_t block[4096];
        while (const size_t read = std::fread(block, sizeof *block, std::size(block), stdin))
            samples.insert(samples.end(), block, block + read);
        const ToneFaults faults = findToneFaults(samples, rate, std::atof(argv[2]));
        const double pass = std::atof(argv[3]);
        // The loop's own faults come again at the same place of another pass (at the seams,
        // where a pass ends and the next begins, or anywhere else); one that comes once is the
        // sound path's (under Wine, a buffer late by a whole period of 5 or 10 ms, wherever it
        // falls).
        const auto phase = [pass](double at) { return std::fmod(at, pass); };
        const auto near = [pass](double a, double b) {
            const double d = std::abs(a - b);
            return std::min(d, pass - d) < 0.05;
        };
        struct Tally
        {
            int count = 0;
            double longestMs = 0;
        } loop, elsewhere;
        for (const ToneFaults::Stretch &s : faults.stretches) {
            const bool again = std::any_of(faults.stretches.begin(), faults.stretches.end(),
                                           [&](const auto &other) {
                                               return std::abs(other.at - s.at) > pass / 2
                                                       && near(phase(other.at), phase(s.at));
                                           });
            Tally &kind = again ? loop : elsewhere;
            ++kind.count;
            kind.longestMs = std::max(kind.longestMs, s.ms);
        }
        std::printf("tone %.2f s, passes %d; the loop's faults %d, longest %.2f ms; the sound "
                    "path's %d, longest %.2f ms\n",
                    faults.toneSeconds, int((faults.toneSeconds + 0.02) / pass), loop.count,
                    loop.longestMs, elsewhere.count, elsewhere.longestMs);
        return faults.heard ? 0 : 1;
    }
    std::fprintf(stderr, "usage: tonecheck write SECONDS HERTZ | tonecheck hear HERTZ PASS\n");
    return 2;
}
