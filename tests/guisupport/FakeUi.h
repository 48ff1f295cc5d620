// A fake of the user-interface services: records every message box and answers from a script.
#pragma once

#include "UiServices.h"

#include <deque>
#include <string>
#include <vector>

namespace corvina::test {

struct RecordedMessageBox {
    std::string text;
    std::string caption;
    unsigned style;
};

class FakeUi final : public IUiServices {
public:
    FakeUi();
    ~FakeUi() override;

    int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
    void BeginWaitCursor() override { ++m_waitDepth; ++m_waitCount; }
    void EndWaitCursor() override { --m_waitDepth; }

    // The next answers, in order; IDOK (or IDYES for Yes/No boxes) when none is queued.
    void QueueAnswer(int answer) { m_answers.push_back(answer); }

    std::vector<RecordedMessageBox> m_boxes;
    int m_waitDepth = 0;
    int m_waitCount = 0;

private:
    std::deque<int> m_answers;
    IUiServices* m_previous;
};

} // namespace corvina::test
