// Checks every language's string table against the English one (all ids, the same placeholders and
// line breaks, real translations) and how CResource picks its language from the locale and the
// registry, and falls back.
#include "CRegistryHelper.h"
#include "CResource.h"
#include "ScopedEnv.h"
#include "StringTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace corvina {
namespace {

using test::ScopedEnv;

// What AllLanguages or AllStringIds lists, as a vector.
template <typename T>
std::vector<T> Listed(const T* (*list)(std::size_t&))
{
    std::size_t count = 0;
    const T* first = list(count);
    return {first, first + count};
}

std::string English(unsigned id)
{
    return LookupString(LANG_ENGLISH_UK, id);
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + what.size()))
        ++n;
    return n;
}

// Where the {name} placeholder starting at `at` ends (one past its brace), or npos when none starts there.
std::size_t PlaceholderEnd(const std::string& text, std::size_t at)
{
    if (text[at] != '{')
        return std::string::npos;
    std::size_t end = at + 1;
    while (end < text.size() && ((text[end] >= 'a' && text[end] <= 'z') || text[end] == '_'))
        ++end;
    return end > at + 1 && end < text.size() && text[end] == '}' ? end + 1 : std::string::npos;
}

// The {name} placeholders of a text with how often each occurs.
std::map<std::string, int> Placeholders(const std::string& text)
{
    std::map<std::string, int> found;
    for (std::size_t at = 0; at < text.size(); ++at)
        if (const std::size_t end = PlaceholderEnd(text, at); end != std::string::npos) {
            ++found[text.substr(at, end - at)];
            at = end - 1;
        }
    return found;
}

// False for texts made of placeholders, units and separators only ("{size} KB", "; "): a word is
// three Latin letters in a row outside the placeholders.
bool HasWords(const std::string& text)
{
    const auto latin = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    int letters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (const std::size_t end = PlaceholderEnd(text, at); end != std::string::npos) {
            at = end - 1;
            letters = 0;
        } else if (latin(text[at]) && ++letters == 3) {
            return true;
        } else if (!latin(text[at])) {
            letters = 0;
        }
    }
    return false;
}

// The US table has no texts for the last five ringing lines.
bool LacksId(long language, unsigned id)
{
    return language == LANG_ENGLISH_US && id >= 4036 && id <= 4040;
}

std::string RegistryWithLanguage(long language)
{
    char value[16];
    std::snprintf(value, sizeof value, "%08lx", static_cast<unsigned long>(language));
    return std::string("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n") +
           (language ? std::string("\"Language\"=dword:") + value : "\"Port\"=\"/dev/ttyACM0\"") + "\n";
}

// Per language with a table, "Playback" (a table compiled under the wrong id shows up here) and the part
// every form of its word for a MIDI track shares (Raita/Raidan, Дорожка/дорожки).
const std::map<long, std::pair<std::string, std::string>> kWords = {
    {1025, {"تشغيل", "مسار"}},      {1027, {"Reprodueix", "ista"}},  {1029, {"Přehrát", "top"}},
    {1030, {"Afspil", "por"}},      {1031, {"Wiedergabe", "pur"}},   {1032, {"Αναπαραγωγή", "ομμ"}},
    {1033, {"Wiedergabe", "pur"}},  {1035, {"Toista", "ai"}},        {1036, {"Lecture", "iste"}},
    {1038, {"Lejátszás", "áv"}},    {1040, {"Riproduci", "raccia"}}, {1043, {"Afspelen", "poor"}},
    {1044, {"Spill av", "por"}},    {1045, {"Odtwórz", "cież"}},     {1049, {"Воспроизвести", "орожк"}},
    {1053, {"Spela upp", "pår"}},   {1055, {"Çal", "arça"}},         {2057, {"Playback", "rack"}},
    {2070, {"Reproduzir", "aixa"}}, {3082, {"Reproducir", "ista"}},
};

TEST(StringTable, IdsAscendAndEveryTableHoldsEachKnownIdAtMostOnce)
{
    const auto ids = Listed(AllStringIds);
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end(), std::greater_equal<unsigned>()), ids.end());
    std::size_t count = 0;
    const StringTable* const* tables = AllStringTables(count);
    for (std::size_t t = 0; t < count; ++t) {
        std::set<unsigned> seen;
        for (std::size_t e = 0; e < tables[t]->count; ++e) {
            const unsigned id = tables[t]->entries[e].id;
            EXPECT_TRUE(std::binary_search(ids.begin(), ids.end(), id)) << tables[t]->language << " " << id;
            EXPECT_TRUE(seen.insert(id).second) << tables[t]->language << " " << id;
        }
    }
}

TEST(StringTable, EveryTableHasEveryTextWithTheEnglishPlaceholdersLineBreaksAndNames)
{
    for (long language : Listed(AllLanguages)) {
        SCOPED_TRACE(language);
        for (unsigned id : Listed(AllStringIds)) {
            const char* raw = LookupString(language, id);
            if (LacksId(language, id)) {
                EXPECT_EQ(raw, nullptr) << id;
                continue;
            }
            ASSERT_NE(raw, nullptr) << id;
            const std::string text(raw), english = English(id);
            EXPECT_FALSE(text.empty()) << id;
            for (const char* marker : {"\n", "\"XXX\"", "ZZZ", "%s", "Corvina", "Glidex", "MIDI", "sudo adduser $USER",
                                       "corvina(1)", "rfcomm", "udev"})
                EXPECT_EQ(Count(text, marker), Count(english, marker)) << id << " " << marker;
            EXPECT_EQ(Placeholders(text), Placeholders(english)) << id;
            EXPECT_EQ(text.back() == ' ', english.back() == ' ') << id;
        }
        EXPECT_EQ(Count(LookupString(language, 547), "www.halvren-corvina.example/updates"), 1u);
        // 533 loses its last character when 534 is appended to it.
        EXPECT_TRUE(std::string(LookupString(language, 533)).ends_with(".")) << LookupString(language, 533);
        // The German texts (also in the US table) write the list message with a single blank.
        if (language != LANG_GERMAN && language != LANG_ENGLISH_US) {
            EXPECT_TRUE(std::string(LookupString(language, 548)).ends_with("  ...")) << LookupString(language, 548);
        }
    }
}

TEST(Translations, EachLanguageCallsATrackByOneWordInTheListItsLabelsAndTheClipEditor)
{
    for (const auto& [language, words] : kWords)
        for (unsigned id : {504u, 518u, 536u, 4018u, 4020u})
            EXPECT_NE(std::string(LookupString(language, id)).find(words.second), std::string::npos)
                << language << " " << id << " \"" << LookupString(language, id) << "\"";
}

TEST(Translations, NoTableIsACopyOfTheEnglishOneAndTheUsTableIsTheGermanWithSomeEnglishLines)
{
    // The US table keeps English for the first ringing lines, the transmission and the later texts on purpose.
    const auto usKeepsEnglish = [](unsigned id) { return (id >= 4025 && id <= 4035) || id >= 4598; };
    for (long language : Listed(AllLanguages)) {
        if (language == LANG_ENGLISH_UK)
            continue;
        std::vector<unsigned> same;
        std::string listed;
        for (unsigned id : Listed(AllStringIds)) {
            const char* raw = LookupString(language, id);
            const bool usEnglish = language == LANG_ENGLISH_US && usKeepsEnglish(id);
            if (raw != nullptr && !usEnglish && English(id) == raw && HasWords(raw)) {
                same.push_back(id);
                listed += " " + std::to_string(id) + " \"" + English(id) + "\"";
            }
        }
        // Only short words that the language shares with English ("Alarm", "Stop") may stay.
        EXPECT_LE(same.size(), 3u) << "language " << language << ": texts as in English:" << listed;
    }
    CResource us;
    us.SetLanguage(LANG_ENGLISH_US);
    for (unsigned id : Listed(AllStringIds)) {
        if (LacksId(LANG_ENGLISH_US, id))
            EXPECT_EQ(us.GetString(id), "") << id;
        else
            EXPECT_EQ(us.GetString(id), usKeepsEnglish(id) ? English(id) : LookupString(LANG_GERMAN, id)) << id;
    }
}

TEST(Translations, ALanguageIdSelectsItsOwnTextsAndOnlyArabicIsWrittenRightToLeft)
{
    std::vector<long> withWords;
    for (const auto& [language, words] : kWords)
        withWords.push_back(language);
    EXPECT_EQ(Listed(AllLanguages), withWords);
    CResource resource;
    for (const auto& [language, words] : kWords) {
        resource.SetLanguage(language);
        EXPECT_EQ(resource.GetString(4557), words.first) << language;
        if (language != LANG_ENGLISH_UK) {
            EXPECT_NE(resource.GetString(511), English(511)) << language;
        }
        EXPECT_EQ(IsRightToLeft(language), language == LANG_ARABIC) << language;
    }
    EXPECT_FALSE(IsRightToLeft(0));
}

TEST(StringTable, LanguagesWithoutATableFallBackToEnglishAndUnknownIdsAreEmpty)
{
    CResource resource;
    for (long language : {1041L, 1042L, 1054L, 2052L}) {
        resource.SetLanguage(language);
        EXPECT_EQ(resource.GetLanguage(), language);
        EXPECT_EQ(LookupString(language, 500), nullptr) << language;
        for (unsigned id : Listed(AllStringIds))
            EXPECT_EQ(resource.GetString(id), English(id)) << id;
    }
    for (long language : {LANG_ENGLISH_UK, LANG_GERMAN, LANG_ENGLISH_US, 1036L}) {
        resource.SetLanguage(language);
        for (unsigned id : {0u, 509u, 4600u})
            EXPECT_EQ(resource.GetString(id), "") << language << " " << id;
    }
}

TEST(StringTable, TheLocaleVariablesPickTheMatchingLanguageInTheirOrderAndEnglishOtherwise)
{
    ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr);
    const std::map<std::string, long> expected = {
        {"ar_EG.UTF-8", 1025}, {"ar", 1025},          {"ca_ES@valencia", 1027},
        {"cs_CZ.UTF-8", 1029}, {"da_DK", 1030},       {"de_CH.UTF-8", 1031},
        {"el_GR.UTF-8", 1032}, {"fi_FI", 1035},       {"fr_FR.UTF-8", 1036},
        {"fr_CA", 1036},       {"hu_HU", 1038},       {"it_IT.UTF-8", 1040},
        {"nl_BE", 1043},       {"nb_NO.UTF-8", 1044}, {"nn_NO", 1044},
        {"no_NO", 1044},       {"pl_PL", 1045},       {"ru_RU.UTF-8", 1049},
        {"sv_FI", 1053},       {"tr_TR.UTF-8", 1055}, {"pt_PT", 2070},
        {"pt_BR.UTF-8", 2070}, {"es_ES.UTF-8", 3082}, {"es_MX", 3082},
        {"en_US.UTF-8", 2057}, {"en_GB", 2057},       {"C", 2057},
        {"POSIX", 2057},       {"ja_JP.UTF-8", 2057}, {"frr_DE", 2057},
        {"e", 2057},           {"sr_RS@latin", 2057},
    };
    for (const auto& [locale, language] : expected) {
        ScopedEnv lang("LANG", locale.c_str());
        EXPECT_EQ(CResource::DefaultLanguage(), language) << locale;
    }
    {
        ScopedEnv lang("LANG", "de_DE.UTF-8");
        EXPECT_EQ(CResource().GetLanguage(), LANG_GERMAN);
        EXPECT_EQ(CResource().GetString(502), "Melodien");
    }
    ScopedEnv lang("LANG", "ja_JP.UTF-8");
    {
        ScopedEnv msg("LC_MESSAGES", "de_AT");
        EXPECT_EQ(CResource::DefaultLanguage(), LANG_GERMAN);
        ScopedEnv lcAll("LC_ALL", "it_IT.UTF-8");
        EXPECT_EQ(CResource::DefaultLanguage(), 1040);
    }
    ScopedEnv noLang("LANG", nullptr);
    EXPECT_EQ(CResource::DefaultLanguage(), LANG_ENGLISH_UK);
}

TEST(StringTable, TheRegistryLanguageValueSelectsEachLanguageAndWithoutItTheLocaleDecides)
{
    ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", "en_GB.UTF-8");
    for (long language : Listed(AllLanguages)) {
        Registry::Instance().LoadText(RegistryWithLanguage(language));
        const CResource resource = CResource::ForModule();
        EXPECT_EQ(resource.GetLanguage(), language);
        EXPECT_EQ(resource.GetString(4557), kWords.at(language).first) << language;
    }
    Registry::Instance().LoadText(RegistryWithLanguage(0));
    EXPECT_EQ(CResource::ForModule().GetLanguage(), LANG_ENGLISH_UK);
    ScopedEnv german("LANG", "de_DE.UTF-8");
    EXPECT_EQ(CResource::ForModule().GetLanguage(), LANG_GERMAN);
}

TEST(StringTable, SharedStringsAreOneObjectUntilDestroyedAndThenReadTheRegistryAgain)
{
    ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", "en_GB.UTF-8");
    Registry::Instance().LoadText(RegistryWithLanguage(0));
    CSharedStrings::Destroy();

    std::vector<CResource*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = &CSharedStrings::Get(); });
    for (auto& t : threads)
        t.join();
    for (CResource* p : seen)
        EXPECT_EQ(p, seen.front());
    EXPECT_EQ(CSharedStrings::Get().GetString(4557), "Playback");

    Registry::Instance().LoadText(RegistryWithLanguage(LANG_GERMAN));
    EXPECT_EQ(CSharedStrings::Get().GetString(4557), "Playback"); // the loader keeps its language
    CSharedStrings::Destroy();
    EXPECT_EQ(CSharedStrings::Get().GetString(4557), "Wiedergabe");
    CSharedStrings::Destroy();
    Registry::Instance().LoadText(RegistryWithLanguage(0));
}

} // namespace
} // namespace corvina
