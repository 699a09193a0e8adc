// The Windows check's ear, built for this machine: writes the steady tone the check plays as the
// music, and looks through what the sound sink heard of it with the benchmark's tone analysis.
//   tonecheck write SECONDS HERTZ   the tone as raw 16-bit mono samples at 44.1 kHz, to stdout
//   tonecheck hear HERTZ [FROM]     reads such samples from stdin and prints
//                                   "tone S s, faults N, longest M ms"; exits 1 when no tone.
//                                   With FROM, only what is heard from FROM seconds after the
//                                   tone's onset on is looked through.
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
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "hear") == 0) {
        std::vector<int16_t> samples;
        int16_t block[4096];
        while (const size_t read = std::fread(block, sizeof *block, std::size(block), stdin))
            samples.insert(samples.end(), block, block + read);
        const double hertz = std::atof(argv[2]);
        ToneFaults faults = findToneFaults(samples, rate, hertz);
        if (argc == 4 && faults.heard) {
            // The onset is where the tone heard runs to the end from.
            const auto onset = long(samples.size()) - long(std::lround(faults.toneSeconds * rate));
            const long from = onset + std::lround(std::atof(argv[3]) * rate);
            if (from >= long(samples.size()))
                return 1;
            samples.erase(samples.begin(), samples.begin() + std::max(from, 0L));
            faults = findToneFaults(samples, rate, hertz);
        }
        std::printf("tone %.2f s, faults %d, longest %.2f ms\n", faults.toneSeconds, faults.faults,
                    faults.longestFaultMs);
        return faults.heard ? 0 : 1;
    }
    std::fprintf(stderr, "usage: tonecheck write SECONDS HERTZ | tonecheck hear HERTZ [FROM]\n");
    return 2;
}
