// The process's message locale and wx catalogs follow the editor's language. Only the message
// category changes: numbers keep the C conventions the file formats and the trace rely on.
#include "ToolkitLanguage.h"

#include <gtk/gtk.h>
#include <wx/intl.h>
#include <wx/translation.h>

#include <clocale>
#include <cstdlib>

namespace corvina {
namespace {

struct LanguageLocale {
    long language;
    wxLanguage wxLanguageId;
};

constexpr LanguageLocale kLocales[] = {
    {1025, wxLANGUAGE_ARABIC_SAUDI_ARABIA},
    {1027, wxLANGUAGE_CATALAN},
    {1029, wxLANGUAGE_CZECH},
    {1030, wxLANGUAGE_DANISH},
    {1031, wxLANGUAGE_GERMAN},
    {1032, wxLANGUAGE_GREEK},
    {1033, wxLANGUAGE_ENGLISH_US},
    {1035, wxLANGUAGE_FINNISH},
    {1036, wxLANGUAGE_FRENCH},
    {1038, wxLANGUAGE_HUNGARIAN},
    {1040, wxLANGUAGE_ITALIAN},
    {1043, wxLANGUAGE_DUTCH},
    {1044, wxLANGUAGE_NORWEGIAN_BOKMAL},
    {1045, wxLANGUAGE_POLISH},
    {1049, wxLANGUAGE_RUSSIAN},
    {1053, wxLANGUAGE_SWEDISH},
    {1055, wxLANGUAGE_TURKISH},
    {2057, wxLANGUAGE_ENGLISH_UK},
    {2070, wxLANGUAGE_PORTUGUESE},
    {3082, wxLANGUAGE_SPANISH},
};

const LanguageLocale* Find(long languageId)
{
    for (const LanguageLocale& entry : kLocales)
        if (entry.language == languageId)
            return &entry;
    return nullptr;
}

// Tries the UTF-8 locale first (the toolkit's texts are UTF-8), then the plain name.
bool SetMessageLocale(const std::string& name)
{
    for (const std::string& candidate : {name + ".UTF-8", name + ".utf8", name})
        if (std::setlocale(LC_MESSAGES, candidate.c_str()))
            return true;
    return false;
}

} // namespace

bool UseToolkitLanguage(long languageId)
{
    static long inForce = 0;
    if (languageId == inForce)
        return true;
    const LanguageLocale* entry = Find(languageId);
    const std::string name = LocaleNameOfLanguage(languageId);
    if (!entry || name.empty() || !SetMessageLocale(name))
        return false;
    // GNU gettext lets LANGUAGE override the message locale; the editor's choice wins here, so
    // GTK's own texts (the file chooser, stock buttons) come in the same language.
    setenv("LANGUAGE", (name + ":" + name.substr(0, 2)).c_str(), 1);

    // GTK's own dialogs (the file choosers, message boxes) and the rows and columns of its lists run
    // right to left too when the language does.
    gtk_widget_set_default_direction(IsRightToLeft(languageId) ? GTK_TEXT_DIR_RTL : GTK_TEXT_DIR_LTR);

    auto* translations = new wxTranslations();
    translations->SetLanguage(entry->wxLanguageId);
    translations->AddStdCatalog();
    wxTranslations::Set(translations); // takes ownership of it and drops the previous one
    inForce = languageId;
    return true;
}

} // namespace corvina
