// Finding the phone among the serial devices: the candidate devices ("PortCandidates"), what the
// system knows of each (USB maker and model, the Bluetooth address of an rfcomm device) and what one
// short look at it finds (a phone and what it says of itself, or why not).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace corvina {

// What one look at a candidate device found.
struct SPortReport {
    enum class eOutcome {
        Phone,            // it answered with an IMEI
        NotAPhone,        // it answered, but not as a phone (an error, garbage, no IMEI)
        Silent,           // it gave no answer in time
        PermissionDenied, // the user may not open it
        Busy,             // another program holds it
        Missing,          // it is not there (any more)
    };
    std::string device; // the path as the candidates name it (a link stays a link)
    eOutcome outcome = eOutcome::Missing;
    std::string imei; // what a phone said of itself (AT+CGSN, AT+CGMI, AT+CGMM, AT+CGMR)
    std::string maker;
    std::string model;
    std::string revision;
    std::string group;    // PermissionDenied: the group that owns the device
    std::string holder;   // Busy: the program that holds it, "" when it cannot be found
    std::string usbMaker; // what the system knows: the USB maker and model, and their ids
    std::string usbModel;
    std::string usbId;     // "vvvv:pppp"
    std::string bluetooth; // an rfcomm device's bound address
};

// The errno that opening the device for reading and writing gives (0 when it opens); tests give
// their own to stand for devices they cannot make (one the user may not open, when they run as root).
using PortOpenCheck = std::function<int(const std::string& device)>;

// The glob patterns of the candidates: "PortCandidates" under the suite's key, a ';'-separated
// list, or /dev/ttyACM*, /dev/ttyUSB*, /dev/rfcomm* when it is not set.
std::vector<std::string> ConfiguredPortPatterns();
// The devices the patterns name, in the patterns' order, sorted within each, each once.
std::vector<std::string> ExpandPortPatterns(const std::vector<std::string>& patterns);
// Fills in what the system knows of the device (udev for USB devices, sysfs for rfcomm).
void DescribePort(SPortReport& report);
// One look at the device: opens it with a short answer timeout, asks who it is and closes it again,
// so that a device that is not a phone is disturbed for one probe only. A device another program
// holds is not touched.
SPortReport ProbePort(const std::string& device, const PortOpenCheck& openCheck = {});
// The program (its command name) other than this one that holds the device open, or "".
std::string FindPortHolder(const std::string& device);

} // namespace corvina
