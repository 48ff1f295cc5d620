// Texts and item data of the tones list for phones that work by index, by file, and the platform family.
#include "TonesListItems.h"

#include "CResource.h"
#include "PhoneType.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace corvina {
namespace {

std::string NumberedText(long number, const std::string& name)
{
    char head[32];
    std::snprintf(head, sizeof head, "  %02ld   ", number);
    return head + name;
}

std::string UserDefinedText(long number, const std::string& name, long slot)
{
    char tail[24];
    std::snprintf(tail, sizeof tail, " %02ld", slot);
    return NumberedText(number, name) + tail;
}

// The fixed tones, then the files whose tone numbers lie above them, numbered on from there.
void AddBirchItems(const TonesListSource& source, const CResource& strings, std::vector<ToneListItem>& items)
{
    static const std::vector<std::string> kNoNames;
    static const std::vector<STRUCT_RTFILEINFO*> kNoRecords;
    const auto& names = source.pNames ? *source.pNames : kNoNames;
    const auto& records = source.pRecords ? *source.pRecords : kNoRecords;
    const auto nameAt = [&names](long position) -> const std::string* {
        return position >= 0 && position < static_cast<long>(names.size()) ? &names[position] : nullptr;
    };

    // Only phones that name their fixed tones by file do so; the other platform type keeps "Melody".
    std::map<long, long> fixedNames;
    if (ContainsBirch(source.strPhoneType)) {
        for (const STRUCT_RTFILEINFO* record : records) {
            if (record && record->nToneNumber <= source.lNumberFixRt)
                fixedNames[record->nToneNumber] = record->nIndex;
        }
    }
    for (long n = 1; n <= source.lNumberFixRt; ++n) {
        const auto mapped = fixedNames.find(n);
        const std::string* name = mapped != fixedNames.end() ? nameAt(mapped->second) : nullptr;
        items.push_back({NumberedText(n, name ? *name : strings.GetString(IDS_MELODY)), kImageTone, n});
    }

    long number = source.lNumberFixRt + 1;
    const size_t both = std::min(names.size(), records.size());
    for (size_t i = 0; i < both; ++i) {
        const STRUCT_RTFILEINFO* record = records[i];
        if (!record || record->nToneNumber <= source.lNumberFixRt)
            continue;
        const std::string* name = nameAt(record->nIndex);
        if (!name)
            continue;
        items.push_back({NumberedText(number++, *name), kImageTone, record->nToneNumber});
    }
}

} // namespace

std::vector<ToneListItem> BuildTonesList(const TonesListSource& given, const CResource& strings)
{
    TonesListSource source = given;
    source.lNumberFixRt = std::clamp(source.lNumberFixRt, 0L, kMaxToneSlots);
    source.lNumberUserdefRt = std::clamp(source.lNumberUserdefRt, 0L, kMaxToneSlots);
    std::vector<ToneListItem> items;
    if (!source.bRtByFilename) {
        long n = 1;
        for (; n <= source.lNumberFixRt; ++n)
            items.push_back({NumberedText(n, strings.GetString(IDS_MELODY))});
        for (long k = 1; k <= source.lNumberUserdefRt; ++k, ++n)
            items.push_back({UserDefinedText(n, strings.GetString(IDS_USER_DEFINED), k)});
    } else if (!IsBirchFamily(source.strPhoneType)) {
        if (source.pNames) {
            for (const std::string& name : *source.pNames)
                items.push_back(AddedFileItem(name));
        }
    } else {
        AddBirchItems(source, strings, items);
    }
    return items;
}

ToneListItem AddedFileItem(const std::string& name)
{
    return {"  " + name};
}

long ActiveTonePosition(bool rtByFilename, long rtArrayIndex, long rtIndex, long firstUsedIndexRt)
{
    return rtByFilename ? rtArrayIndex : rtIndex - firstUsedIndexRt;
}

long ToneIndexForPosition(long position, long firstUsedIndexRt)
{
    return firstUsedIndexRt + position;
}

long FindToneItem(const std::vector<ToneListItem>& items, long toneNumber)
{
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].lData == toneNumber)
            return static_cast<long>(i);
    }
    return -1;
}

} // namespace corvina
