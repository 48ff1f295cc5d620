// Helpers shared by the phone tests: a scratch folder, registry texts and a fake message box.
#pragma once

#include "CRegistryHelper.h"
#include "UiServices.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace corvina::test {

// A fresh folder under the temporary folder, removed with the object.
class ScratchDir {
public:
    ScratchDir()
    {
        std::string templ = (std::filesystem::temp_directory_path() / "corvina-phone-XXXXXX").string();
        m_path = ::mkdtemp(templ.data());
    }
    ~ScratchDir()
    {
        std::error_code ec;
        // Read-only files made by a test must not stop the clean-up.
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// The shipped service registrations plus the given suite-root values ("\"Port\"=\"...\"" lines).
inline void LoadRegistry(const std::string& suiteValues)
{
    std::string text = ReadText(CORVINA_SERVICES_REG);
    text += "\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n" + suiteValues + "\n";
    Registry::Instance().LoadText(text);
}

// A registry string value line with backslashes escaped.
inline std::string RegString(const std::string& name, const std::string& value)
{
    std::string escaped;
    for (char c : value)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "\"" + name + "\"=\"" + escaped + "\"\n";
}

// Records message boxes instead of showing them.
class RecordingUi : public IUiServices {
public:
    RecordingUi() { m_previous = InstallUiServices(this); }
    ~RecordingUi() override { InstallUiServices(m_previous); }
    int MessageBox(const std::string& text, const std::string&, unsigned) override
    {
        m_texts.push_back(text);
        return IDOK;
    }
    int Ask(const std::string& text, const std::vector<std::string>&) override
    {
        m_texts.push_back(text);
        return 0;
    }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    const std::vector<std::string>& Texts() const { return m_texts; }

private:
    IUiServices* m_previous = nullptr;
    std::vector<std::string> m_texts;
};

} // namespace corvina::test
