// A phone's small speaker as a filter: a second-order high-pass where its sound starts and a
// second-order low-pass where it falls off, in a row, over interleaved or split stereo samples.
#pragma once

#include <array>

namespace corvina {

class CSpeakerFilter {
public:
    // The two corners in Hz at the sample rate; a corner of 0, or at or above half the rate, is left out.
    CSpeakerFilter(double lowHz, double highHz, int sampleRate);

    // Filters frames of interleaved stereo (left, right, ...) in place.
    void Process(float* interleaved, int frames);
    // Filters frames held as separate left and right buffers in place (an audio driver's callback).
    void Process(float* left, float* right, int frames);

private:
    // One biquad section (coefficients divided by a0) and its memory per channel.
    struct SSection {
        double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
        std::array<std::array<double, 4>, 2> state{}; // per channel: x[n-1], x[n-2], y[n-1], y[n-2]
        float Step(int channel, float x);
    };
    static SSection HighPass(double hz, int sampleRate);
    static SSection LowPass(double hz, int sampleRate);

    SSection m_high; // the speaker's low end
    SSection m_low;  // its high end
};

} // namespace corvina
