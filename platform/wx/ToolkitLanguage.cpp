// The process's message locale and wx catalogs follow the editor's language. Only the message
// category changes: numbers keep the C conventions the file formats and the trace rely on.
#include "ToolkitLanguage.h"

#include <wx/intl.h>
#include <wx/translation.h>

#include <clocale>
#include <cstdlib>

namespace corvina {
namespace {

struct LanguageLocale {
    long language;
    const char* locale;
    wxLanguage wxLanguageId;
};

constexpr LanguageLocale kLocales[] = {
    {1025, "ar_SA", wxLANGUAGE_ARABIC_SAUDI_ARABIA},
    {1027, "ca_ES", wxLANGUAGE_CATALAN},
    {1029, "cs_CZ", wxLANGUAGE_CZECH},
    {1030, "da_DK", wxLANGUAGE_DANISH},
    {1031, "de_DE", wxLANGUAGE_GERMAN},
    {1032, "el_GR", wxLANGUAGE_GREEK},
    {1033, "en_US", wxLANGUAGE_ENGLISH_US},
    {1035, "fi_FI", wxLANGUAGE_FINNISH},
    {1036, "fr_FR", wxLANGUAGE_FRENCH},
    {1038, "hu_HU", wxLANGUAGE_HUNGARIAN},
    {1040, "it_IT", wxLANGUAGE_ITALIAN},
    {1043, "nl_NL", wxLANGUAGE_DUTCH},
    {1044, "nb_NO", wxLANGUAGE_NORWEGIAN_BOKMAL},
    {1045, "pl_PL", wxLANGUAGE_POLISH},
    {1049, "ru_RU", wxLANGUAGE_RUSSIAN},
    {1053, "sv_SE", wxLANGUAGE_SWEDISH},
    {1055, "tr_TR", wxLANGUAGE_TURKISH},
    {2057, "en_GB", wxLANGUAGE_ENGLISH_UK},
    {2070, "pt_PT", wxLANGUAGE_PORTUGUESE},
    {3082, "es_ES", wxLANGUAGE_SPANISH},
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

std::string LocaleNameOfLanguage(long languageId)
{
    const LanguageLocale* entry = Find(languageId);
    return entry ? entry->locale : "";
}

bool UseToolkitLanguage(long languageId)
{
    static long inForce = 0;
    if (languageId == inForce)
        return true;
    const LanguageLocale* entry = Find(languageId);
    if (!entry || !SetMessageLocale(entry->locale))
        return false;
    // GNU gettext lets LANGUAGE override the message locale; the editor's choice wins here, so
    // GTK's own texts (the file chooser, stock buttons) come in the same language.
    const std::string name = entry->locale;
    setenv("LANGUAGE", (name + ":" + name.substr(0, 2)).c_str(), 1);

    auto* translations = new wxTranslations();
    translations->SetLanguage(entry->wxLanguageId);
    translations->AddStdCatalog();
    wxTranslations::Set(translations); // takes ownership of it and drops the previous one
    inForce = languageId;
    return true;
}

} // namespace corvina
