// The phone's sound: the speaker filter against its designed curve, and a bass line as the phone and
// the PC render it in file mode.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "CMciPlayer.h"
#include "CRegistryHelper.h"
#include "CSpeakerFilter.h"
#include "PlayerTestFiles.h"

namespace corvina {
namespace {

namespace fs = std::filesystem;

// Second-order Butterworth high-pass at low and low-pass at high, carried to the sample rate by the
// bilinear transform (frequencies warped by tan, the corners kept where they are).
double DesignedDb(double hz, double low, double high, double rate)
{
    auto warped = [&](double corner) {
        return std::pow(std::tan(std::numbers::pi * hz / rate) / std::tan(std::numbers::pi * corner / rate), 4);
    };
    return 10 * std::log10(warped(low) / (1 + warped(low))) - 10 * std::log10(1 + warped(high));
}

TEST(SpeakerFilter, SineTonesFollowTheDesignedCurveFrom100HzTo10kHz)
{
    constexpr int kRate = 44100, kFrames = kRate / 2;
    double worst = 0;
    for (const auto& [low, high] : {std::pair{800.0, 5000.0}, std::pair{900.0, 4000.0}}) {
        for (double hz = 100; hz <= 10000 * 1.001; hz *= std::pow(10.0, 0.05)) {
            std::vector<float> tone(2 * kFrames), left(kFrames), right(kFrames);
            for (int i = 0; i < kFrames; ++i)
                left[i] = right[i] = tone[2 * i] = tone[2 * i + 1] =
                    static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * hz * i / kRate));
            auto rms = [&](const std::vector<float>& s, int step) { // the second half, after the filter settled
                double sum = 0;
                for (std::size_t i = s.size() / 2; i < s.size(); i += static_cast<std::size_t>(step))
                    sum += double{s[i]} * s[i];
                return std::sqrt(sum / static_cast<double>(s.size() / 2 / static_cast<std::size_t>(step)));
            };
            const double in = rms(tone, 1);
            CSpeakerFilter(low, high, kRate).Process(tone.data(), kFrames);
            const double error = 20 * std::log10(rms(tone, 1) / in) - DesignedDb(hz, low, high, kRate);
            EXPECT_LE(std::fabs(error), 1.5) << hz << " Hz";
            worst = std::max(worst, std::fabs(error));
            // The audio driver's split buffers get the same filter.
            CSpeakerFilter(low, high, kRate).Process(left.data(), right.data(), kFrames);
            EXPECT_EQ(left[kFrames - 1], tone[2 * kFrames - 2]);
        }
    }
    RecordProperty("worst_error_mdb", static_cast<int>(worst * 1000)); // the figure docs/player.md gives
}

TEST(PhoneSound, ABassLineBelow200HzLosesAtLeast15DecibelsAgainstThePcAndTheVoiceLimitIsHeard)
{
    const test::ScratchFolder folder("phone-sound");
    const fs::path dir = folder.Path();
    Registry::Instance().LoadText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n"
                                  "\"SoundFont\"=\"/usr/share/sounds/sf2/TimGM6mb.sf2\"\n");
    // Fingered electric bass, a line of eight notes between E1 (41 Hz) and G2 (98 Hz), 250 ms each.
    test::ByteVector line = {0x00, 0xC0, 33};
    for (std::uint8_t key : {28, 31, 33, 35, 36, 38, 40, 43})
        line.insert(line.end(), {0x00, 0x90, key, 0x64, 0x32, 0x80, key, 0x00});
    line.insert(line.end(), {0x00, 0xFF, 0x2F, 0x00});
    test::WriteSmf(dir / "bass.mid", 0, 100, {line});

    auto render = [&](bool phone, const char* name, const char* file = "bass.mid", int voices = 4) {
        test::WatchedPlayer player;
        player.SetFile((dir / file).string());
        player.SetOutputFile(dir / name);
        player.SetPhoneSound(phone, voices, 800, 5000);
        EXPECT_TRUE(player.Play());
        EXPECT_TRUE(player.WaitForEnds(1));
        player.Close();
        return test::ReadWav(dir / name).Rms(0, 2000);
    };
    const double pc = render(false, "pc.wav"), phone = render(true, "phone.wav");
    // The phone's voice limit reaches the sound: with one voice a four-note chord sounds as its top note alone.
    test::WriteSmf(dir / "chord.mid", 0, 100,
                   {{0x00, 0x90, 72,   0x64, 0x00, 76,   0x64, 0x00, 79,   0x64, 0x00, 84,   0x64, 0x64, 0x80,
                     72,   0x00, 0x00, 76,   0x00, 0x00, 79,   0x00, 0x00, 84,   0x00, 0x00, 0xFF, 0x2F, 0x00}});
    test::WriteSmf(dir / "top.mid", 0, 100, {{0x00, 0x90, 84, 0x64, 0x64, 0x80, 84, 0x00, 0x00, 0xFF, 0x2F, 0x00}});
    const double top = render(true, "top.wav", "top.mid", 0);
    EXPECT_NEAR(render(true, "one.wav", "chord.mid", 1), top, top * 0.001);
    EXPECT_GT(render(true, "four.wav", "chord.mid", 4), 1.2 * top);
    Registry::Instance().LoadText("");
    ASSERT_GT(pc, 100.0);
    EXPECT_GE(20 * std::log10(pc / phone), 15.0) << "PC " << pc << ", phone " << phone;
    RecordProperty("loss_cdb", static_cast<int>(2000 * std::log10(pc / phone)));
}

} // namespace
} // namespace corvina
