// Reading a track chunk into events, and writing it again as a single-channel track or as a clip.
#include "CMidiTrack.h"

#include "CMidiBuffer.h"
#include "CMidiFile.h"
#include "MidiReaderState.h"

namespace corvina {

namespace {
constexpr std::uint32_t kDefaultTempo = 500000;
constexpr std::int32_t kDefaultDivision = 96;
constexpr std::int32_t kMinTrackLength = 12;
} // namespace

CMidiTrack::CMidiTrack(CMidiFile* pFile, CMidiBuffer* pBuffer, int nTrackIndex)
    : m_nTrackIndex(nTrackIndex), m_pFile(pFile), m_pBuffer(pBuffer)
{
}

CMidiTrack::~CMidiTrack() = default;

bool CMidiTrack::Load(bool bFirstTrack)
{
    CMidiBuffer& buf = *m_pBuffer;
    MidiReaderState& state = TheMidiReaderState();
    std::array<std::int32_t, 16> noteOnCount{};
    m_bHasTempoAtStart = 0;

    // Tempo, division and time start afresh with every track; the running status does not.
    state.dwTempo = m_pFile ? m_pFile->GetInitialTempo() : kDefaultTempo;
    state.nDivision = m_pFile ? m_pFile->GetTicksPerQuarter() : kDefaultDivision;
    state.dwRunningTime = 0;

    bool loaded = false;
    bool lastIsEnd = false;
    std::int64_t lastByte = 0;
    bool framed = false;
    if (buf.ReadString(4) != "MTrk") {
        buf.LogError("Wrong chunk type!");
    } else {
        m_nChunkLength = static_cast<std::int32_t>(buf.ReadNumber(4));
        if (m_nChunkLength < kMinTrackLength || m_nChunkLength > buf.GetReadSize() - buf.GetReadPos()) {
            buf.LogError("Wrong track size!");
        } else {
            buf.LogField("Length", m_nChunkLength);
            framed = true;
        }
    }

    if (framed) {
        lastByte = buf.GetReadPos() + m_nChunkLength - 1;
        // A rough guess of three bytes per event saves most of the regrowth on large tracks.
        m_Records.reserve(static_cast<std::size_t>(m_nChunkLength / 3));
        std::uint32_t deltaSum = 0;
        while (buf.GetReadPos() < lastByte) {
            CMidiEvent event(m_pBuffer);
            std::uint32_t tempoAtStart = 0;
            if (!event.Parse(tempoAtStart)) {
                // The last event parsed is this broken one, which is no end of track.
                lastIsEnd = false;
                break;
            }
            m_Records.push_back(event.ToRecord(deltaSum));
            m_nEventsEnd = event.GetEndOffset();
            deltaSum += event.GetDelta();
            lastIsEnd = event.IsEndOfTrack();
            if (event.HasStatus() && event.IsNoteOn()) {
                const int channel = event.GetChannel();
                ++noteOnCount[static_cast<std::size_t>(channel)];
                m_NoteOnTimes[static_cast<std::size_t>(channel)].push_back(event.GetTime());
            }
            if (tempoAtStart != 0) {
                m_bHasTempoAtStart = 1;
                if (bFirstTrack && m_pFile && tempoAtStart != kDefaultTempo)
                    m_pFile->SetInitialTempo(tempoAtStart);
            }
        }
        const std::int64_t pos = buf.GetReadPos();
        if (pos == lastByte + 1 && lastIsEnd) {
            loaded = true;
            BuildChannelIndex();
        } else if (pos > lastByte + 1) {
            buf.LogError("Track length is not correct!\n");
        } else if (!lastIsEnd) {
            buf.LogError("Last event is not end event!\n");
        }
    }

    buf.LogField("Events loaded", static_cast<std::int64_t>(m_Records.size()));
    for (int c = 0; c < 16; ++c) {
        if (noteOnCount[static_cast<std::size_t>(c)] > 0) {
            m_bChannelUsed[static_cast<std::size_t>(c)] = 1;
            if (m_pFile)
                m_pFile->AddNoteOnCount(noteOnCount[static_cast<std::size_t>(c)]);
        }
    }
    return loaded;
}

int CMidiTrack::GetLengthMs() const
{
    if (m_Records.empty())
        return 0;
    return static_cast<int>((static_cast<std::uint64_t>(m_Records.back().Time) + 500) / 1000);
}

const std::vector<std::uint32_t>* CMidiTrack::GetNoteOnTimes(int nChannel) const
{
    if (nChannel < 0 || nChannel > 15)
        return nullptr;
    return &m_NoteOnTimes[static_cast<std::size_t>(nChannel)];
}

std::uint32_t CMidiTrack::Ticks(std::uint32_t dwMicroseconds, std::uint32_t dwTempo)
{
    const std::int32_t division = TheMidiReaderState().nDivision;
    return MidiScale(static_cast<std::uint32_t>(division), dwMicroseconds, dwTempo);
}

template <class F> bool CMidiTrack::WriteChunkFrame(F&& writeEvents) const
{
    CMidiBuffer& buf = *m_pBuffer;
    const std::int64_t begin = buf.GetWritePos();
    if (!buf.WriteString("MTrk"))
        return false;
    buf.SetWritePos(buf.GetWritePos() + 4);
    if (!writeEvents())
        return false;
    const std::int64_t end = buf.GetWritePos();
    buf.SetWritePos(begin + 4);
    const bool ok = buf.WriteNumber(static_cast<std::uint32_t>(end - begin - 8), 4);
    buf.SetWritePos(end);
    return ok;
}

void CMidiTrack::BuildChannelIndex()
{
    for (std::size_t i = 0; i < m_Records.size(); ++i) {
        const std::uint8_t status = m_Records[i].Status();
        (status == 0 ? m_PlainEventIndex : m_ChannelEventIndex[status & 0x0Fu]).push_back(static_cast<std::uint32_t>(i));
    }
    m_bIndexed = true;
}

bool CMidiTrack::WriteChannelChunk(int nChannel) const
{
    CMidiBuffer& buf = *m_pBuffer;
    if (nChannel < 0 || nChannel > 15 || !m_bIndexed)
        return false;
    return WriteChunkFrame([&]() {
        if (!m_bHasTempoAtStart) {
            const std::uint32_t tempo = m_pFile ? m_pFile->GetInitialTempo() : kDefaultTempo;
            if (!buf.WriteNumber(0x00FF5103u, 4) || !buf.WriteNumber(tempo, 3))
                return false;
        }
        // Every event without a channel and every event of nChannel is written, in file order, with
        // the deltas of the events left out in between added to its own. The two index lists are
        // merged; the sum of the skipped deltas is the difference of two running sums.
        const std::vector<std::uint32_t>& plain = m_PlainEventIndex;
        const std::vector<std::uint32_t>& own = m_ChannelEventIndex[static_cast<std::size_t>(nChannel)];
        std::size_t p = 0;
        std::size_t o = 0;
        std::uint32_t next = 0;   // index of the first event not yet written or skipped
        while (p < plain.size() || o < own.size()) {
            const bool takePlain = o == own.size() || (p < plain.size() && plain[p] < own[o]);
            const std::uint32_t i = takePlain ? plain[p++] : own[o++];
            const std::uint32_t pending = m_Records[i].DeltaSum - m_Records[next].DeltaSum;
            if (!EventAt(i).Write(pending, false, true, 0))
                return false;
            next = i + 1;
        }
        return true;
    });
}

int CMidiTrack::WriteClipChunk(int nChannel, std::uint32_t dwStartUs, std::uint32_t dwEndUs, int nOutChannel) const
{
    CMidiBuffer& buf = *m_pBuffer;
    const std::uint32_t S = dwStartUs;
    const std::uint32_t E = dwEndUs;
    int noteCount = 0;
    const bool ok = WriteChunkFrame([&]() {
        std::uint32_t pending = 0;
        bool started = false;
        bool noteWritten = false;
        const std::size_t count = m_Records.size();
        std::size_t stoppedAt = count;
        std::uint32_t untilEnd = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const CMidiEvent event = EventAt(i);
            const std::uint32_t t = event.GetTime();
            const std::uint32_t p = i > 0 ? m_Records[i - 1].Time : 0;
            const bool inRange = S <= t && t <= E;

            bool kept = true;
            if (event.HasStatus() && nChannel != -1) {
                if (event.GetChannel() != nChannel)
                    kept = false;
                else if (event.IsNoteOn() || event.IsNoteOff())
                    kept = inRange;
            }

            if (!kept) {
                if (started)
                    pending += event.GetDelta();
            } else {
                std::uint32_t delta = 0;
                bool absolute = true;
                if (noteWritten && event.IsEndOfTrack()) {
                    delta = Ticks(E - p, event.GetTempo());
                } else if (inRange && !started) {
                    delta = Ticks(t - S, event.GetTempo());
                    started = true;
                } else if (inRange) {
                    delta = pending;
                    absolute = false;
                }
                if (event.IsNoteOn()) {
                    started = true;
                    noteWritten = true;
                    ++noteCount;
                }
                pending = 0;
                if (!event.Write(delta, absolute, true, nOutChannel))
                    return false;
            }

            if (t > E) {
                untilEnd = E - p;
                stoppedAt = i;
                break;
            }
        }

        if (stoppedAt + 1 < count) {
            if (noteWritten) {
                // Silence whatever still sounds at the end of the clip: controller 123 on channel 0.
                if (!buf.WriteVarLength(Ticks(untilEnd, m_Records[stoppedAt].Tempo())) ||
                    !buf.WriteNumber(0xB07B00u, 3))
                    return false;
            }
            if (!EventAt(count - 1).Write(0, true, false, -1))
                return false;
        }
        return true;
    });
    return ok ? noteCount : -1;
}

int CMidiTrack::WriteTrackClip(int nChannel, std::uint32_t dwStartUs, std::uint32_t dwEndUs)
{
    if (!m_pFile || nChannel < 0 || nChannel > 15)
        return -1;
    int noteCount = -1;
    const bool ok = m_pFile->WriteOutput(m_pFile->GetClipFileName(), m_pBuffer->GetReadSize(), 0, 1, [&]() {
        noteCount = WriteClipChunk(nChannel, dwStartUs, dwEndUs, 0);
        return noteCount >= 0;
    });
    return ok ? noteCount : -1;
}

} // namespace corvina
