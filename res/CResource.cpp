// The language-aware string loader: picks the language from the locale or the registry and
// answers texts from the compiled tables, falling back to English for untranslated languages.
#include "CResource.h"

#include "CRegistryHelper.h"

#include <clocale>
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>
#include <string_view>

namespace corvina {

namespace {
// Tells the loader's users which module the strings belong to; the editor has only its own.
constexpr char kModuleTag = 0;

// Locale language codes and the table each one reads. English locales, US English included, read
// 2057: the 1033 table carries the German texts for most ids and would surprise an English user.
struct LocaleLanguage {
    std::string_view code;
    long language;
};
constexpr LocaleLanguage kLocaleLanguages[] = {
    {"ar", 1025}, {"ca", 1027}, {"cs", 1029}, {"da", 1030}, {"de", 1031}, {"el", 1032}, {"en", 2057},
    {"fi", 1035}, {"fr", 1036}, {"hu", 1038}, {"it", 1040}, {"nl", 1043}, {"nb", 1044}, {"nn", 1044},
    {"no", 1044}, {"pl", 1045}, {"ru", 1049}, {"sv", 1053}, {"tr", 1055}, {"pt", 2070}, {"es", 3082},
};

// A locale name is language[_territory][.codeset][@modifier]; only the language part counts, so
// that "frr_DE" (a three-letter code) is not taken for French.
long LanguageOfLocale(std::string_view locale)
{
    const std::string_view code = locale.substr(0, locale.find_first_of("_.@"));
    for (const LocaleLanguage& entry : kLocaleLanguages)
        if (entry.code == code)
            return entry.language;
    return LANG_ENGLISH_UK;
}

// The locale of each table's language.
struct TableLocale {
    long language;
    const char* locale;
};
constexpr TableLocale kTableLocales[] = {
    {1025, "ar_SA"}, {1027, "ca_ES"}, {1029, "cs_CZ"}, {1030, "da_DK"}, {1031, "de_DE"},
    {1032, "el_GR"}, {1033, "en_US"}, {1035, "fi_FI"}, {1036, "fr_FR"}, {1038, "hu_HU"},
    {1040, "it_IT"}, {1043, "nl_NL"}, {1044, "nb_NO"}, {1045, "pl_PL"}, {1049, "ru_RU"},
    {1053, "sv_SE"}, {1055, "tr_TR"}, {2057, "en_GB"}, {2070, "pt_PT"}, {3082, "es_ES"},
};

std::string_view LanguageCode(std::string_view locale)
{
    return locale.substr(0, locale.find_first_of("_.@"));
}

// A time locale by name, trying its UTF-8 form first; (locale_t)0 when the system has neither.
locale_t OpenTimeLocale(const std::string& name)
{
    for (const std::string& candidate : {name + ".UTF-8", name + ".utf8", name})
        if (locale_t loc = newlocale(LC_TIME_MASK, candidate.c_str(), static_cast<locale_t>(0)))
            return loc;
    return static_cast<locale_t>(0);
}

bool HasTable(long languageId)
{
    std::size_t count = 0;
    const long* languages = AllLanguages(count);
    for (std::size_t i = 0; i < count; ++i)
        if (languages[i] == languageId)
            return true;
    return false;
}
} // namespace

CResource::CResource(unsigned short /*reserved*/) : m_language(DefaultLanguage()), m_module(&kModuleTag) {}

void CResource::SetModule(const void* module)
{
    m_module = module;
}

void CResource::SetLanguage(long languageId)
{
    m_language = languageId;
}

std::string CResource::GetString(unsigned id) const
{
    const long language = HasTable(m_language) ? m_language : LANG_ENGLISH_UK;
    const char* text = LookupString(language, id);
    return text != nullptr ? std::string(text) : std::string();
}

long CResource::DefaultLanguage()
{
    // The same precedence the C library uses for message texts.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0')
            continue;
        return LanguageOfLocale(value);
    }
    return LANG_ENGLISH_UK;
}

std::string CResource::FormatDateTime(const std::tm& local) const
{
    const long language = HasTable(m_language) ? m_language : LANG_ENGLISH_UK;
    const std::string own = LocaleNameOfLanguage(language);
    // The user's own locale wins when it speaks the language (en_US dates for an American who reads
    // the English texts); otherwise the dates match the texts they stand in.
    std::string name = own;
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0')
            continue;
        if (LanguageCode(value) == LanguageCode(own))
            name = std::string(value).substr(0, std::string_view(value).find('.'));
        break;
    }
    char text[160];
    if (locale_t loc = OpenTimeLocale(name)) {
        std::string format = std::string(nl_langinfo_l(D_FMT, loc)) + " " + nl_langinfo_l(T_FMT, loc);
        for (std::size_t at = format.find("%y"); at != std::string::npos; at = format.find("%y", at))
            format[at + 1] = 'Y';
        const std::size_t length = strftime_l(text, sizeof text, format.c_str(), &local, loc);
        freelocale(loc);
        if (length > 0)
            return std::string(text, length);
    }
    const std::size_t length = std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
    return std::string(text, length);
}

std::string LocaleNameOfLanguage(long languageId)
{
    for (const TableLocale& entry : kTableLocales)
        if (entry.language == languageId)
            return entry.locale;
    return "";
}

bool IsRightToLeft(long languageId)
{
    return languageId == LANG_ARABIC;
}

CResource CResource::ForModule()
{
    CResource resource(0);
    resource.SetModule(&kModuleTag);
    long language = 0;
    if (CRegistryHelper().bGetDWordAsLongFromRegistry(language, "Language", HKEY_LOCAL_MACHINE, kSuiteRootKey))
        resource.SetLanguage(language);
    return resource;
}

} // namespace corvina
