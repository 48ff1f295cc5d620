// Starting a helper program (the virtual phone) from a test so that it never outlives the test: it
// is killed when the test process ends, also by a crash, so it cannot hold the test runner's pipe.
#pragma once

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

namespace corvina::test {

// Starts args[0] with the arguments; its standard output goes to stdoutFd (-1: /dev/null). The
// descriptors of the test should be opened with O_CLOEXEC. Returns the child's pid, -1 on failure.
inline pid_t SpawnTiedChild(std::vector<std::string> args, int stdoutFd = -1)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    // Only calls that are safe between fork and exec from here on.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        ::_exit(127);
    const int out = stdoutFd >= 0 ? stdoutFd : ::open("/dev/null", O_WRONLY);
    if (out >= 0)
        ::dup2(out, STDOUT_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

} // namespace corvina::test
