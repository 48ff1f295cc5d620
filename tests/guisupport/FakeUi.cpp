// Installs itself for its lifetime and restores the previous services afterwards.
#include "FakeUi.h"

#include <gtest/gtest.h>

namespace corvina::test {

FakeUi::FakeUi()
    : m_uiThread(std::this_thread::get_id()), m_previous(InstallUiServices(this))
{
}

FakeUi::~FakeUi()
{
    InstallUiServices(m_previous);
}

void FakeUi::ExpectUiThread(const char* what) const
{
    if (std::this_thread::get_id() != m_uiThread)
        ADD_FAILURE() << what << " called from a thread other than the user-interface thread";
}

void FakeUi::BeginWaitCursor()
{
    ExpectUiThread("BeginWaitCursor");
    ++m_waitDepth;
    ++m_waitCount;
}

void FakeUi::EndWaitCursor()
{
    ExpectUiThread("EndWaitCursor");
    --m_waitDepth;
}

int FakeUi::MessageBox(const std::string& text, const std::string& caption, unsigned style)
{
    ExpectUiThread(("MessageBox \"" + text + "\"").c_str());
    m_boxes.push_back({text, caption, style});
    if (!m_answers.empty()) {
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return (style & 0x000F) == MB_YESNO ? IDYES : IDOK;
}

int FakeUi::Ask(const std::string& text, const std::vector<std::string>& answers)
{
    ExpectUiThread(("Ask \"" + text + "\"").c_str());
    std::string caption;
    for (const std::string& answer : answers)
        caption += (caption.empty() ? "" : " | ") + answer;
    m_boxes.push_back({text, caption, 0});
    if (m_answers.empty())
        return 0;
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

} // namespace corvina::test
