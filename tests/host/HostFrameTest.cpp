// The host's window on a display, with the virtual phone behind links in a private folder that
// "PortCandidates" names: the status line follows the phone as it comes and goes and says why a
// device is no phone; "Phone connection…" is driven with the real pointer and keys.
#include "ButtonClicks.h"
#include "CHostFrame.h"
#include "EditorWithPhone.h"
#include "FakeUi.h"
#include "RealInput.h"
#include "ScopedEnv.h"
#include "UserSettings.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dataview.h>
#include <wx/dialog.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/weakref.h>

#include <cerrno>
#include <functional>
#include <grp.h>
#include <sys/stat.h>

namespace corvina {
namespace {

namespace fs = std::filesystem;

// The first window of the class below the window.
template <class T>
T* FindChild(wxWindow* window)
{
    for (wxWindow* child : window->GetChildren()) {
        if (auto* found = dynamic_cast<T*>(child))
            return found;
        if (T* found = FindChild<T>(child))
            return found;
    }
    return nullptr;
}

// Runs steps one after another while a modal dialog runs: each step is tried every 50 ms until it
// says it is done.
class ModalScript : public wxTimer {
public:
    explicit ModalScript(std::vector<std::function<bool()>> steps) : m_steps(std::move(steps)) { Start(50); }
    void Notify() override
    {
        if (m_next < m_steps.size() && m_steps[m_next]())
            ++m_next;
        if (m_next == m_steps.size())
            Stop();
    }
    bool Done() const { return m_next == m_steps.size(); }

private:
    std::vector<std::function<bool()>> m_steps;
    std::size_t m_next = 0;
};

class HostFrameTest : public test::VirtualPhoneTest {
protected:
    HostFrameTest()
    {
        fs::create_directories(m_links);
        test::LoadEditorRegistry("\"AtTimeoutMs\"=dword:000007d0\n\"PortCandidates\"=\"" + (m_links / "tty*").string() +
                                 "\"");
    }
    void TearDown() override
    {
        if (m_frame) {
            m_frame->Destroy();
            test::DispatchPending();
        }
        Registry::Instance().LoadText("");
    }
    // The status line says the text within the time.
    bool Says(const std::string& text, int timeoutMs = 2000)
    {
        return test::DispatchUntil([&] { return m_frame->StatusText() == text; }, timeoutMs);
    }

    test::ScratchFolder m_folder;
    fs::path m_links = m_folder.Path() / "links";
    test::ScopedEnv m_config{"XDG_CONFIG_HOME", (m_folder.Path() / "config").string()};
    test::FakeUi m_ui;
    CHostFrame* m_frame = nullptr;
};

TEST_F(HostFrameTest, TheStatusLineFollowsThePhoneAndSaysWhyADeviceIsNoPhone)
{
    // Opening the link named "locked" is refused, as for a user outside the device's group.
    m_frame = new CHostFrame(
        [](const std::string& device) { return device.find("locked") != std::string::npos ? EACCES : 0; });
    m_frame->Show();
    m_frame->Editor()->Show();
    // The window holds the editor and the status line, and cannot be made smaller.
    const wxSize whole = m_frame->GetClientSize();
    EXPECT_GT(whole.GetHeight(), m_frame->Editor()->GetSize().GetHeight());
    m_frame->SetClientSize(whole.GetWidth() / 2, whole.GetHeight() / 2);
    test::DispatchPending();
    EXPECT_EQ(m_frame->GetClientSize(), whole);

    m_frame->StartDetection();
    const std::string none = "No phone found. Connect it by USB cable, or bind a Bluetooth phone with rfcomm.";
    ASSERT_TRUE(Says(none)) << m_frame->StatusText();

    // Plugged in: found and read out.
    auto phone = std::make_unique<test::VirtualPhone>(m_folder.Path() / "one", "CX70");
    ASSERT_TRUE(phone->Ready());
    const fs::path link = m_links / "ttyPhone";
    fs::create_symlink(phone->Port(), link);
    EXPECT_TRUE(test::DispatchUntil([&] { return m_frame->StatusText().rfind("Connected: ", 0) == 0; }, 2000))
        << m_frame->StatusText();
    EXPECT_NE(m_frame->StatusText().find(link.string()), std::string::npos) << m_frame->StatusText();
    ASSERT_TRUE(test::DispatchUntil([&] { return m_frame->Editor()->WasRead() != 0; }, 15000));

    // Unplugged: noticed, and the pages go back to no phone.
    fs::remove(link);
    phone.reset();
    EXPECT_TRUE(Says(none)) << m_frame->StatusText();
    EXPECT_TRUE(test::DispatchUntil([&] { return m_frame->Editor()->GetCurImei().empty(); }));
    EXPECT_FALSE(m_frame->Editor()->IsConnected());

    // Something that answers garbage is no phone; a device the user may not open names its group.
    test::VirtualPhone babbling(m_folder.Path() / "two", "CX70", {"--garbage", "AT+CGSN"});
    ASSERT_TRUE(babbling.Ready());
    fs::create_symlink(babbling.Port(), m_links / "ttyBabbling");
    EXPECT_TRUE(
        Says((m_links / "ttyBabbling").string() + " answers, but not as a phone. Still looking on the other ports."))
        << m_frame->StatusText();
    fs::create_symlink(babbling.Port(), m_links / "ttylocked");
    const std::string group = [&] {
        struct stat info {};
        ::stat(babbling.Port().c_str(), &info);
        const struct group* owner = ::getgrgid(info.st_gid);
        return owner ? std::string(owner->gr_name) : std::to_string(info.st_gid);
    }();
    EXPECT_TRUE(Says("You may not open " + (m_links / "ttylocked").string() + ": it belongs to the group " + group +
                     ". Join that group (sudo adduser $USER " + group + ") and log in again."))
        << m_frame->StatusText();
}

TEST_F(HostFrameTest, APortChosenByHandInPhoneConnectionIsSavedAndUsedAtOnce)
{
    test::VirtualPhone phone(m_folder.Path() / "one", "CX70");
    ASSERT_TRUE(phone.Ready());
    // A port outside the candidates: only a choice by hand finds it.
    const fs::path elsewhere = m_folder.Path() / "serial-by-hand";
    fs::create_symlink(phone.Port(), elsewhere);
    // Among the candidates, a device that is no phone.
    test::VirtualPhone babbling(m_folder.Path() / "two", "CX70", {"--garbage", "AT+CGSN"});
    ASSERT_TRUE(babbling.Ready());
    fs::create_symlink(babbling.Port(), m_links / "ttyBabbling");
    m_frame = new CHostFrame();
    m_frame->Show();
    m_frame->Editor()->Show();
    m_frame->StartDetection();
    ASSERT_TRUE(
        Says((m_links / "ttyBabbling").string() + " answers, but not as a phone. Still looking on the other ports."));
    ASSERT_TRUE(test::ShowForInput(m_frame));

    wxWeakRef<wxDialog> dialog; // gone once the user has closed it
    ModalScript script({
        [&] {
            for (wxWindow* window : wxTopLevelWindows)
                if (auto* shown = dynamic_cast<wxDialog*>(window);
                    shown && shown->IsModal() && shown->IsShownOnScreen())
                    dialog = shown;
            return dialog != nullptr;
        },
        [&] {
            // "Look again" probes the listed devices and says what each is.
            for (wxWindow* child : dialog->GetChildren())
                if (auto* button = dynamic_cast<wxButton*>(child); button && button->GetLabel() == "Look again")
                    test::Click(button, wxPoint(button->GetSize().GetWidth() / 2, button->GetSize().GetHeight() / 2));
            return true;
        },
        [&] {
            auto* list = FindChild<wxDataViewListCtrl>(dialog);
            return list->GetItemCount() == 1 && list->GetTextValue(0, 0) == (m_links / "ttyBabbling").string() &&
                   list->GetTextValue(0, 2) == "not a phone";
        },
        [&] {
            // The user clears "Find the phone automatically" and types the port.
            auto* automatic = FindChild<wxCheckBox>(dialog);
            if (!automatic->GetValue())
                return true;
            test::Click(automatic, wxPoint(8, automatic->GetSize().GetHeight() / 2));
            return false;
        },
        [&] {
            auto* port = FindChild<wxTextCtrl>(dialog);
            if (!port->IsEnabled())
                return false;
            port->SetFocus();
            port->SelectAll();
            for (char c : elsewhere.string())
                test::Press(c);
            return true;
        },
        [&] { return FindChild<wxTextCtrl>(dialog)->GetValue() == elsewhere.string(); },
        [&] {
            test::Press(WXK_RETURN); // OK is the default button
            return true;
        },
    });
    ASSERT_TRUE(test::ClickButtonWithMouse(m_frame->ConnectionButton(), 30000));
    test::DispatchUntil([&] { return script.Done() && !dialog; }, 10000);
    ASSERT_TRUE(script.Done());

    EXPECT_TRUE(test::DispatchUntil(
        [&] {
            const std::string text = m_frame->StatusText();
            return text.rfind("Connected: ", 0) == 0 && text.find(" on " + elsewhere.string()) != std::string::npos;
        },
        3000))
        << m_frame->StatusText();
    const std::string text = test::ReadFile(UserSettingsFile());
    EXPECT_NE(text.find("\"Port\"=\"" + elsewhere.string() + "\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"Baud\"=dword:0001c200"), std::string::npos) << text;
}

} // namespace
} // namespace corvina
