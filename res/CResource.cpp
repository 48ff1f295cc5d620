// The language-aware string loader: picks the language from the locale or the registry and
// answers texts from the compiled tables, falling back to English for untranslated languages.
#include "CResource.h"

#include "CRegistryHelper.h"

#include <cstdlib>
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
    {"ar", 1025}, {"ca", 1027}, {"cs", 1029}, {"da", 1030}, {"de", 1031}, {"el", 1032},
    {"en", 2057}, {"fi", 1035}, {"fr", 1036}, {"hu", 1038}, {"it", 1040}, {"nl", 1043},
    {"nb", 1044}, {"nn", 1044}, {"no", 1044}, {"pl", 1045}, {"ru", 1049}, {"sv", 1053},
    {"tr", 1055}, {"pt", 2070}, {"es", 3082},
};

// A locale name is language[_territory][.codeset][@modifier]; only the language part counts, so
// that "frr_DE" (a three-letter code) is not taken for French.
long LanguageOfLocale(std::string_view locale) {
    const std::string_view code = locale.substr(0, locale.find_first_of("_.@"));
    for (const LocaleLanguage& entry : kLocaleLanguages)
        if (entry.code == code) return entry.language;
    return LANG_ENGLISH_UK;
}

bool HasTable(long languageId) {
    std::size_t count = 0;
    const long* languages = AllLanguages(count);
    for (std::size_t i = 0; i < count; ++i)
        if (languages[i] == languageId) return true;
    return false;
}
} // namespace

CResource::CResource(unsigned short /*reserved*/) : m_language(DefaultLanguage()), m_module(&kModuleTag) {}

void CResource::SetModule(const void* module) { m_module = module; }

void CResource::SetLanguage(long languageId) { m_language = languageId; }

std::string CResource::GetString(unsigned id) const {
    const long language = HasTable(m_language) ? m_language : LANG_ENGLISH_UK;
    const char* text = LookupString(language, id);
    return text != nullptr ? std::string(text) : std::string();
}

long CResource::DefaultLanguage() {
    // The same precedence the C library uses for message texts.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        return LanguageOfLocale(value);
    }
    return LANG_ENGLISH_UK;
}

bool IsRightToLeft(long languageId) { return languageId == LANG_ARABIC; }

CResource CResource::ForModule() {
    CResource resource(0);
    resource.SetModule(&kModuleTag);
    long language = 0;
    if (CRegistryHelper().bGetDWordAsLongFromRegistry(language, "Language", HKEY_LOCAL_MACHINE, kSuiteRootKey))
        resource.SetLanguage(language);
    return resource;
}

} // namespace corvina
