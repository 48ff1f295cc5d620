// Checks the string tables against the published English texts, the German and US tables' shape,
// and how CResource picks its language.
#include "CRegistryHelper.h"
#include "CResource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace corvina {
namespace {

const std::map<unsigned, std::string>& PublishedEnglish() {
    static const std::map<unsigned, std::string> texts = {
        {500, "Ringtone Editor"},
        {501, "Ringtones on mobile"},
        {502, "Melodies"},
        {503, "Current File:"},
        {504, "Select MIDI track:"},
        {505, "Melody"},
        {506, "User-defined"},
        {507, "All calls"},
        {508, "Read out"},
        {510, "No web browser found."},
        {511, "Transmit"},
        {512, "Edit melody..."},
        {513, "Ringtones on the Internet..."},
        {514, "Please connect the phone whose ringtone you want to change."},
        {517, "Open melodies"},
        {518, "Track"},
        {519, "Channel"},
        {521, "File"},
        {522, "All files"},
        {523, "MIDI files"},
        {524, "Writing to file unsuccessful. A write-protected file with the same name may already exist."},
        {525, "The file or the clip were successfully transferred to the mobile phone."},
        {526, "Transferring of file/clip to the phone unsuccessful."},
        {527, "Settings for:"},
        {528, "Mobile phone ringtones:"},
        {529, "Volume:"},
        {530, "Ringtone"},
        {531, "On"},
        {532, "all"},
        {533, "The clip can only be transferred to connected mobiles whose data has been read out."},
        {534, "that support polyphonic ringtones."},
        {535, "Length:"},
        {536, "Track length:"},
        {537, "It is not possible to write temporary files."},
        {538, "Update"},
        {540, "Please read out the data from the phone in order to change its ringtone."},
        {541, "Profile:"},
        {542, "Reading from standard ringtone folder unsuccessful."},
        {543, "Creating standard ringtone folder on the phone unsuccessful."},
        {544, "The target directory already contains a file with the name \"XXX\","},
        {545, "The target directory contains a write-protected file with the name \"XXX\","},
        {546, "\nlast changed on ZZZ.\n\nDo you want to replace this file?"},
        {547, "The connected phone is not optimally supported by the ringtone editor.\nYou will find Corvina "
              "updates to download under www.halvren-corvina.example/updates."},
        {548, "List loading  ..."},
        {549, "Reading of ringtone information unsuccessful."},
        {550, "Other calls"},
        {4010, "Off"},
        {4011, "Beep"},
        {4012, "Silent alert"},
        {4013, "Current File:"},
        {4014, "Ringtone active"},
        {4015, "Back"},
        {4016, "Continue"},
        {4017, "Select clip:"},
        {4018, "Select MIDI track:"},
        {4019, "File:"},
        {4020, "Track/channel:"},
        {4021, "Format of specified file is not supported!"},
        {4022, "The connected phone does not support this function."},
        {4023, "If you exit Corvina now, unsaved changes in the ringtone editor will be lost.\nDo you want to "
               "exit the program? "},
        {4024, "Unable to open specified file. This may be open in another application."},
        {4025, "Other calls"},
        {4026, "Other calls line 1"},
        {4027, "Other calls line 2"},
        {4028, "Phonebook/Addressbook calls"},
        {4029, "Group calls"},
        {4030, "Alarm"},
        {4031, "Alarm clock"},
        {4032, "Messages"},
        {4033, "Cell broadcast"},
        {4034, "Start melody"},
        {4035, "End melody"},
        {4036, "Open Glidex"},
        {4037, "Close Glidex"},
        {4038, "External Calls"},
        {4039, "Internal Calls"},
        {4040, "Appointments"},
        {4058, "Move clip"},
        {4059, "Move end"},
        {4516, "Save as ..."},
        {4524, "Ringtone selected"},
        {4538, "Move start of clip right"},
        {4556, "Move start of clip left"},
        {4557, "Playback"},
        {4564, "Open ..."},
        {4577, "Stop"},
        {4581, "Move end of clip left"},
        {4584, "Move end of clip right"},
        {4589, "Move end"},
        {4590, "There are no notes in the selected clip."},
        {4595, "Clip start"},
        {4596, "Clip end"},
        {4597, "Length of clip"},
        {4598, "Melody is transmitted ..."},
        {4599, "Transmit file: %s"},
    };
    return texts;
}

std::vector<unsigned> Ids() {
    std::size_t count = 0;
    const unsigned* ids = AllStringIds(count);
    return {ids, ids + count};
}

bool IsUsEnglishException(unsigned id) { return (id >= 4025 && id <= 4035) || id == 4598 || id == 4599; }

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

constexpr const char* kRegWithGerman =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n"
    "\"Language\"=dword:00000407\n";
constexpr const char* kRegWithoutLanguage =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n"
    "\"Port\"=\"/dev/ttyACM0\"\n";

TEST(StringTable, EnglishTextsMatchThePublishedTableByteForByte) {
    const auto& published = PublishedEnglish();
    ASSERT_EQ(published.size(), 95u);
    std::vector<unsigned> expectedIds;
    for (const auto& [id, text] : published) expectedIds.push_back(id);
    // The published texts come first; the editor's own later texts have ids from 4700 on.
    const auto ids = Ids();
    ASSERT_GE(ids.size(), expectedIds.size());
    EXPECT_EQ(std::vector<unsigned>(ids.begin(), ids.begin() + static_cast<long>(expectedIds.size())), expectedIds);
    for (std::size_t i = expectedIds.size(); i < ids.size(); ++i)
        EXPECT_GE(ids[i], 4700u);

    CResource resource;
    resource.SetLanguage(LANG_ENGLISH_UK);
    for (const auto& [id, text] : published) {
        const char* raw = LookupString(LANG_ENGLISH_UK, id);
        ASSERT_NE(raw, nullptr) << id;
        EXPECT_EQ(std::string(raw), text) << id;
        EXPECT_EQ(resource.GetString(id), text) << id;
    }
}

TEST(StringTable, EveryTableIsAscendingWithoutDuplicatesAndHoldsOnlyKnownIds) {
    std::size_t languageCount = 0;
    const long* languages = AllLanguages(languageCount);
    std::vector<long> present(languages, languages + languageCount);
    EXPECT_EQ(present, (std::vector<long>{1025, 1027, 1029, 1030, 1031, 1032, 1033, 1035, 1036, 1038, 1040,
                                          1043, 1044, 1045, 1049, 1053, 1055, 2057, 2070, 3082}));
    const auto ids = Ids();
    const std::set<unsigned> known(ids.begin(), ids.end());
    for (long language : present) {
        std::size_t found = 0;
        for (unsigned id : ids) found += LookupString(language, id) != nullptr;
        EXPECT_EQ(found, ids.size() - (language == LANG_ENGLISH_US ? 5u : 0u)) << language;
    }
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    EXPECT_EQ(known.size(), ids.size());
}

TEST(StringTable, GermanHasEveryTextWithTheSamePlaceholdersAndLineBreaks) {
    auto count = [](const std::string& s, const std::string& what) {
        std::size_t n = 0;
        for (auto pos = s.find(what); pos != std::string::npos; pos = s.find(what, pos + what.size())) ++n;
        return n;
    };
    for (const auto& [id, english] : PublishedEnglish()) {
        const char* raw = LookupString(LANG_GERMAN, id);
        ASSERT_NE(raw, nullptr) << id;
        const std::string german(raw);
        EXPECT_FALSE(german.empty()) << id;
        for (const char* marker : {"\n", "XXX", "ZZZ", "%s"})
            EXPECT_EQ(count(german, marker), count(english, marker)) << id << " " << marker;
        EXPECT_EQ(german.back() == ' ', english.back() == ' ') << id;
    }
    CResource resource;
    resource.SetLanguage(LANG_GERMAN);
    EXPECT_EQ(resource.GetString(529), "Lautstärke:");
    EXPECT_EQ(resource.GetString(4599), "Datei übertragen: %s");
}

TEST(StringTable, UsEnglishRepeatsGermanExceptRingingLinesAndTransmissionAndLacksTheLastLines) {
    CResource us;
    us.SetLanguage(LANG_ENGLISH_US);
    for (const auto& [id, english] : PublishedEnglish()) {
        if (id >= 4036 && id <= 4040) {
            EXPECT_EQ(LookupString(LANG_ENGLISH_US, id), nullptr) << id;
            EXPECT_EQ(us.GetString(id), "") << id;
        } else if (IsUsEnglishException(id)) {
            EXPECT_EQ(us.GetString(id), english) << id;
        } else {
            EXPECT_EQ(us.GetString(id), LookupString(LANG_GERMAN, id)) << id;
        }
    }
    EXPECT_EQ(us.GetString(4030), "Alarm");
    EXPECT_EQ(us.GetString(501), "Ruftöne im Handy");
}

TEST(StringTable, LanguagesWithoutATableFallBackToEnglishAndUnknownIdsAreEmpty) {
    CResource resource;
    for (long language : {1041L, 1042L, 1054L, 2052L}) {
        resource.SetLanguage(language);
        EXPECT_EQ(resource.GetLanguage(), language);
        EXPECT_EQ(LookupString(language, 500), nullptr) << language;
        for (const auto& [id, english] : PublishedEnglish()) EXPECT_EQ(resource.GetString(id), english) << id;
    }
    for (long language : {LANG_ENGLISH_UK, LANG_GERMAN, LANG_ENGLISH_US, 1036L}) {
        resource.SetLanguage(language);
        EXPECT_EQ(resource.GetString(0), "");
        EXPECT_EQ(resource.GetString(509), "");
        EXPECT_EQ(resource.GetString(4600), "");
    }
}

TEST(StringTable, DefaultLanguageFollowsTheLocaleVariablesInOrder) {
    ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr);
    {
        ScopedEnv lang("LANG", "de_DE.UTF-8");
        EXPECT_EQ(CResource::DefaultLanguage(), LANG_GERMAN);
        EXPECT_EQ(CResource().GetLanguage(), LANG_GERMAN);
        EXPECT_EQ(CResource().GetString(502), "Melodien");
    }
    {
        ScopedEnv lang("LANG", "ja_JP.UTF-8");
        EXPECT_EQ(CResource::DefaultLanguage(), LANG_ENGLISH_UK);
        ScopedEnv msg("LC_MESSAGES", "de_AT");
        EXPECT_EQ(CResource::DefaultLanguage(), LANG_GERMAN);
        ScopedEnv lcAll("LC_ALL", "C");
        EXPECT_EQ(CResource::DefaultLanguage(), LANG_ENGLISH_UK);
    }
    ScopedEnv lang("LANG", nullptr);
    EXPECT_EQ(CResource::DefaultLanguage(), LANG_ENGLISH_UK);
}

TEST(StringTable, ForModuleTakesTheRegistryLanguageOrKeepsTheDefault) {
    ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", "en_GB.UTF-8");
    Registry::Instance().LoadText(kRegWithGerman);
    EXPECT_EQ(CResource::ForModule().GetLanguage(), LANG_GERMAN);
    EXPECT_EQ(CResource::ForModule().GetString(511), "Übertragen");

    Registry::Instance().LoadText(kRegWithoutLanguage);
    EXPECT_EQ(CResource::ForModule().GetLanguage(), LANG_ENGLISH_UK);
    EXPECT_EQ(CResource::ForModule().GetString(511), "Transmit");
}

TEST(StringTable, SharedStringsAreOneObjectUntilDestroyedAndThenReadTheRegistryAgain) {
    ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", "en_GB.UTF-8");
    Registry::Instance().LoadText(kRegWithoutLanguage);
    CSharedStrings::Destroy();

    std::vector<CResource*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i) threads.emplace_back([&seen, i] { seen[i] = &CSharedStrings::Get(); });
    for (auto& t : threads) t.join();
    for (CResource* p : seen) EXPECT_EQ(p, seen.front());
    EXPECT_EQ(CSharedStrings::Get().GetString(4557), "Playback");

    Registry::Instance().LoadText(kRegWithGerman);
    EXPECT_EQ(CSharedStrings::Get().GetString(4557), "Playback"); // the loader keeps its language
    CSharedStrings::Destroy();
    EXPECT_EQ(CSharedStrings::Get().GetString(4557), "Wiedergabe");
    CSharedStrings::Destroy();
    Registry::Instance().LoadText(kRegWithoutLanguage);
}

} // namespace
} // namespace corvina
