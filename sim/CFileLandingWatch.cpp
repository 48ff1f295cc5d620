// Watching the standard folders with inotify.
#include "CFileLandingWatch.h"

#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace corvina {

CFileLandingWatch::~CFileLandingWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CFileLandingWatch::Watch(const std::vector<std::filesystem::path>& folders)
{
    if (m_fd < 0)
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return false;
    bool any = false;
    for (const auto& folder : folders) {
        // A write ends with IN_CLOSE_WRITE, a transfer through a temporary file with IN_MOVED_TO.
        if (::inotify_add_watch(m_fd, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE) >= 0)
            any = true;
    }
    return any;
}

bool CFileLandingWatch::TakeEvents()
{
    if (m_fd < 0)
        return false;
    bool relevant = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            const char* name = event->len ? event->name : "";
            if (event->mask & IN_Q_OVERFLOW)
                relevant = true;
            else if (name[0] != '\0' && name[0] != '.')
                relevant = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return relevant;
}

} // namespace corvina
