// Ringtone file names and records.
#include "RtFileList.h"

#include "CResource.h"
#include "PhoneType.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

namespace corvina {
namespace {

void ReplaceAll(std::string& text, const std::string& what, const std::string& with)
{
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

// Days from 1899-12-30 to 1970-01-01.
constexpr double kOleEpochOffsetDays = 25569.0;

} // namespace

double OleDateNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    // Local wall-clock seconds since 1970, as the date the user sees.
    const double localSeconds = static_cast<double>(now) + static_cast<double>(local.tm_gmtoff);
    return kOleEpochOffsetDays + localSeconds / 86400.0;
}

std::tm OleDateFields(double oleDate)
{
    const double localSeconds = std::floor((oleDate - kOleEpochOffsetDays) * 86400.0 + 0.5);
    const std::time_t asUtc = static_cast<std::time_t>(localSeconds);
    std::tm fields{};
    gmtime_r(&asUtc, &fields);
    return fields;
}

RtFileList::~RtFileList()
{
    Empty();
}

void RtFileList::Empty()
{
    m_names.clear();
    for (auto it = m_records.rbegin(); it != m_records.rend(); ++it)
        delete *it;
    m_records.clear();
    m_bSortedByTone = false;
}

bool RtFileList::Add(const std::string& name)
{
    const int index = GetIndexForName(name);
    if (index < 0) {
        auto* record = new STRUCT_RTFILEINFO();
        record->dwAttributes = 0x20;
        record->nNumber = 0;
        record->dLastChange = OleDateNow();
        m_records.push_back(record);
        m_names.push_back(name);
        return true;
    }
    if (static_cast<std::size_t>(index) < m_records.size()) {
        m_records[index]->dwAttributes = 0x20;
        m_records[index]->dLastChange = OleDateNow();
    }
    return false;
}

int RtFileList::GetIndexForName(const std::string& name) const
{
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (EqualsNoCase(m_names[i], name))
            return static_cast<int>(i);
    }
    return -1;
}

long RtFileList::GetActiveFileIndex(const std::string& name) const
{
    const auto it = std::find(m_names.begin(), m_names.end(), name);
    return it == m_names.end() ? -1 : static_cast<long>(it - m_names.begin());
}

std::string RtFileList::NameAt(long index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < m_names.size() ? m_names[index] : std::string();
}

void RtFileList::SortRecordsByToneNumber()
{
    m_bSortedByTone = true;
    std::stable_sort(m_records.begin(), m_records.end(), [](const STRUCT_RTFILEINFO* a, const STRUCT_RTFILEINFO* b) {
        return a->nToneNumber < b->nToneNumber;
    });
}

const STRUCT_RTFILEINFO* RtFileList::RecordForName(long namePosition) const
{
    if (namePosition < 0)
        return nullptr;
    if (m_bSortedByTone) {
        for (const STRUCT_RTFILEINFO* record : m_records)
            if (record && record->nIndex == namePosition)
                return record;
        return nullptr;
    }
    return static_cast<std::size_t>(namePosition) < m_records.size() ? m_records[namePosition] : nullptr;
}

std::string RtFileList::GetOverwriteWarning(const std::string& name, int& index, const CResource& strings) const
{
    const long found = GetActiveFileIndex(name);
    if (found < 0)
        return {};
    index = static_cast<int>(found);
    bool readOnly = false;
    std::string date;
    if (const STRUCT_RTFILEINFO* record = RecordForName(found)) {
        readOnly = (record->dwAttributes & 0x01) != 0;
        date = strings.FormatDateTime(OleDateFields(record->dLastChange));
    }
    std::string first = strings.GetString(readOnly ? 545 : 544);
    ReplaceAll(first, "XXX", name);
    std::string second = strings.GetString(546);
    ReplaceAll(second, "ZZZ", date);
    return first + "\n" + second;
}

std::string GetAPathFileName(const std::string& folder, const std::string& name)
{
    return "A:\\" + folder + "\\" + name;
}

bool FilePlayable(const std::string& name)
{
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size())
        return false;
    const std::string extension = name.substr(dot + 1);
    return EqualsNoCase(extension, "mid") || EqualsNoCase(extension, "mmf") || EqualsNoCase(extension, "wav");
}

std::string NameFromPhonePath(const std::string& path)
{
    const auto slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace corvina
