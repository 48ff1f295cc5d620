// How quickly Play starts sound as the PC plays and as a phone plays (voice limit and speaker): from
// the call to Play until the first block of sound is rendered, in file mode, for a ringtone-sized clip.
// "changed" plays another copy of the clip each time, so the reading (and the phone's fit) is not kept.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "CMciPlayer.h"
#include "CRegistryHelper.h"
#include "MidiBytes.h"
#include "ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

// 30 seconds of a tune, four-note chords, a bass line and drums on one track: about 1 300 notes.
std::string Clip()
{
    std::mt19937 random(99);
    std::string events;
    auto note = [&](int delta, int status, int key, int velocity) {
        events += corvina::test::Var(static_cast<std::uint32_t>(delta)) + corvina::test::Bytes({status, key, velocity});
    };
    for (int beat = 0; beat < 60; ++beat) { // 96 ticks a beat at 120 bpm
        note(0, 0x90, 72 + static_cast<int>(random() % 12), 100);
        for (int k = 0; k < 4; ++k)
            note(0, 0x91, 55 + static_cast<int>(random() % 14), 80);
        note(0, 0x92, 36 + static_cast<int>(random() % 12), 90);
        note(0, 0x99, 36, 100);
        note(48, 0x99, 36, 0);
        note(0, 0x99, 42, 100);
        note(48, 0xB0, 123, 0); // every note of each channel off at the end of the beat
        note(0, 0xB1, 123, 0);
        note(0, 0xB2, 123, 0);
        note(0, 0x99, 42, 0);
    }
    return corvina::test::Smf(0, 96, {events + corvina::test::kEnd});
}

const fs::path& Folder()
{
    static const corvina::test::ScratchFolder folder("play-start-bench");
    return folder.Path();
}

void BM_PlayStartsSound(benchmark::State& state)
{
    const bool phone = state.range(0) != 0, changed = state.range(1) != 0;
    corvina::Registry::Instance().LoadText(
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n\"AudioDriver\"=\"file\"\n"
        "\"AudioFile\"=\"" +
        (Folder() / "out.wav").string() + "\"\n");
    const std::string clip = Clip();
    for (const char* name : {"a.mid", "b.mid"})
        std::ofstream(Folder() / name, std::ios::binary) << clip;
    corvina::CMciPlayer player;
    player.SetPhoneSound(phone, 16, 800, 5000);
    player.SetFile((Folder() / "a.mid").string());
    if (!player.Play()) { // also loads the SoundFont, which the editor keeps between plays
        state.SkipWithError("the player does not start (no SoundFont?)");
        return;
    }
    player.Stop();
    int turn = 0;
    for (auto _ : state) {
        if (changed)
            player.SetFile((Folder() / (++turn % 2 ? "b.mid" : "a.mid")).string());
        const auto start = std::chrono::steady_clock::now();
        if (!player.Play()) {
            state.SkipWithError("Play failed");
            break;
        }
        while (player.Status(corvina::MCI_STATUS_POSITION) == 0)
            std::this_thread::yield();
        const auto sounding = std::chrono::steady_clock::now();
        player.Stop();
        state.SetIterationTime(std::chrono::duration<double>(sounding - start).count());
    }
}

// (phone, changed): PC and phone, the same clip again and a clip just changed.
BENCHMARK(BM_PlayStartsSound)
    ->ArgNames({"phone", "changed"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(Folder(), ec);
    return 0;
}
