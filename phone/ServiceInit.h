// Setting up the phone's file-system volume and ringtone-assignment service for one operation.
#pragma once

#include "IMBXVolume.h"
#include "IRingtoneSettings.h"

#include <memory>

namespace corvina {

// The text shown when the configured port cannot be opened.
inline constexpr const char* kPortCannotBeReadText = "Port cannot be read. Please reinstall Pellucid!\n";

// Releases the pointer's object, creates and runs the volume and sets the registry's "Port" on it.
// False (after tracing) when any step fails; failure then holds the failing step's code. Shows
// nothing, so workers may call it: the user-interface thread reports with ReportPortCannotBeRead.
bool InitMbxVolPtr(std::shared_ptr<IMBXVolume>& volume, HRESULT* failure = nullptr);
// The same for the ringtone-assignment service.
bool InitRtSettingsPtr(std::shared_ptr<IRingtoneSettings>& settings, HRESULT* failure = nullptr);
// On the user-interface thread: shows the port message when the failure was a port that cannot be
// opened at all; true when it did.
bool ReportPortCannotBeRead(HRESULT failure);

} // namespace corvina
