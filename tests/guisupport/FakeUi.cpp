// Installs itself for its lifetime and restores the previous services afterwards.
#include "FakeUi.h"

namespace corvina::test {

FakeUi::FakeUi()
    : m_previous(InstallUiServices(this))
{
}

FakeUi::~FakeUi()
{
    InstallUiServices(m_previous);
}

int FakeUi::MessageBox(const std::string& text, const std::string& caption, unsigned style)
{
    m_boxes.push_back({text, caption, style});
    if (!m_answers.empty()) {
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return (style & 0x000F) == MB_YESNO ? IDYES : IDOK;
}

} // namespace corvina::test
