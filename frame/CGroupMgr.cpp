// Caller groups from the registry: "Software\Halvren\Corvina\CallerGroups" holds the family list
// and the no-group name; its subkeys "Imei\<imei>" and "PhoneTypes\<type>" hold numbered names.
#include "CGroupMgr.h"

#include "CRegistryHelper.h"
#include "PhoneType.h"

#include <sstream>

namespace corvina {
namespace {

const std::string kGroupsKey = std::string(kSuiteRootKey) + "\\CallerGroups";

int ReadNumberedNames(const std::string& key, std::vector<std::string>& names)
{
    names.clear();
    CRegistryHelper registry;
    for (int i = 0;; ++i) {
        std::string name;
        if (!registry.bGetStringFromRegistry(name, std::to_string(i), HKEY_LOCAL_MACHINE, key))
            break;
        names.push_back(name);
    }
    return static_cast<int>(names.size());
}

} // namespace

CGroupMgr& CGroupMgr::GetRef()
{
    static CGroupMgr manager;
    return manager;
}

bool CGroupMgr::IsR41(const std::string& phoneType) const
{
    if (phoneType.empty())
        return false;
    std::string members;
    CRegistryHelper registry;
    if (!registry.bGetStringFromRegistry(members, "R41Family", HKEY_LOCAL_MACHINE, kGroupsKey))
        return false;
    std::istringstream list(members);
    std::string member;
    while (std::getline(list, member, ';')) {
        if (EqualsNoCase(member, phoneType))
            return true;
    }
    return false;
}

int CGroupMgr::ReadGroupsFromRegDb(const std::string& imei, std::vector<std::string>& groups, bool, bool) const
{
    if (imei.empty()) {
        groups.clear();
        return 0;
    }
    return ReadNumberedNames(kGroupsKey + "\\Imei\\" + imei, groups);
}

int CGroupMgr::ReadGroupsFromRegDbPhoneType(const std::string& phoneType, std::vector<std::string>& groups, bool) const
{
    return ReadNumberedNames(kGroupsKey + "\\PhoneTypes\\" + phoneType, groups);
}

std::string CGroupMgr::GetGroupNoneByImei(const std::string& imei) const
{
    CRegistryHelper registry;
    std::string name;
    if (!imei.empty() &&
        registry.bGetStringFromRegistry(name, "GroupNone", HKEY_LOCAL_MACHINE, kGroupsKey + "\\Imei\\" + imei))
        return name;
    if (registry.bGetStringFromRegistry(name, "GroupNone", HKEY_LOCAL_MACHINE, kGroupsKey))
        return name;
    return "No group";
}

} // namespace corvina
