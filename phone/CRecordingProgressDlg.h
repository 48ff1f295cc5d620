// A progress window without a window: records every call, for tests and for runs without a display.
#pragma once

#include "IProgressDlg.h"

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvina {

class CRecordingProgressDlg : public IProgressDlg {
public:
    // One recorded call: the operation's name and its arguments as text ("SetRange 0 100").
    struct Call {
        std::string operation;
        std::string argument;
        std::thread::id thread; // who called: a window may only be used from its own thread
    };

    // Answers "cancelled" to every cancel query once count SetPos calls with a position above 0 were
    // made (0: at once, -1: never).
    void CancelAfterPositions(int count);
    // Makes every call fail with hr from now on (S_OK: succeed again).
    void FailWith(HRESULT hr);
    // The calls so far, in order.
    std::vector<Call> Calls() const;
    // The positions passed to SetPos, in order.
    std::vector<std::int32_t> Positions() const;
    // The calls as one text, one "operation argument" per line.
    std::string Transcript() const;

    HRESULT SetTitle(const std::string& text) override;
    HRESULT SetLine(const std::string& text) override;
    HRESULT SetRange(std::int32_t low, std::int32_t high) override;
    HRESULT SetPos(std::int32_t pos) override;
    HRESULT SetLineCompact(const std::string& text) override;
    HRESULT Show() override;
    HRESULT Close() override;
    HRESULT HasUserCancelled(std::int32_t* cancelled) override;
    HRESULT SetOption(std::int32_t option) override;

private:
    HRESULT Record(const char* operation, std::string argument);

    mutable std::mutex m_lock;
    std::vector<Call> m_calls;
    std::vector<std::int32_t> m_positions;
    int m_cancelAfter = -1;
    HRESULT m_failure = S_OK;
};

} // namespace corvina
