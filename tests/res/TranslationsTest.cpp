// Checks every language's string table against the English one: all ids, the same placeholders and
// line breaks, real translations; and how the registry and the locale pick a language.
#include "CRegistryHelper.h"
#include "CResource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace corvina {
namespace {

std::vector<long> Languages() {
    std::size_t count = 0;
    const long* languages = AllLanguages(count);
    return {languages, languages + count};
}

std::vector<unsigned> Ids() {
    std::size_t count = 0;
    const unsigned* ids = AllStringIds(count);
    return {ids, ids + count};
}

std::string English(unsigned id) { return LookupString(LANG_ENGLISH_UK, id); }

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + what.size())) ++n;
    return n;
}

// The {name} placeholders of a text with how often each occurs.
std::map<std::string, int> Placeholders(const std::string& text) {
    std::map<std::string, int> found;
    static const std::regex placeholder(R"(\{[a-z_]+\})");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder); it != std::sregex_iterator(); ++it)
        ++found[it->str()];
    return found;
}

// False for texts made of placeholders, units and separators only ("{size} KB", "; ").
bool HasWords(const std::string& text) {
    const std::string bare = std::regex_replace(text, std::regex(R"(\{[a-z_]+\})"), "");
    return std::regex_search(bare, std::regex("[A-Za-z]{3}"));
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The US table has no texts for the last five ringing lines.
bool LacksId(long language, unsigned id) { return language == LANG_ENGLISH_US && id >= 4036 && id <= 4040; }

// Sets or clears one environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value) ::setenv(name, value, 1); else ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old) ::setenv(m_name, m_old->c_str(), 1); else ::unsetenv(m_name);
    }
private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// "Playback" in each language with a table: a table compiled under the wrong id shows up here.
const std::map<long, std::string> kPlayback = {
    {1025, "تشغيل"},          {1027, "Reprodueix"}, {1029, "Přehrát"},       {1030, "Afspil"},
    {1031, "Wiedergabe"},    {1032, "Αναπαραγωγή"}, {1033, "Wiedergabe"},    {1035, "Toista"},
    {1036, "Lecture"},       {1038, "Lejátszás"},  {1040, "Riproduci"},     {1043, "Afspelen"},
    {1044, "Spill av"},      {1045, "Odtwórz"},    {1049, "Воспроизвести"}, {1053, "Spela upp"},
    {1055, "Çal"},           {2057, "Playback"},   {2070, "Reproduzir"},    {3082, "Reproducir"},
};

TEST(Translations, EveryTableHasEveryTextWithTheEnglishPlaceholdersLineBreaksAndNames) {
    for (long language : Languages()) {
        SCOPED_TRACE(language);
        for (unsigned id : Ids()) {
            const char* raw = LookupString(language, id);
            if (LacksId(language, id)) {
                EXPECT_EQ(raw, nullptr) << id;
                continue;
            }
            ASSERT_NE(raw, nullptr) << id;
            const std::string text(raw), english = English(id);
            EXPECT_FALSE(text.empty()) << id;
            for (const char* marker : {"\n", "\"XXX\"", "ZZZ", "%s", "Corvina", "Glidex", "MIDI",
                                       "sudo adduser $USER", "corvina(1)", "rfcomm", "udev"})
                EXPECT_EQ(Count(text, marker), Count(english, marker)) << id << " " << marker;
            EXPECT_EQ(Placeholders(text), Placeholders(english)) << id;
            EXPECT_EQ(text.back() == ' ', english.back() == ' ') << id;
        }
        EXPECT_EQ(Count(LookupString(language, 547), "www.halvren-corvina.example/updates"), 1u);
        // 533 loses its last character when 534 is appended to it.
        EXPECT_TRUE(EndsWith(LookupString(language, 533), ".")) << LookupString(language, 533);
        // The German texts (also in the US table) write the list message with a single blank.
        if (language != LANG_GERMAN && language != LANG_ENGLISH_US) {
            EXPECT_TRUE(EndsWith(LookupString(language, 548), "  ...")) << LookupString(language, 548);
        }
    }
}

// The part every form of a language's word for a MIDI track shares (Raita/Raidan, Дорожка/дорожки).
const std::map<long, std::string> kTrackWord = {
    {1025, "مسار"},  {1027, "ista"}, {1029, "top"},    {1030, "por"},    {1031, "pur"},   {1032, "ομμ"},
    {1033, "pur"},   {1035, "ai"},   {1036, "iste"},   {1038, "áv"},     {1040, "raccia"}, {1043, "poor"},
    {1044, "por"},   {1045, "cież"}, {1049, "орожк"},  {1053, "pår"},    {1055, "arça"},  {2057, "rack"},
    {2070, "aixa"},  {3082, "ista"},
};

TEST(Translations, EachLanguageCallsATrackByOneWordInTheListItsLabelsAndTheClipEditor) {
    for (long language : Languages()) {
        ASSERT_TRUE(kTrackWord.count(language)) << language;
        for (unsigned id : {504u, 518u, 536u, 4018u, 4020u})
            EXPECT_NE(std::string(LookupString(language, id)).find(kTrackWord.at(language)), std::string::npos)
                << language << " " << id << " \"" << LookupString(language, id) << "\"";
    }
}

TEST(Translations, NoTableIsACopyOfTheEnglishOne) {
    for (long language : Languages()) {
        if (language == LANG_ENGLISH_UK) continue;
        std::vector<unsigned> same;
        for (unsigned id : Ids()) {
            const char* raw = LookupString(language, id);
            // The US table keeps English for the ringing lines and the transmission on purpose.
            const bool usEnglish = language == LANG_ENGLISH_US && ((id >= 4025 && id <= 4035) || id >= 4598);
            if (raw != nullptr && !usEnglish && English(id) == raw && HasWords(raw)) same.push_back(id);
        }
        std::cout << "language " << language << ": " << same.size() << " texts as in English:";
        for (unsigned id : same) std::cout << " " << id << " \"" << English(id) << "\"";
        std::cout << "\n";
        // Only short words that the language shares with English ("Alarm", "Stop") may stay.
        EXPECT_LE(same.size(), 3u) << language;
    }
}

TEST(Translations, ALanguageIdSelectsItsOwnTexts) {
    std::vector<long> withPlayback;
    for (const auto& [language, playback] : kPlayback) withPlayback.push_back(language);
    EXPECT_EQ(Languages(), withPlayback);
    EXPECT_EQ(Languages().size(), 20u);
    CResource resource;
    for (const auto& [language, playback] : kPlayback) {
        resource.SetLanguage(language);
        EXPECT_EQ(resource.GetString(4557), playback) << language;
        if (language != LANG_ENGLISH_UK) {
            EXPECT_NE(resource.GetString(511), English(511)) << language;
        }
    }
}

TEST(Translations, TheRegistryLanguageValueSelectsEachLanguage) {
    ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", "en_GB.UTF-8");
    for (long language : Languages()) {
        char value[16];
        std::snprintf(value, sizeof value, "%08lx", language);
        Registry::Instance().LoadText(std::string("Windows Registry Editor Version 5.00\n\n"
                                                  "[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n"
                                                  "\"Language\"=dword:") + value + "\n");
        const CResource resource = CResource::ForModule();
        EXPECT_EQ(resource.GetLanguage(), language);
        EXPECT_EQ(resource.GetString(4557), kPlayback.at(language)) << language;
    }
    Registry::Instance().LoadText("Windows Registry Editor Version 5.00\n");
}

TEST(Translations, TheLocalePicksTheMatchingLanguageAndEnglishOtherwise) {
    ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr);
    const std::map<std::string, long> expected = {
        {"ar_EG.UTF-8", 1025}, {"ar", 1025},          {"ca_ES@valencia", 1027}, {"cs_CZ.UTF-8", 1029},
        {"da_DK", 1030},       {"de_CH.UTF-8", 1031}, {"el_GR.UTF-8", 1032},    {"fi_FI", 1035},
        {"fr_FR.UTF-8", 1036}, {"fr_CA", 1036},       {"hu_HU", 1038},          {"it_IT.UTF-8", 1040},
        {"nl_BE", 1043},       {"nb_NO.UTF-8", 1044}, {"nn_NO", 1044},          {"no_NO", 1044},
        {"pl_PL", 1045},       {"ru_RU.UTF-8", 1049}, {"sv_FI", 1053},          {"tr_TR.UTF-8", 1055},
        {"pt_PT", 2070},       {"pt_BR.UTF-8", 2070}, {"es_ES.UTF-8", 3082},    {"es_MX", 3082},
        {"en_US.UTF-8", 2057}, {"en_GB", 2057},       {"C", 2057},              {"POSIX", 2057},
        {"ja_JP.UTF-8", 2057}, {"frr_DE", 2057},      {"e", 2057},              {"sr_RS@latin", 2057},
    };
    for (const auto& [locale, language] : expected) {
        ScopedEnv lang("LANG", locale.c_str());
        EXPECT_EQ(CResource::DefaultLanguage(), language) << locale;
    }
    ScopedEnv lang("LANG", "en_US.UTF-8");
    ScopedEnv lcAll("LC_ALL", "it_IT.UTF-8");
    EXPECT_EQ(CResource::DefaultLanguage(), 1040);
}

TEST(Translations, OnlyArabicIsWrittenRightToLeft) {
    for (long language : {1025L, 1027L, 1029L, 1030L, 1031L, 1032L, 1033L, 1035L, 1036L, 1038L, 1040L, 1043L,
                          1044L, 1045L, 1049L, 1053L, 1055L, 2057L, 2070L, 3082L})
        EXPECT_EQ(IsRightToLeft(language), language == LANG_ARABIC) << language;
    EXPECT_FALSE(IsRightToLeft(0));
}

} // namespace
} // namespace corvina
