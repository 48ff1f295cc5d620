// The clip editor's file dialogs, replaceable for tests.
#include "MelodyFileChoice.h"

#include "Accessibility.h"
#include "CMelodyFileDialog.h"
#include "CResource.h"
#include "PhoneFitTexts.h"

#include <wx/filedlg.h>

#include <filesystem>

namespace corvina {
namespace {

FileChooser g_open;
FileChooser g_save;

} // namespace

std::string ChooseMelodyFile(wxWindow* parent, const std::string& wildcard, const std::string& initial)
{
    if (g_open)
        return g_open(parent, wildcard, initial);
    CMelodyFileDialog dialog(parent, wildcard, initial);
    if (dialog.ShowModal() != wxID_OK)
        return {};
    return dialog.GetPath().ToStdString(wxConvUTF8);
}

std::string ChooseSavePath(wxWindow* parent, const std::string& wildcard, const std::string& initial)
{
    if (g_save)
        return g_save(parent, wildcard, initial);
    const std::filesystem::path proposed(initial);
    // Titled as the button that opens it, in the editor's language ("Save as").
    const std::string title = NameFromLabel(CSharedStrings::Get().GetString(4516));
    wxFileDialog dialog(parent, wxString::FromUTF8(title), wxString::FromUTF8(proposed.parent_path().string()),
                        wxString::FromUTF8(proposed.filename().string()), wxString::FromUTF8(wildcard),
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK)
        return {};
    std::string path = dialog.GetPath().ToStdString(wxConvUTF8);
    // A name typed without an extension takes the one of the format chosen in the filter.
    SavedFormatOf(path, dialog.GetFilterIndex());
    return path;
}

void SetFileChoosers(FileChooser open, FileChooser save)
{
    g_open = std::move(open);
    g_save = std::move(save);
}

} // namespace corvina
