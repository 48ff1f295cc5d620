// What the melody tests share: iMelody text read from a string, melodies written to one, and a minimal
// reader of the files the melody library writes, so tests can count what came out.
#pragma once

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "MelodyLibrary.h"

namespace corvina::test {

inline Melody Read(const std::string& text)
{
    std::istringstream in(text);
    Melody m;
    ImportiMelody(in, m);
    return m;
}

// An iMelody 1.2 text with the given melody line and any header lines before it.
inline std::string Wrap(const std::string& melodyLine, const std::string& header = "")
{
    return "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\n" + header + "MELODY:" + melodyLine +
           "\r\nEND:IMELODY\r\n";
}

inline std::string Export(const Melody& m, std::int32_t bound = kUnboundedSmfLength)
{
    std::ostringstream out;
    ExportSMF(m, out, bound);
    return out.str();
}

struct SmfSummary {
    int Format = -1, Tracks = 0;
    int NoteOns = 0;          // note-ons with a velocity above 0
    int NoteOffs = 0;         // note-offs and note-ons with velocity 0
    int Events = 0;           // every event of every track, End of Track included
    std::int64_t EndTick = 0; // tick of the last End of Track
};

inline SmfSummary InspectSmf(const std::string& bytes)
{
    auto u8 = [&](std::size_t p) -> std::uint32_t {
        if (p >= bytes.size())
            throw std::runtime_error("truncated MIDI file");
        return static_cast<unsigned char>(bytes[p]);
    };
    auto be = [&](std::size_t p, int n) {
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i)
            v = (v << 8) | u8(p + i);
        return v;
    };
    if (bytes.compare(0, 4, "MThd") != 0 || be(4, 4) != 6)
        throw std::runtime_error("no MThd");
    SmfSummary s;
    s.Format = static_cast<int>(be(8, 2));
    std::size_t p = 14;
    while (p + 8 <= bytes.size()) {
        std::size_t end = p + 8 + be(p + 4, 4);
        if (bytes.compare(p, 4, "MTrk") != 0) {
            p = end;
            continue;
        }
        ++s.Tracks;
        p += 8;
        std::int64_t tick = 0;
        while (p < end) {
            std::uint32_t delta = 0, b;
            do {
                b = u8(p++);
                delta = (delta << 7) | (b & 0x7F);
            } while (b & 0x80);
            tick += delta;
            ++s.Events;
            std::uint32_t status = u8(p++);
            if (status < 0x80)
                throw std::runtime_error("running status found");
            if (status == 0xFF) {
                std::uint32_t type = u8(p++), len = u8(p++); // the writer's metas are short
                if (type == 0x2F)
                    s.EndTick = tick;
                p += len;
            } else if ((status & 0xF0) == 0x90) {
                (u8(p + 1) > 0 ? s.NoteOns : s.NoteOffs)++;
                p += 2;
            } else if ((status & 0xF0) == 0x80) {
                ++s.NoteOffs;
                p += 2;
            } else {
                p += ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 1 : 2;
            }
        }
        p = end;
    }
    return s;
}

} // namespace corvina::test
