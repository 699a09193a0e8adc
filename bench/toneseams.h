#pragma once

#include <cstdint>
#include <vector>

// Looks through a recording of a steady sine tone that was played as a loop for the places where
// it is not a steady tone: silence, a dip in loudness or a jump in phase.
struct ToneFaults
{
    bool heard = false; // false when the recording holds no tone at all
    double toneSeconds = 0; // from the first steady tone to the end of the recording
    double longestFaultMs = 0; // the longest stretch that is not the steady tone
    int faults = 0; // stretches that are not the steady tone (closer than 1 ms count as one)
    struct Stretch
    {
        double at; // seconds after the tone's onset
        double ms;
    };
    std::vector<Stretch> stretches; // each fault, in order
};

ToneFaults findToneFaults(const std::vector<int16_t> &samples, int sampleRate, double toneHz);
