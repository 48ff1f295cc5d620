// A progress window that records every call.
#include "CRecordingProgressDlg.h"

namespace corvina {

void CRecordingProgressDlg::CancelAfterPositions(int count)
{
    std::lock_guard lock(m_lock);
    m_cancelAfter = count;
}

void CRecordingProgressDlg::FailWith(HRESULT hr)
{
    std::lock_guard lock(m_lock);
    m_failure = hr;
}

std::vector<CRecordingProgressDlg::Call> CRecordingProgressDlg::Calls() const
{
    std::lock_guard lock(m_lock);
    return m_calls;
}

std::vector<std::int32_t> CRecordingProgressDlg::Positions() const
{
    std::lock_guard lock(m_lock);
    return m_positions;
}

std::string CRecordingProgressDlg::Transcript() const
{
    std::string text;
    for (const Call& call : Calls())
        text += call.operation + (call.argument.empty() ? "" : " " + call.argument) + "\n";
    return text;
}

HRESULT CRecordingProgressDlg::Record(const char* operation, std::string argument)
{
    std::lock_guard lock(m_lock);
    m_calls.push_back({operation, std::move(argument), std::this_thread::get_id()});
    return m_failure;
}

HRESULT CRecordingProgressDlg::SetTitle(const std::string& text)
{
    return Record("SetTitle", text);
}
HRESULT CRecordingProgressDlg::SetLine(const std::string& text)
{
    return Record("SetLine", text);
}

HRESULT CRecordingProgressDlg::SetRange(std::int32_t low, std::int32_t high)
{
    return Record("SetRange", std::to_string(low) + " " + std::to_string(high));
}

HRESULT CRecordingProgressDlg::SetPos(std::int32_t pos)
{
    {
        std::lock_guard lock(m_lock);
        m_positions.push_back(pos);
    }
    return Record("SetPos", std::to_string(pos));
}

HRESULT CRecordingProgressDlg::SetLineCompact(const std::string& text)
{
    return Record("SetLineCompact", text);
}
HRESULT CRecordingProgressDlg::Show()
{
    return Record("Show", {});
}
HRESULT CRecordingProgressDlg::Close()
{
    return Record("Close", {});
}

HRESULT CRecordingProgressDlg::HasUserCancelled(std::int32_t* cancelled)
{
    bool answer = false;
    {
        std::lock_guard lock(m_lock);
        // Positions set to 0 before the transfer starts do not count as progress.
        std::size_t updates = 0;
        for (std::int32_t pos : m_positions)
            updates += pos > 0 ? 1 : 0;
        answer = m_cancelAfter >= 0 && updates >= static_cast<std::size_t>(m_cancelAfter);
    }
    HRESULT hr = Record("HasUserCancelled", answer ? "1" : "0");
    if (!cancelled)
        return E_POINTER;
    *cancelled = answer ? 1 : 0;
    return hr;
}

HRESULT CRecordingProgressDlg::SetOption(std::int32_t option)
{
    return Record("SetOption", std::to_string(option));
}

} // namespace corvina
