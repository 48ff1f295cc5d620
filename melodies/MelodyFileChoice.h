// The file dialogs of the clip editor: open (with preview) and save. Tests replace them with
// choosers that answer at once.
#pragma once

#include <functional>
#include <string>

class wxWindow;

namespace corvina {

// Asks the user for a file; "" when the dialog was cancelled.
using FileChooser =
    std::function<std::string(wxWindow* parent, const std::string& wildcard, const std::string& initial)>;

// The open dialog with Play and Stop; initial is the folder it starts in.
std::string ChooseMelodyFile(wxWindow* parent, const std::string& wildcard, const std::string& initial);
// The platform's save dialog (a name without an extension gets that of the format chosen: mid, imy
// or rtttl; asks before overwriting); initial is the file name it proposes (with its folder), or "".
std::string ChooseSavePath(wxWindow* parent, const std::string& wildcard, const std::string& initial);
// Replaces the dialogs (null restores them).
void SetFileChoosers(FileChooser open, FileChooser save);

} // namespace corvina
