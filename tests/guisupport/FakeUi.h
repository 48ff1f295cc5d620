// A fake of the user-interface services: records every message box and answers from a script; any
// call from a thread other than the one that installed it fails the running test.
#pragma once

#include "UiServices.h"

#include <deque>
#include <string>
#include <thread>
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
    // Recorded as a box with the answers as its caption; answered from QueueAnswer (an index), 0 by default.
    int Ask(const std::string& text, const std::vector<std::string>& answers) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;

    // The next answers, in order; IDOK (or IDYES for Yes/No boxes) when none is queued.
    void QueueAnswer(int answer) { m_answers.push_back(answer); }

    std::vector<RecordedMessageBox> m_boxes;
    int m_waitDepth = 0;
    int m_waitCount = 0;

private:
    // A window shown from a worker would block it and touch the toolkit off its thread: the test fails.
    void ExpectUiThread(const char* what) const;

    std::thread::id m_uiThread;
    std::deque<int> m_answers;
    IUiServices* m_previous;
};

} // namespace corvina::test
