// The clip editor and the phone it is cut for: the clip's voices and size against the phone's
// limits, the sound of the PC play panel (the PC's or the phone's), what a Transmit sends (the clip,
// a copy fitted to the phone, or the melody line of a phone without MIDI), and the suggested clip.
#include "CClipEditDlg.h"

#include "Accessibility.h"
#include "CMelodiesDlg.h"
#include "CMidiFile.h"
#include "IRingingtoneOwner.h"
#include "ClipFit.h"
#include "CTimeEdit.h"
#include "ClipSuggestion.h"
#include "MelodyLineText.h"
#include "PreviewFile.h"
#include "RunOffWindowThread.h"
#include "TimeText.h"
#include "UiServices.h"
#include "Voices.h"

#include <wx/button.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <tuple>

namespace corvina {
namespace {

std::uint32_t Us(std::int32_t ms)
{
    return static_cast<std::uint32_t>(std::max(0, ms)) * 1000u;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteBytes(const std::string& path, const void* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size)) && out.flush();
}

} // namespace

void CClipEditDlg::CreatePhoneControls()
{
    const CResource& strings = CSharedStrings::Get();
    // Beside the play panel: whose sound it plays, the suggested clip, and what the clip needs.
    m_pSoundPc = new wxRadioButton(this, IDC_SOUND_PC, wxString::FromUTF8(strings.GetString(4740)), wxDefaultPosition,
                                   wxDefaultSize, wxRB_GROUP);
    m_pSoundPhone = new wxRadioButton(this, IDC_SOUND_PHONE, wxString::FromUTF8(strings.GetString(4741)));
    m_pSoundPc->SetValue(true);
    m_pSuggest = new wxButton(this, IDC_SUGGEST, wxString::FromUTF8(strings.GetString(4759)));
    m_pSuggest->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSuggestClip(); });
    m_pLimits = new wxStaticText(this, IDC_LIMITS, wxString(), wxDefaultPosition, wxDefaultSize, wxST_NO_AUTORESIZE);
    for (wxWindow* control : std::initializer_list<wxWindow*>{m_pSoundPc, m_pSoundPhone, m_pSuggest, m_pLimits})
        ReplaceDlgItem(control->GetId(), control);
    m_Player.SetBeforePlay([this] { BeforePlay(); });
}

SoundProfile CClipEditDlg::PhoneSound() const
{
    SoundProfile sound;
    if (m_pParentPage && m_pParentPage->GetRtParent())
        GetSoundProfileFromRegdb(m_pParentPage->GetRtParent()->GetPhoneType(), sound);
    return sound;
}

SClipNeeds CClipEditDlg::ClipNeeds()
{
    SClipNeeds needs;
    needs.nVoices = PeakVoices(ClipNotes(m_notes, Us(m_nClipStart), Us(m_nClipEnd))).nVoices;
    if (m_pMidiFile && PrepareClip() >= 0) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(m_pMidiFile->GetClipFileName(), ec);
        needs.nBytes = ec ? 0 : size;
    }
    return needs;
}

void CClipEditDlg::ShowClipNeeds()
{
    if (!m_pLimits)
        return;
    if (!m_pMidiFile || m_nLength == 0) {
        m_pLimits->SetLabel(wxString());
        return;
    }
    m_limits = ClipLimitsText(ClipNeeds(), PhoneSound(), CSharedStrings::Get());
    m_pLimits->SetLabel(wxString::FromUTF8(m_limits.shown));
    // What is over is shown in red and said in words.
    m_pLimits->SetForegroundColour(m_limits.Over() ? wxColour(190, 0, 0) : wxNullColour);
    SetAccessibleName(m_pLimits, m_limits.spoken);
    m_pLimits->Refresh();
}

std::string CClipEditDlg::LimitsShown() const
{
    return m_limits.shown;
}

std::string CClipEditDlg::LimitsSpoken() const
{
    return m_limits.spoken;
}

void CClipEditDlg::BeforePlay()
{
    const SoundProfile phone = PhoneSound();
    const bool asPhone = m_pSoundPhone && m_pSoundPhone->GetValue();
    CMciPlayer& player = m_Player.Player();
    player.SetPhoneSound(asPhone && phone.bTakesMidi, static_cast<int>(phone.lPolyphony),
                         static_cast<int>(phone.lSpeakerLowHz), static_cast<int>(phone.lSpeakerHighHz));
    m_Player.SetFile(m_strPlayFile);
    m_Player.SetFromEdit(m_nClipStart);
    m_Player.SetToEdit(m_nClipEnd);
    if (!asPhone || phone.bTakesMidi || !m_pMidiFile)
        return;
    // A phone without MIDI plays the clip's melody line: heard as it will be sent.
    const std::optional<std::string> text = MelodyLineTextOrSayWhy(false, "preview");
    if (!text)
        return;
    const std::string line = m_pMidiFile->GetTempPrefix() + "rtline.imy";
    const std::string converted = m_pMidiFile->GetTempPrefix() + "rtline.mid";
    if (!WriteBytes(line, text->data(), text->size()) || MakePreviewFile(line, converted) != 0)
        return;
    m_Player.SetFile(converted);
    m_Player.SetFromEdit(0);
    m_Player.SetToEdit(INT_MAX);
}

std::optional<std::string> CClipEditDlg::MelodyLineTextOrSayWhy(bool rtttl, const std::string& name)
{
    const CResource& strings = CSharedStrings::Get();
    int track = -1, channel = -1;
    if (!IsAllRow() && m_pMidiFile)
        m_pMidiFile->GetCombination(m_nCurRow, track, channel);
    const SoundProfile phone = PhoneSound();
    const SMelodyText written = MelodyLineText(*m_pMidiFile, track, channel, Us(m_nClipStart), Us(m_nClipEnd),
                                               static_cast<std::size_t>(std::max(0L, phone.lMaxMelodyNotes)),
                                               rtttl ? eMelodyFormat::RTTTL : eMelodyFormat::iMelody, name);
    if (written.eResult != eMelodyLineResult::Ok) {
        Ui().MessageBox(MelodyLineFailureText(written.eResult, strings), "", MB_OK);
        return std::nullopt;
    }
    if (!written.strError.empty()) {
        Ui().MessageBox(strings.GetString(524), "", MB_OK);
        return std::nullopt;
    }
    if (written.bCut)
        Ui().MessageBox(MelodyCutText(written.line.notes.size(), written.nTotal, phone.lMaxMelodyNotes, strings), "",
                        MB_OK | MB_ICONINFORMATION);
    return written.strText;
}

bool CClipEditDlg::WriteForPhone(const std::string& localPath, bool melodyLine)
{
    if (melodyLine) {
        const std::optional<std::string> text =
            MelodyLineTextOrSayWhy(false, std::filesystem::path(GetFileName()).stem().string());
        return text && WriteBytes(localPath, text->data(), text->size());
    }
    const SoundProfile phone = PhoneSound();
    const SClipNeeds needs = ClipNeeds();
    const SLimitsText limits = ClipLimitsText(needs, phone, CSharedStrings::Get());
    if (!limits.Over())
        return m_pMidiFile->SaveClipAs(localPath);
    // Over the phone's limits: the user chooses between a fitted copy, the clip as it is, or nothing.
    const CResource& strings = CSharedStrings::Get();
    SClipFitOptions options;
    options.nVoices = limits.bVoicesOver ? static_cast<int>(phone.lPolyphony) : 0;
    options.nMaxBytes = limits.bBytesOver ? static_cast<std::size_t>(phone.lMaxToneBytes) : 0;
    // The tune the fit keeps longest is the melody line this editor finds.
    options.roles = [](const std::vector<SMidiNote>& notes) {
        std::vector<ENoteRole> roles = TuneRoles(notes);
        const SMelodyLine line = ExtractMelodyLine(notes);
        std::map<std::tuple<std::uint32_t, int, int, int>, bool> sung;
        for (const SMidiNote& n : line.notes)
            sung[{n.dwStartUs, n.byKey, n.byChannel, n.nTrack}] = true;
        for (std::size_t i = 0; i < notes.size() && line.eResult == eMelodyLineResult::Ok; ++i) {
            const bool inLine =
                sung.count({notes[i].dwStartUs, notes[i].byKey, notes[i].byChannel, notes[i].nTrack}) > 0;
            if (inLine)
                roles[i] = ENoteRole::Melody;
            else if (roles[i] == ENoteRole::Melody)
                roles[i] = ENoteRole::Inner;
        }
        return roles;
    };
    const std::vector<std::uint8_t> clip = ReadBytes(m_pMidiFile->GetClipFileName());
    const SClipFitResult fitted = FitClip(clip, options);
    if (!fitted.Ok()) {
        std::string question = strings.GetString(4753);
        const std::string limit = std::to_string((phone.lMaxToneBytes + 1023) / 1024);
        for (std::size_t at = question.find("{limit}"); at != std::string::npos; at = question.find("{limit}"))
            question.replace(at, 7, limit);
        return Ui().MessageBox(question, "", MB_YESNO | MB_ICONQUESTION) == IDYES && m_pMidiFile->SaveClipAs(localPath);
    }
    const int answer =
        Ui().Ask(OverLimitQuestion(limits, needs, phone, fitted.dropped.size(), fitted.shortened.size(), strings),
                 {strings.GetString(4748), strings.GetString(4749), strings.GetString(4750)});
    if (answer == 0)
        return WriteBytes(localPath, fitted.bytes.data(), fitted.bytes.size());
    return answer == 1 && m_pMidiFile->SaveClipAs(localPath);
}

void CClipEditDlg::OnSuggestClip()
{
    if (!m_pMidiFile || m_notes.empty())
        return;
    const std::vector<SMidiNote> notes = m_notes;
    // A long, busy song takes a moment: the window goes on painting meanwhile.
    const SClipSuggestion suggestion = RunOffWindowThread([notes] { return SuggestClip(notes); });
    m_strReason = WordClipReason(suggestion, ClipReasonWordsOf(CSharedStrings::Get()));
    if (m_pSuggest)
        m_pSuggest->SetToolTip(wxString::FromUTF8(m_strReason));
    if (suggestion.eBasis == EClipBasis::kNoNotes)
        return;
    // The times as the fields show them (hundredths), so that the clip shown is the clip used; both
    // go down, so the first note stays in and the next phrase's first note stays out.
    const std::int32_t to =
        static_cast<std::int32_t>(std::min<std::uint32_t>(suggestion.dwToMs, static_cast<std::uint32_t>(m_nLength))) /
        10 * 10;
    const std::int32_t from = std::min(static_cast<std::int32_t>(suggestion.dwFromMs) / 10 * 10, to);
    if (m_pClipEnd)
        m_pClipEnd->SetTime(to);
    if (m_pClipStart)
        m_pClipStart->SetTime(from);
    UpdateClipFromEdits();
}

} // namespace corvina
