// Language-aware access to the module's string table.
#pragma once

#include <ctime>
#include <string>

namespace corvina {

// Language ids of the string table.
constexpr long LANG_ENGLISH_UK = 2057;
constexpr long LANG_ENGLISH_US = 1033;
constexpr long LANG_GERMAN = 1031;
constexpr long LANG_ARABIC = 1025;

class CResource {
public:
    // Starts in the user's default language (DefaultLanguage()).
    explicit CResource(unsigned short reserved = 0);
    // Binds the loader to a module; the editor has one string table, so any handle selects it.
    void SetModule(const void* module);
    // Selects the language; a language without a table falls back to English (2057).
    void SetLanguage(long languageId);
    long GetLanguage() const { return m_language; }
    // The text of a string id in the selected language; "" for an id the table lacks.
    std::string GetString(unsigned id) const;
    // A date and time (local time fields) as the user's locale writes them: the locale of LC_ALL,
    // LC_TIME or LANG when it is of the selected language, otherwise the language's own locale;
    // years always with four digits. "%d.%m.%Y %H:%M:%S" when the system lacks the locale.
    std::string FormatDateTime(const std::tm& local) const;

    // The language of the user's locale (LC_ALL, LC_MESSAGES, LANG): the table of the locale's
    // language, English (2057) for English and every locale without a table of its own.
    static long DefaultLanguage();
    // A resource object as every dialog constructor makes it: this module, and the language of
    // the registry value "Language" under the suite root when it can be read.
    static CResource ForModule();

private:
    long m_language;
    const void* m_module = nullptr;
};

// The process-wide loader shared by the clip editor, the file dialog and the transmission.
// Created on first use; Destroy() drops it, and the next use creates it anew.
class CSharedStrings {
public:
    static CResource& Get();
    static void Destroy();
};

// The locale name (language_TERRITORY) of a string-table language id, "" for an unknown id.
std::string LocaleNameOfLanguage(long languageId);

// Whether a language is written right to left, so that its dialogs are mirrored.
bool IsRightToLeft(long languageId);

// Every string id of the table, ascending.
const unsigned* AllStringIds(std::size_t& count);
// The raw table entry of one language, or nullptr when that language's table lacks the id
// (languages without a table of their own answer nullptr for every id).
const char* LookupString(long languageId, unsigned id);
// The language ids that have a table of their own.
const long* AllLanguages(std::size_t& count);

} // namespace corvina
