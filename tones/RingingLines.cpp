// Ringing lines by phone type: caller-group phones, the platform family and everything else.
#include "RingingLines.h"

#include "CGroupMgr.h"
#include "CResource.h"
#include "PhoneType.h"
#include "RingingLine.h"

#include <array>
#include <initializer_list>

namespace corvina {
namespace {

constexpr unsigned IDS_LABEL_PROFILE = 541;
constexpr unsigned IDS_LABEL_SETTINGS_FOR = 527;
constexpr unsigned IDS_GROUP_CALLS = 4029;
constexpr unsigned IDS_ALL_CALLS = 507;
constexpr int kGroupNames = 9; // the no-group entry and groups 1 to 8
constexpr int kGroupNoneRow = 9;

struct LineRow {
    unsigned nStringId; // 0: the row is a caller group, named by prefix and group name
    int nType;
};

// The caller-group family's rows; row 9 (the no-group entry) is never shown.
constexpr std::array<LineRow, 21> kR41Rows{{
    {4028, ePhonebookCalls},
    {0, 10},
    {0, 11},
    {0, 12},
    {0, 13},
    {0, 14},
    {0, 15},
    {0, 16},
    {0, 17},
    {0, eGroupNone},
    {4025, eAllCalls},
    {4026, eOtherCallsLine1},
    {4027, eOtherCallsLine2},
    {4030, eAlarm},
    {4031, eAlarmClock},
    {4032, eMessages},
    {4033, eCellBroadcast},
    {4034, eStartMelody},
    {4035, eEndMelody},
    {4036, eOpenGlidex},
    {4037, eCloseGlidex},
}};

// The platform family's lines: external and internal calls, appointments, alarm clock.
constexpr std::array<LineRow, 4> kBirchRows{{{4038, 22}, {4039, 23}, {4040, 21}, {4031, 13}}};

void AddR41Lines(std::string phoneType, const std::string& imei, const CResource& strings, const CGroupMgr& manager,
                 RingingLineTable& table)
{
    const std::string prefix = strings.GetString(IDS_GROUP_CALLS) + " ";
    std::vector<std::string> groups;
    manager.ReadGroupsFromRegDb(imei, groups, false, true);
    if (groups.empty()) {
        // A phone without groups of its own shows the family's defaults and is counted as the family.
        phoneType = "R41";
        manager.ReadGroupsFromRegDbPhoneType(phoneType, groups, true);
    }
    if (static_cast<int>(groups.size()) < kGroupNames)
        groups.assign(kGroupNames, manager.GetGroupNoneByImei(imei));

    const int rows = R41RowCount(phoneType);
    for (int row = 0; row < rows; ++row) {
        if (row == kGroupNoneRow)
            continue;
        const LineRow& line = kR41Rows[row];
        table.LineNames.push_back(line.nStringId ? strings.GetString(line.nStringId) : prefix + groups[row]);
        table.LineTypes.push_back(line.nType);
    }
}

} // namespace

bool HasGlidexLines(const std::string& phoneType)
{
    for (const char* model : {"RX41", "RX4A", "RX4E", "MV72", "MV73"}) {
        if (EqualsNoCase(phoneType, model))
            return true;
    }
    return false;
}

int R41RowCount(const std::string& phoneType)
{
    return HasGlidexLines(phoneType) ? kR41RowsWithGlidex : kR41RowsWithoutGlidex;
}

RingingLineTable BuildRingingLines(const std::string& phoneType, const std::string& imei, bool hasOwner, bool isR41,
                                   const CResource& strings, const CGroupMgr& groups)
{
    RingingLineTable table;
    if (hasOwner && isR41) {
        table.nLabelId = IDS_LABEL_PROFILE;
        AddR41Lines(phoneType, imei, strings, groups, table);
        return table;
    }
    table.nLabelId = IDS_LABEL_SETTINGS_FOR;
    if (IsBirchFamily(phoneType)) {
        for (const LineRow& line : kBirchRows) {
            table.LineNames.push_back(strings.GetString(line.nStringId));
            table.LineTypes.push_back(line.nType);
        }
    } else {
        table.LineNames.push_back(strings.GetString(IDS_ALL_CALLS));
        table.LineTypes.push_back(eAllCalls);
    }
    return table;
}

} // namespace corvina
