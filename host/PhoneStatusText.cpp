// Status texts: string ids 4710 to 4730 with their {device}, {group}, {program} and {phone} filled in.
#include "PhoneStatusText.h"

#include "CResource.h"

namespace corvina {
namespace {

std::string PhoneName(const SPortReport& report)
{
    std::string name = report.maker;
    // Makers often repeat themselves in the model ("ACME", "ACME CX70").
    if (!report.model.empty() && report.model.rfind(report.maker, 0) != 0)
        name += (name.empty() ? "" : " ") + report.model;
    else if (!report.model.empty())
        name = report.model;
    return name.empty() ? report.imei : name;
}

} // namespace

void FillIn(std::string& text, const std::string& name, const std::string& value)
{
    const std::string mark = "{" + name + "}";
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size()))
        text.replace(at, mark.size(), value);
}

std::string PhoneStatusText(const SPhoneStatus& status, const CResource& strings)
{
    using eState = SPhoneStatus::eState;
    unsigned id = 4710;
    switch (status.state) {
    case eState::Looking: id = 4710; break;
    case eState::NoPhone: id = 4711; break;
    case eState::Connected: id = 4712; break;
    case eState::PermissionDenied: id = 4713; break;
    case eState::Busy: id = status.report.holder.empty() ? 4715 : 4714; break;
    case eState::NotAPhone: id = 4716; break;
    }
    std::string text = strings.GetString(id);
    FillIn(text, "device", status.report.device);
    FillIn(text, "group", status.report.group);
    FillIn(text, "program", status.report.holder);
    FillIn(text, "phone", PhoneName(status.report));
    return text;
}

std::string PortProbeText(const SPortReport& report, const CResource& strings)
{
    using eOutcome = SPortReport::eOutcome;
    std::string text;
    switch (report.outcome) {
    case eOutcome::Phone: return PhoneName(report) + (report.imei.empty() ? "" : ", IMEI " + report.imei);
    case eOutcome::NotAPhone: text = strings.GetString(4726); break;
    case eOutcome::Silent: text = strings.GetString(4727); break;
    case eOutcome::PermissionDenied: text = strings.GetString(4728); break;
    case eOutcome::Busy: text = strings.GetString(4729); break;
    case eOutcome::Missing: text = strings.GetString(4730); break;
    }
    FillIn(text, "group", report.group);
    FillIn(text, "program", report.holder.empty() ? "?" : report.holder);
    return text;
}

std::string PortDescriptionText(const SPortReport& report)
{
    std::string text = report.usbMaker;
    if (!report.usbModel.empty())
        text += (text.empty() ? "" : " ") + report.usbModel;
    if (!report.usbId.empty())
        text += (text.empty() ? "" : " ") + ("(" + report.usbId + ")");
    if (!report.bluetooth.empty())
        text += (text.empty() ? "Bluetooth " : ", Bluetooth ") + report.bluetooth;
    return text;
}

} // namespace corvina
