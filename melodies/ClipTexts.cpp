// The clip editor's filter, initial folder and track list texts.
#include "ClipTexts.h"

#include "CRegistryHelper.h"

namespace corvina {
namespace {

constexpr unsigned IDS_ALL_FILES = 522;
constexpr unsigned IDS_MIDI_FILES = 523;
constexpr unsigned IDS_TRACK = 518;
constexpr unsigned IDS_CHANNEL = 519;
constexpr unsigned IDS_ALL = 532;
// The track column is indented so that its numbers clear the row's mark image.
constexpr const char* kIndent = "        ";

} // namespace

std::string BuildFilter(const CResource& strings)
{
    return strings.GetString(IDS_MIDI_FILES) + " (*.mid)|*.mid|" + strings.GetString(IDS_ALL_FILES) + " (*.*)|*.*||";
}

std::string FilterToWildcard(const std::string& filter)
{
    std::string wildcard = filter;
    while (!wildcard.empty() && wildcard.back() == '|')
        wildcard.pop_back();
    return wildcard;
}

InitialFolder GetInitialFolder(bool fileOpen, const std::string& savedPath, const std::string& fileName,
                               bool fromCurrentFile)
{
    InitialFolder result;
    if (fileOpen) {
        result.text = savedPath.empty() ? fileName : savedPath;
        if (fromCurrentFile) {
            const std::size_t slash = result.text.rfind('/');
            result.text = slash != std::string::npos && slash > 0 ? result.text.substr(0, slash) : std::string();
        }
    }
    if (result.text.empty()) {
        result.text = CRegistryHelper::GetUserSpecificPath("RingingtoneFile");
        result.fromRegistry = true;
    }
    return result;
}

std::string TrackRowText(int trackIndex)
{
    return kIndent + std::to_string(trackIndex + 1);
}
std::string ChannelRowText(int channel)
{
    return std::to_string(channel + 1);
}
std::string AllRowTrackText(const CResource& strings)
{
    return kIndent + strings.GetString(IDS_ALL);
}
std::string AllRowChannelText(const CResource& strings)
{
    return strings.GetString(IDS_ALL);
}
std::string TrackColumnTitle(const CResource& strings)
{
    return kIndent + strings.GetString(IDS_TRACK);
}
std::string ChannelColumnTitle(const CResource& strings)
{
    return kIndent + strings.GetString(IDS_CHANNEL);
}

} // namespace corvina
