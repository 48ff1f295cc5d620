// Reading a track chunk into events, and writing it again as a single-channel track or as a clip.
#include "CMidiTrack.h"

#include "CMidiBuffer.h"
#include "CMidiFile.h"
#include "CMidiEventCursor.h"
#include "CMidiImageReader.h"
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
        // What a later walk over the events needs to read them again exactly as now.
        m_nEventsBegin = buf.GetReadPos();
        m_StartState = state;
        CMidiEvent event(m_pBuffer);
        while (buf.GetReadPos() < lastByte) {
            std::uint32_t tempoAtStart = 0;
            if (!event.Parse(tempoAtStart)) {
                // The last event parsed is this broken one, which is no end of track.
                lastIsEnd = false;
                break;
            }
            ++m_nEventCount;
            m_nLastEventOffset = event.GetStartOffset();
            m_dwLastTime = event.GetTime();
            // A channel event starts with a status or a data byte, never with FF: only the others can end the track.
            lastIsEnd = !event.HasStatus() && event.IsEndOfTrack();
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
        } else if (pos > lastByte + 1) {
            buf.LogError("Track length is not correct!\n");
        } else if (!lastIsEnd) {
            buf.LogError("Last event is not end event!\n");
        }
    }

    m_bLoaded = loaded;
    buf.LogField("Events loaded", static_cast<std::int64_t>(m_nEventCount));
    for (int c = 0; c < 16; ++c) {
        if (noteOnCount[static_cast<std::size_t>(c)] > 0) {
            m_bChannelUsed[static_cast<std::size_t>(c)] = 1;
            if (m_pFile)
                m_pFile->AddNoteOnCount(noteOnCount[static_cast<std::size_t>(c)]);
        }
        // The lists grew by doubling; what stays is kept at its size.
        m_NoteOnTimes[static_cast<std::size_t>(c)].shrink_to_fit();
    }
    return loaded;
}

int CMidiTrack::GetLengthMs() const
{
    if (m_nEventCount == 0)
        return 0;
    return static_cast<int>((static_cast<std::uint64_t>(m_dwLastTime) + 500) / 1000);
}

const std::vector<std::uint32_t>* CMidiTrack::GetNoteOnTimes(int nChannel) const
{
    if (nChannel < 0 || nChannel > 15)
        return nullptr;
    return &m_NoteOnTimes[static_cast<std::size_t>(nChannel)];
}

std::uint32_t CMidiTrack::GetTempoAt(std::uint32_t dwTimeUs) const
{
    // An event reports the tempo it was read with, so the first event after the time tells what every
    // tempo event up to it left in force.
    CMidiEvent event(nullptr);
    CMidiEventCursor cursor = GetEvents().Walk();
    std::uint32_t tempo = m_StartState.dwTempo;
    while (cursor.Next(event)) {
        tempo = event.GetTempo();
        if (event.GetTime() > dwTimeUs)
            return tempo;
    }
    // Past the last event (an end of track, which sets no tempo): what it was read with.
    return tempo;
}

std::uint32_t CMidiTrack::Ticks(std::uint32_t dwMicroseconds, std::uint32_t dwTempo)
{
    const std::int32_t division = TheMidiReaderState().nDivision;
    return MidiScale(static_cast<std::uint32_t>(division), dwMicroseconds, dwTempo);
}

bool CMidiTrack::OpenChunk(CMidiWriteImage& out, std::int64_t& begin)
{
    begin = out.GetWritePos();
    if (!out.WriteString("MTrk"))
        return false;
    out.SetWritePos(out.GetWritePos() + 4);
    return true;
}

bool CMidiTrack::CloseChunk(CMidiWriteImage& out, std::int64_t begin)
{
    const std::int64_t end = out.GetWritePos();
    out.SetWritePos(begin + 4);
    const bool ok = out.WriteNumber(static_cast<std::uint32_t>(end - begin - 8), 4);
    out.SetWritePos(end);
    return ok;
}

CMidiEvent CMidiTrack::LastEvent() const
{
    // The end of track is a meta event: how it reads does not depend on the state it is read with.
    CMidiImageReader reader(m_pBuffer->GetReadImage(), m_pBuffer->GetReadSize(), m_nLastEventOffset);
    MidiReaderState state = m_StartState;
    MidiTimeMemo memo;
    std::uint32_t tempoAtStart = 0;
    CMidiEvent event(m_pBuffer);
    event.ParseFrom<false>(reader, state, memo, tempoAtStart);
    return event;
}

void CMidiTrack::WriteChannelChunks(std::array<CMidiWriteImage, 16>& out, std::array<bool, 16>& bWrite) const
{
    if (!m_bLoaded) {
        bWrite.fill(false);
        return;
    }
    std::array<std::int64_t, 16> begin{};
    for (std::size_t c = 0; c < 16; ++c) {
        if (!bWrite[c])
            continue;
        bWrite[c] = OpenChunk(out[c], begin[c]);
        if (bWrite[c] && !m_bHasTempoAtStart) {
            const std::uint32_t tempo = m_pFile ? m_pFile->GetInitialTempo() : kDefaultTempo;
            bWrite[c] = out[c].WriteNumber(0x00FF5103u, 4) && out[c].WriteNumber(tempo, 3);
        }
    }

    // Every event without a channel goes to every file, every channel event to its channel's file, in
    // file order, each with the deltas of the events left out in between added to its own. The sum of
    // those is the difference of two running sums of the deltas (modulo 2^32, as the deltas add up).
    std::array<std::uint32_t, 16> sumAfterWritten{};
    std::uint32_t deltaSum = 0;
    CMidiEventCursor cursor = GetEvents().Walk();
    CMidiEvent event(m_pBuffer);
    auto writeTo = [&](std::size_t c) {
        if (!bWrite[c])
            return;
        bWrite[c] = event.WriteTo(out[c], deltaSum - sumAfterWritten[c], false, true, 0);
        sumAfterWritten[c] = deltaSum + event.GetDelta();
    };
    while (cursor.NextWithoutTime(event)) {
        if (event.HasStatus()) {
            writeTo(static_cast<std::size_t>(event.GetChannel()));
        } else {
            for (std::size_t c = 0; c < 16; ++c)
                writeTo(c);
        }
        deltaSum += event.GetDelta();
    }

    for (std::size_t c = 0; c < 16; ++c) {
        if (bWrite[c])
            bWrite[c] = CloseChunk(out[c], begin[c]);
    }
}

int CMidiTrack::WriteClipChunk(int nChannel, std::uint32_t dwStartUs, std::uint32_t dwEndUs, int nOutChannel) const
{
    CMidiBuffer& buf = *m_pBuffer;
    const std::uint32_t S = dwStartUs;
    const std::uint32_t E = dwEndUs;
    int noteCount = 0;
    std::int64_t begin = 0;
    const bool ok = m_bLoaded && OpenChunk(buf.GetWriteImage(), begin) && [&]() {
        std::uint32_t pending = 0;
        bool started = false;
        bool noteWritten = false;
        const std::size_t count = m_nEventCount;
        std::size_t stoppedAt = count;
        std::uint32_t stoppedTempo = 0;
        std::uint32_t untilEnd = 0;
        std::uint32_t p = 0; // time of the event before
        CMidiEventCursor cursor = GetEvents().Walk();
        CMidiEvent event(m_pBuffer);
        for (std::size_t i = 0; i < count && cursor.Next(event); ++i) {
            const std::uint32_t t = event.GetTime();
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
                stoppedTempo = event.GetTempo();
                break;
            }
            p = t;
        }

        if (stoppedAt + 1 < count) {
            if (noteWritten) {
                // Silence whatever still sounds at the end of the clip: controller 123 on channel 0.
                if (!buf.WriteVarLength(Ticks(untilEnd, stoppedTempo)) || !buf.WriteNumber(0xB07B00u, 3))
                    return false;
            }
            if (!LastEvent().Write(0, true, false, -1))
                return false;
        }
        return true;
    }() && CloseChunk(buf.GetWriteImage(), begin);
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
