// The main of every dialog test binary: starts wx on the display, runs the tests, shuts wx down.
#include "GuiTestMain.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvina::test {

wxFrame* NewTestFrame()
{
    auto* frame = new wxFrame(nullptr, wxID_ANY, "test", wxPoint(0, 0), wxSize(800, 600));
    frame->Show();
    return frame;
}

void DispatchPending()
{
    for (int round = 0; round < 20; ++round) {
        wxTheApp->ProcessPendingEvents();
        while (wxTheApp->Pending())
            wxTheApp->Dispatch();
        if (!wxTheApp->HasPendingEvents())
            break;
    }
    wxYield();
}

bool DispatchUntil(const std::function<bool()>& condition, int timeoutMs)
{
    wxStopWatch watch;
    while (watch.Time() < timeoutMs) {
        DispatchPending();
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    DispatchPending();
    return condition();
}

} // namespace corvina::test

namespace {

// A failed wx check is a test failure, not a message box that waits for a click.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg)
{
    ADD_FAILURE() << "wx check failed at " << file << ":" << line << " in " << func << ": " << cond << " " << msg;
    if (getenv("CORVINA_TRAP_ON_ASSERT"))
        __builtin_trap();
}

// Each test process runs on an X server of its own, so that the pointer and keyboard input of tests
// running at the same time never meet, and no window of another test lies over this one's. Starts
// the server and points DISPLAY at it; false (DISPLAY unchanged) when it cannot start. The server
// ends with this process.
bool StartPrivateDisplay()
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(fds[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // The server writes its display number once it accepts clients.
    std::string number;
    pollfd ready{fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&ready, 1, 20000) > 0) {
        char buffer[16];
        const ssize_t got = read(fds[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        number.append(buffer, static_cast<size_t>(got));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return false;
    }
    number.erase(number.find('\n'));
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // The file chooser keeps its settings in memory: tests leave the user's settings alone.
    setenv("GSETTINGS_BACKEND", "memory", 1);
    if (!testing::GTEST_FLAG(list_tests) && !getenv("CORVINA_TEST_SHARED_DISPLAY") && !StartPrivateDisplay())
        fprintf(stderr, "no private X server (Xvfb) could start; the tests use DISPLAY=%s\n",
                getenv("DISPLAY") ? getenv("DISPLAY") : "");
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) {
        fprintf(stderr, "cannot start wx: is there a display (DISPLAY=%s)?\n",
                getenv("DISPLAY") ? getenv("DISPLAY") : "");
        return 1;
    }
    wxSetAssertHandler(FailOnAssert);
    wxTheApp->CallOnInit();
    wxInitAllImageHandlers();
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    // The server goes when this process has gone (its parent-death signal): the toolkit may still
    // talk to it on the way out, and a server gone before that makes it end the process with 1.
    return result;
}
