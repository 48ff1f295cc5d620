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
        const std::string_view locale(value);
        return locale.substr(0, 2) == "de" ? LANG_GERMAN : LANG_ENGLISH_UK;
    }
    return LANG_ENGLISH_UK;
}

CResource CResource::ForModule() {
    CResource resource(0);
    resource.SetModule(&kModuleTag);
    long language = 0;
    if (CRegistryHelper().bGetDWordAsLongFromRegistry(language, "Language", HKEY_LOCAL_MACHINE, kSuiteRootKey))
        resource.SetLanguage(language);
    return resource;
}

} // namespace corvina
