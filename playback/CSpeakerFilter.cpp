// Biquads after the RBJ audio-EQ cookbook with Q = 1/sqrt(2), the flattest second-order pass band.
#include "CSpeakerFilter.h"

#include <cmath>
#include <numbers>

namespace corvina {
namespace {

constexpr double kQ = std::numbers::sqrt2 / 2;

bool Usable(double hz, int sampleRate)
{
    return hz > 0 && hz < sampleRate / 2.0;
}

} // namespace

CSpeakerFilter::CSpeakerFilter(double lowHz, double highHz, int sampleRate)
    : m_high(HighPass(lowHz, sampleRate)), m_low(LowPass(highHz, sampleRate))
{
}

CSpeakerFilter::SSection CSpeakerFilter::HighPass(double hz, int sampleRate)
{
    SSection s;
    if (!Usable(hz, sampleRate))
        return s;
    const double w0 = 2 * std::numbers::pi * hz / sampleRate;
    const double cosw = std::cos(w0), alpha = std::sin(w0) / (2 * kQ), a0 = 1 + alpha;
    s.b0 = (1 + cosw) / 2 / a0;
    s.b1 = -(1 + cosw) / a0;
    s.b2 = s.b0;
    s.a1 = -2 * cosw / a0;
    s.a2 = (1 - alpha) / a0;
    return s;
}

CSpeakerFilter::SSection CSpeakerFilter::LowPass(double hz, int sampleRate)
{
    SSection s;
    if (!Usable(hz, sampleRate))
        return s;
    const double w0 = 2 * std::numbers::pi * hz / sampleRate;
    const double cosw = std::cos(w0), alpha = std::sin(w0) / (2 * kQ), a0 = 1 + alpha;
    s.b0 = (1 - cosw) / 2 / a0;
    s.b1 = (1 - cosw) / a0;
    s.b2 = s.b0;
    s.a1 = -2 * cosw / a0;
    s.a2 = (1 - alpha) / a0;
    return s;
}

float CSpeakerFilter::SSection::Step(int channel, float in)
{
    auto& [x1, x2, y1, y2] = state[static_cast<std::size_t>(channel)];
    const double x = in;
    double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    // A decaying tail would otherwise end in subnormal numbers, which are slow on some processors.
    if (std::fabs(y) < 1e-25)
        y = 0;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return static_cast<float>(y);
}

void CSpeakerFilter::Process(float* interleaved, int frames)
{
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < 2; ++c) {
            float& sample = interleaved[2 * i + c];
            sample = m_low.Step(c, m_high.Step(c, sample));
        }
}

void CSpeakerFilter::Process(float* left, float* right, int frames)
{
    for (int i = 0; i < frames; ++i) {
        left[i] = m_low.Step(0, m_high.Step(0, left[i]));
        right[i] = m_low.Step(1, m_high.Step(1, right[i]));
    }
}

} // namespace corvina
