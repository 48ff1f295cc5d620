// The tones page's enable rules and volume defaults.
#include "TonesPageRules.h"

#include "PhoneType.h"

namespace corvina {

long MidVolume(long volStart, long volEnd)
{
    return (volStart + volEnd + 1) / 2;
}

bool TonesControlsEnabled(bool wasRead, bool connected)
{
    return wasRead && connected;
}

bool RingerControlsEnabled(const std::string& phoneType, bool enabled)
{
    // This model has no ringer or vibration setting the phone interface can change.
    if (phoneType == "R15")
        return false;
    return enabled && !IsBirchFamily(phoneType);
}

bool PlayButtonsEnabled(const std::string& phoneType, bool rtByFilename, bool curFilePlayable, bool enabled)
{
    if (IsBirchFamily(phoneType))
        return false;
    return rtByFilename ? curFilePlayable : enabled;
}

bool LineChangeUpdatesMainDialog(const std::string& phoneType)
{
    return !IsBirchFamily(phoneType);
}

bool IsValidLineSelection(long index, long lineCount)
{
    return index >= 0 && index < lineCount;
}

unsigned InitialLineLabelId(bool rtByFilename)
{
    return rtByFilename ? 541 : 527;
}

} // namespace corvina
