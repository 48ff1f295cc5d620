// The words of the host's status line and of the port list for what the phone detector sees, in the
// strings' language.
#pragma once

#include "PhoneDetector.h"

#include <string>

namespace corvina {

class CResource;

// "Looking for a phone…", "Connected: maker model on /dev/ttyACM0", and the failures with what to do.
std::string PhoneStatusText(const SPhoneStatus& status, const CResource& strings);
// What one probe found, short, for the port list: the phone's maker, model and IMEI, or why not.
std::string PortProbeText(const SPortReport& report, const CResource& strings);
// What the system knows of a device, for the port list: the USB maker and model with their ids,
// or the Bluetooth address.
std::string PortDescriptionText(const SPortReport& report);
// Replaces every "{name}" in text by value.
void FillIn(std::string& text, const std::string& name, const std::string& value);

} // namespace corvina
