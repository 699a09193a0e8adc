// The Windows check's ear, built for this machine: writes the steady tone the check plays as the
// music, and looks through what the sound sink heard of it with the benchmark's tone analysis.
//   tonecheck write SECONDS HERTZ   the tone as raw 16-bit mono samples at 44.1 kHz, to stdout
//   tonecheck hear HERTZ            reads such samples from stdin and prints
//                                   "tone S s, faults N, longest M ms"; exits 1 when no tone
#include "toneseams.h"

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
    if (argc == 3 && std::strcmp(argv[1], "hear") == 0) {
        std::vector<int16_t> samples;
        int16_t block[4096];
        while (const size_t read = std::fread(block, sizeof *block, std::size(block), stdin))
            samples.insert(samples.end(), block, block + read);
        const ToneFaults faults = findToneFaults(samples, rate, std::atof(argv[2]));
        std::printf("tone %.2f s, faults %d, longest %.2f ms\n", faults.toneSeconds, faults.faults,
                    faults.longestFaultMs);
        return faults.heard ? 0 : 1;
    }
    std::fprintf(stderr, "usage: tonecheck write SECONDS HERTZ | tonecheck hear HERTZ\n");
    return 2;
}
