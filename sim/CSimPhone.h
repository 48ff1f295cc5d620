// The virtual phone on its line: collects command lines from the bytes received and decides each reply.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "CAtCommandEngine.h"
#include "CFaultPlan.h"
#include "CObexServer.h"

namespace corvina {

// What to send for one command line, and what to do around it.
struct SSimReply {
    std::string strCommand; // the line as received
    std::string strBytes;   // the bytes to send (empty: no answer)
    int nDelayMs = 0;       // pause before sending
    bool bDrop = false;     // drop the line after sending
};

// Splits the received bytes into command lines and answers each through the engine, or with the
// fault the plan names for it.
class CSimPhone {
public:
    // Longest command line the phone takes; a longer one is answered with ERROR.
    static constexpr size_t kMaxLine = 4096;

    CSimPhone(CAtCommandEngine& engine, CFaultPlan& faults);

    // Takes bytes from the line; returns one reply per completed command line.
    std::vector<SSimReply> Feed(const std::string& strBytes);
    // A fresh line (after a drop): pending input is thrown away and the session starts anew.
    void Restart();
    // Command lines answered so far.
    int CommandCount() const { return m_nCommands; }
    // AT+CPROT=0 switches the line to OBEX File Transfer over this folder (the phone's fs/).
    void EnableObex(const std::filesystem::path& root);
    // True while the line speaks OBEX.
    bool InObex() const { return m_bObex; }

    // A line that stays quiet this long in OBEX mode falls back to AT commands, as phones do.
    static constexpr int kObexIdleMs = 5000;
    void SetObexIdleMs(int ms) { m_nObexIdleMs = ms; }

private:
    SSimReply Answer(const std::string& strLine);
    // Passes bytes to the OBEX service; returns how many it took.
    size_t FeedObex(const std::string& strBytes, std::vector<SSimReply>& replies);

    CAtCommandEngine& m_engine;
    CFaultPlan& m_faults;
    std::string m_pending;
    bool m_bOverlong = false;
    int m_nCommands = 0;
    int m_nDropCount = 0; // commands answered since the drop rule was set
    std::unique_ptr<CObexServer> m_obex;
    bool m_bObex = false;
    int m_nObexPackets = 0; // OBEX packets answered since the line opened
    std::chrono::steady_clock::time_point m_lastObex;
    int m_nObexIdleMs = kObexIdleMs;
};

} // namespace corvina
