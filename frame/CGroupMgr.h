// The caller-group manager: which phone types form the caller-group family of model R41, and the
// caller groups of a phone (by IMEI) or of a phone type, as kept in the registry files.
#pragma once

#include <string>
#include <vector>

namespace corvina {

class CGroupMgr {
public:
    // The process-wide manager.
    static CGroupMgr& GetRef();

    // True when the phone type belongs to the R41 caller-group family (ignoring case).
    bool IsR41(const std::string& phoneType) const;
    // The groups stored for a phone's IMEI: index 0 the no-group entry, then groups 1 to 8.
    // Returns the number of names read. The two flags are kept for callers written against the
    // suite's manager; the registry-file manager has nothing for them to select.
    int ReadGroupsFromRegDb(const std::string& imei, std::vector<std::string>& groups, bool reserved1,
                            bool reserved2) const;
    // The default groups of a phone type, laid out as above; returns the number of names read.
    int ReadGroupsFromRegDbPhoneType(const std::string& phoneType, std::vector<std::string>& groups,
                                     bool reserved) const;
    // The name of the no-group entry for a phone.
    std::string GetGroupNoneByImei(const std::string& imei) const;
};

} // namespace corvina
