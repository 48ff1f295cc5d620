// String ids 4740 to 4790, with their {placeholders} filled in.
#include "PhoneFitTexts.h"

#include "CResource.h"

#include <algorithm>
#include <cctype>

namespace corvina {
namespace {

std::string Fill(std::string text, const std::string& name, const std::string& value)
{
    const std::string mark = "{" + name + "}";
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size()))
        text.replace(at, mark.size(), value);
    return text;
}

// Kilobytes as the user reads them, rounded up so that a clip just over a limit never shows equal.
std::string Kilobytes(std::uint64_t bytes)
{
    return std::to_string((bytes + 1023) / 1024);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

SLimitsText ClipLimitsText(const SClipNeeds& needs, const SoundProfile& phone, const CResource& strings)
{
    SLimitsText result;
    result.bVoicesOver = phone.lPolyphony > 0 && needs.nVoices > phone.lPolyphony;
    result.bBytesOver = phone.lMaxToneBytes > 0 && needs.nBytes > static_cast<std::uint64_t>(phone.lMaxToneBytes);
    const std::string voices =
        Fill(Fill(strings.GetString(phone.lPolyphony > 0 ? 4743 : 4742), "voices", std::to_string(needs.nVoices)),
             "limit", std::to_string(phone.lPolyphony));
    const std::string size =
        Fill(Fill(strings.GetString(phone.lMaxToneBytes > 0 ? 4745 : 4744), "size", Kilobytes(needs.nBytes)), "limit",
             Kilobytes(static_cast<std::uint64_t>(std::max(0L, phone.lMaxToneBytes))));
    const std::string over = " (" + strings.GetString(4746) + ")";
    result.shown = voices + (result.bVoicesOver ? " !" : "") + " \xC2\xB7 " + size + (result.bBytesOver ? " !" : "");
    result.spoken = voices + (result.bVoicesOver ? over : "") + ", " + size + (result.bBytesOver ? over : "");
    return result;
}

std::string OverLimitQuestion(const SLimitsText& limits, const SClipNeeds& needs, const SoundProfile& phone,
                              std::size_t dropped, std::size_t shortened, const CResource& strings)
{
    std::string what;
    if (limits.bVoicesOver)
        what = Fill(Fill(strings.GetString(4751), "voices", std::to_string(needs.nVoices)), "limit",
                    std::to_string(phone.lPolyphony));
    if (limits.bBytesOver)
        what += (what.empty() ? "" : ", ") + Fill(Fill(strings.GetString(4752), "size", Kilobytes(needs.nBytes)),
                                                  "limit", Kilobytes(static_cast<std::uint64_t>(phone.lMaxToneBytes)));
    return Fill(Fill(Fill(strings.GetString(4747), "what", what), "dropped", std::to_string(dropped)), "shortened",
                std::to_string(shortened));
}

std::string MelodyLineFailureText(eMelodyLineResult result, const CResource& strings)
{
    switch (result) {
    case eMelodyLineResult::OnlyDrums: return strings.GetString(4757);
    case eMelodyLineResult::OnlyChords: return strings.GetString(4758);
    default: return strings.GetString(4590);
    }
}

std::string MelodyCutText(std::size_t kept, std::size_t total, long limit, const CResource& strings)
{
    return Fill(Fill(Fill(strings.GetString(4756), "limit", std::to_string(limit)), "kept", std::to_string(kept)),
                "total", std::to_string(total));
}

std::string BuildSaveFilter(const CResource& strings)
{
    return strings.GetString(523) + " (*.mid)|*.mid|" + strings.GetString(4754) + " (*.imy)|*.imy|" +
           strings.GetString(4755) + " (*.rtttl)|*.rtttl|" + strings.GetString(522) + " (*.*)|*.*||";
}

eSavedFormat SavedFormatOf(std::string& path, int filterIndex)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash) && dot + 1 < path.size();
    if (hasExtension) {
        const std::string extension = Lower(path.substr(dot + 1));
        if (extension == "imy")
            return eSavedFormat::iMelody;
        if (extension == "rtttl" || extension == "rtx" || extension == "txt")
            return eSavedFormat::RTTTL;
        return eSavedFormat::Midi;
    }
    if (filterIndex == 1) {
        path += ".imy";
        return eSavedFormat::iMelody;
    }
    if (filterIndex == 2) {
        path += ".rtttl";
        return eSavedFormat::RTTTL;
    }
    path += ".mid";
    return eSavedFormat::Midi;
}

SClipReasonWords ClipReasonWordsOf(const CResource& strings)
{
    SClipReasonWords words;
    for (unsigned i = 0; i < words.intervals.size(); ++i)
        words.intervals[i] = strings.GetString(4760 + i);
    words.semitones = strings.GetString(4773);
    for (unsigned id = 4774; id <= 4778; ++id)
        words.returns.push_back(strings.GetString(id));
    words.returnNumber = strings.GetString(4779);
    words.returnsOnce = strings.GetString(4780);
    words.returnsTimes = strings.GetString(4781);
    words.higher = strings.GetString(4782);
    words.lower = strings.GetString(4783);
    words.varied = strings.GetString(4784);
    words.higherVaried = strings.GetString(4785);
    words.lowerVaried = strings.GetString(4786);
    words.separator = strings.GetString(4787);
    words.noRepeat = strings.GetString(4788);
    words.wholeTune = strings.GetString(4789);
    words.noNotes = strings.GetString(4790);
    return words;
}

} // namespace corvina
