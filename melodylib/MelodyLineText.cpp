// From a clip to melody-line text, the steps the editor and the command line share.
#include "MelodyLineText.h"

#include "CMidiFile.h"
#include "CMidiTrack.h"
#include "MelodyLibrary.h"
#include "NoteList.h"

#include <sstream>

namespace corvina {

SMelodyText MelodyLineText(const CMidiFile& file, int nTrack, int nChannel, std::uint32_t dwFromUs,
                           std::uint32_t dwToUs, std::size_t nMaxNotes, eMelodyFormat format, const std::string& name)
{
    SMelodyText result;
    result.line = ExtractMelodyLine(ClipNotes(CollectNotes(file, nTrack, nChannel), dwFromUs, dwToUs));
    result.eResult = result.line.eResult;
    if (result.eResult != eMelodyLineResult::Ok)
        return result;
    result.nTotal = result.line.notes.size();
    if (nMaxNotes > 0 && result.nTotal > nMaxNotes) {
        const SMelodyCut cut = CutAtPhraseEnd(result.line.notes, nMaxNotes);
        result.line.notes.resize(cut.nKept);
        result.bCut = true;
        result.bAtPhraseEnd = cut.bAtPhraseEnd;
    }
    const CMidiTrack* track = file.GetTrack(result.line.nTrack);
    result.nBeat = BeatFromTempo(track ? track->GetTempoAt(dwFromUs) : file.GetInitialTempo());
    std::vector<TimedNote> timed;
    for (const SMidiNote& n : result.line.notes)
        timed.push_back({n.dwStartUs, n.dwEndUs, n.byKey});
    const bool rtttl = format == eMelodyFormat::RTTTL;
    const Melody melody = MelodyFromLine(timed, result.nBeat, rtttl ? eNoteValues::RTTTL : eNoteValues::iMelody, name);
    std::ostringstream out;
    try {
        rtttl ? ExportRTTTL(melody, out) : ExportiMelody(melody, out);
        result.strText = out.str();
    } catch (const std::exception& e) {
        result.strError = e.what();
    }
    return result;
}

} // namespace corvina
