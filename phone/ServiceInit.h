// Setting up the phone's file-system volume and ringtone-assignment service for one operation.
#pragma once

#include "IMBXVolume.h"
#include "IRingtoneSettings.h"

#include <memory>

namespace corvina {

// The text shown when the configured port cannot be opened.
inline constexpr const char* kPortCannotBeReadText = "Port cannot be read. Please reinstall Pellucid!\n";

// Releases the pointer's object, creates and runs the volume and sets the registry's "Port" on it.
// False (after tracing, and the port message for HR_PORT_CANNOT_BE_READ) when any step fails.
bool InitMbxVolPtr(std::shared_ptr<IMBXVolume>& volume);
// The same for the ringtone-assignment service.
bool InitRtSettingsPtr(std::shared_ptr<IRingtoneSettings>& settings);

} // namespace corvina
