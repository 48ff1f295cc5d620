// Makes the toolkit speak the editor's language: stock buttons, message boxes and the file chooser
// take their texts from the wx and GTK translations of the language the registry names.
#pragma once

#include "CResource.h"

#include <string>

namespace corvina {

// Switches the process's message language and the wx translations to the language; a language
// the system has no locale or translations for leaves the toolkit as it is. Calls with the
// language already in force do nothing. True when the language is now in force.
bool UseToolkitLanguage(long languageId);

} // namespace corvina
