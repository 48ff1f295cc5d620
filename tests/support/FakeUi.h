// A fake of the user-interface services: records every message box and answers from a script; any
// call from a thread other than the one that installed it fails the running test.
#pragma once

#include "UiServices.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    FakeUi() : m_uiThread(std::this_thread::get_id()), m_previous(InstallUiServices(this)) {}
    ~FakeUi() override { InstallUiServices(m_previous); }
    FakeUi(const FakeUi&) = delete;
    FakeUi& operator=(const FakeUi&) = delete;

    int MessageBox(const std::string& text, const std::string& caption, unsigned style) override
    {
        ExpectUiThread("MessageBox \"" + text + "\"");
        m_boxes.push_back({text, caption, style});
        return NextAnswer((style & 0x000F) == MB_YESNO ? IDYES : IDOK);
    }
    // Recorded as a box with the answers as its caption; answered from QueueAnswer (an index), 0 by default.
    int Ask(const std::string& text, const std::vector<std::string>& answers) override
    {
        ExpectUiThread("Ask \"" + text + "\"");
        std::string caption;
        for (const std::string& answer : answers)
            caption += (caption.empty() ? "" : " | ") + answer;
        m_boxes.push_back({text, caption, 0});
        return NextAnswer(0);
    }
    void BeginWaitCursor() override { ExpectUiThread("BeginWaitCursor"); }
    void EndWaitCursor() override { ExpectUiThread("EndWaitCursor"); }

    // The next answers, in order; IDOK (or IDYES for Yes/No boxes) when none is queued.
    void QueueAnswer(int answer) { m_answers.push_back(answer); }
    // The texts of the boxes shown so far, in order.
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& box : m_boxes)
            texts.push_back(box.text);
        return texts;
    }
    // True when a box showed exactly the text.
    bool Told(const std::string& text) const
    {
        return std::any_of(m_boxes.begin(), m_boxes.end(), [&](const auto& box) { return box.text == text; });
    }

    std::vector<RecordedMessageBox> m_boxes;

private:
    // A window shown from a worker would block it and touch the toolkit off its thread: the test fails.
    void ExpectUiThread(const std::string& what) const
    {
        if (std::this_thread::get_id() != m_uiThread)
            ADD_FAILURE() << what << " called from a thread other than the user-interface thread";
    }
    int NextAnswer(int otherwise)
    {
        if (m_answers.empty())
            return otherwise;
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    std::thread::id m_uiThread;
    std::deque<int> m_answers;
    IUiServices* m_previous;
};

} // namespace corvina::test
