#include "toneseams.h"

#include <algorithm>
#include <cmath>
#include <numbers>

ToneFaults findToneFaults(const std::vector<int16_t> &samples, int sampleRate, double toneHz)
{
    ToneFaults result;
    const size_t n = samples.size();
    if (n < size_t(sampleRate) / 10)
        return result;
    const double w = 2 * std::numbers::pi * toneHz / sampleRate;
    const double twoCos = 2 * std::cos(w);
    const double sinW = std::sin(w);

    // The tone's own amplitude: the loud end of the recording's sample values.
    std::vector<int> magnitudes(n);
    for (size_t i = 0; i < n; ++i)
        magnitudes[i] = std::abs(int(samples[i]));
    std::nth_element(magnitudes.begin(), magnitudes.begin() + long(n * 0.995), magnitudes.end());
    const double amplitude = magnitudes[size_t(n * 0.995)];
    if (amplitude < 300)
        return result;

    // A sample is steady tone when its instantaneous amplitude (the sample with its quadrature
    // from the neighbours) is near the tone's and when it follows from the two before it as a
    // sine of this frequency does.
    std::vector<bool> steady(n, false);
    for (size_t i = 2; i + 1 < n; ++i) {
        const double x = samples[i];
        const double quadrature = (double(samples[i + 1]) - samples[i - 1]) / (2 * sinW);
        const double level = std::sqrt(x * x + quadrature * quadrature);
        const double residual = x - twoCos * samples[i - 1] + samples[i - 2];
        steady[i] = level > 0.7 * amplitude && level < 1.3 * amplitude
                && std::abs(residual) < 0.25 * amplitude;
    }

    // The tone starts where it is first steady for 50 ms; the first 20 ms of it are its onset.
    const size_t settled = size_t(sampleRate) / 20;
    size_t start = n;
    for (size_t i = 0, run = 0; i < n; ++i) {
        run = steady[i] ? run + 1 : 0;
        if (run == settled) {
            start = i + 1 - settled + size_t(sampleRate) / 50;
            break;
        }
    }
    if (start >= n)
        return result;
    result.heard = true;
    const size_t end = n - 2; // the last samples have no neighbour after them
    result.toneSeconds = double(end - start) / sampleRate;

    const size_t mergeGap = size_t(sampleRate) / 1000;
    size_t faultStart = 0;
    size_t faultEnd = 0; // one past the last unsteady sample of the current fault
    bool inFault = false;
    const size_t onset = start - size_t(sampleRate) / 50;
    const auto close = [&] {
        const double ms = double(faultEnd - faultStart) * 1000 / sampleRate;
        result.longestFaultMs = std::max(result.longestFaultMs, ms);
        ++result.faults;
        result.stretches.push_back({double(faultStart - onset) / sampleRate, ms});
    };
    for (size_t i = start; i < end; ++i) {
        if (steady[i])
            continue;
        if (inFault && i - faultEnd <= mergeGap) {
            faultEnd = i + 1;
            continue;
        }
        if (inFault)
            close();
        inFault = true;
        faultStart = i;
        faultEnd = i + 1;
    }
    if (inFault)
        close();
    return result;
}
