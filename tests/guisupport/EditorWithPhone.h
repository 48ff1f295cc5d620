// An editor main dialog in a test window, connected to a virtual phone and read out.
#pragma once

#include "CRegistryHelper.h"
#include "CResource.h"
#include "CRingingtoneDlg.h"
#include "GuiTestMain.h"
#include "VirtualPhone.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace corvina::test {

// The shipped registry files, English texts, the given suite-root values and more registry text.
inline void LoadEditorRegistry(const std::string& suiteValues, const std::string& more = {})
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(CORVINA_REGISTRY_DIR))
        if (entry.path().extension() == ".reg")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    Registry::Instance().Load(files);
    Registry::Instance().MergeText(
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n"
        "\"Language\"=dword:00000809\n" +
        suiteValues + "\n" + more);
}

// A phone record as the host makes it for a phone that came (an empty IMEI: one that went).
inline CMobileInfo* PhoneRecord(const std::string& type, const std::string& imei)
{
    auto* record = new CMobileInfo();
    record->m_strPhoneType = type;
    record->m_strImei = imei;
    return record;
}

// Posts the record to the main dialog, as the host does.
inline void PostPhone(CRingingtoneDlg* dlg, const std::string& type, const std::string& imei)
{
    PostMessage(dlg, WM_NEW_PHONE, 0, reinterpret_cast<std::intptr_t>(PhoneRecord(type, imei)));
}

class EditorWithPhone {
public:
    // Starts the phone, shows the editor and posts the phone's record; Ready() tells whether the
    // read-out finished.
    EditorWithPhone(const std::filesystem::path& folder, const std::string& model,
                    std::vector<std::string> phoneOptions = {}, const std::string& moreRegistry = {})
        : phone(std::make_unique<VirtualPhone>(folder, model, std::move(phoneOptions)))
    {
        if (!phone->Ready())
            return;
        LoadEditorRegistry(phone->RegistryText(5000), moreRegistry);
        frame = NewTestFrame();
        dlg = new CRingingtoneDlg(frame);
        if (!dlg->Init(frame))
            return;
        dlg->Show();
        PostPhone(dlg, model, "350000000000017");
        m_read = DispatchUntil([&] { return dlg->WasRead() != 0; }, 15000);
        DispatchPending();
    }
    ~EditorWithPhone()
    {
        if (frame) {
            frame->Destroy();
            DispatchPending();
        }
        Registry::Instance().LoadText("");
        CSharedStrings::Destroy(); // as closing the editor does: the next one reads its own language
    }
    bool Ready() const { return m_read; }
    std::string Setting(const std::string& key) const { return phone->Settings()[key]; }

    std::unique_ptr<VirtualPhone> phone;
    wxFrame* frame = nullptr;
    CRingingtoneDlg* dlg = nullptr;

private:
    bool m_read = false;
};

} // namespace corvina::test
