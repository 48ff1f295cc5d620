// The per-process temporary folder: made with mkdtemp, held by a lock for the process's lifetime, and
// removed at exit; an earlier run's folder whose lock nobody holds is left over from a crash.
#include "TempFolder.h"

#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace corvina {
namespace fs = std::filesystem;

namespace {

constexpr const char* kPrefix = "corvina-";
constexpr const char* kLockName = ".owner";

std::once_flag g_once;
fs::path g_folder;
pid_t g_owner = 0;

fs::path SystemTempFolder()
{
    std::error_code ec;
    fs::path folder = fs::temp_directory_path(ec);
    return ec ? fs::path("/tmp") : folder;
}

void RemoveAtExit()
{
    std::error_code ec;
    // A forked child that exits runs this too; the folder is its parent's.
    if (::getpid() == g_owner && !g_folder.empty() && g_folder != SystemTempFolder())
        fs::remove_all(g_folder, ec);
}

void MakeFolder()
{
    const fs::path parent = SystemTempFolder();
    RemoveStaleTempFolders(parent);
    std::string pattern = (parent / (std::string(kPrefix) + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) {
        g_folder = parent;
        return;
    }
    // The lock stays held through the descriptor until the process ends, however it ends; it is not
    // handed to programs this one starts. The lock file gets its name only once it is locked, so a
    // process cleaning up at the same moment never takes the new folder for a crashed one's.
    const fs::path pending = fs::path(pattern) / (std::string(kLockName) + ".new");
    const int fd = ::open(pending.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        ::rename(pending.c_str(), (fs::path(pattern) / kLockName).c_str()) != 0) {
        if (fd >= 0)
            ::close(fd);
        std::error_code ec;
        fs::remove_all(pattern, ec);
        g_folder = parent;
        return;
    }
    g_folder = pattern;
    g_owner = ::getpid();
    std::atexit(RemoveAtExit);
}

} // namespace

fs::path ProcessTempFolder()
{
    std::call_once(g_once, MakeFolder);
    return g_folder;
}

int RemoveStaleTempFolders(const fs::path& parentIn)
{
    const fs::path parent = parentIn.empty() ? SystemTempFolder() : parentIn;
    std::error_code ec;
    int removed = 0;
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(kPrefix, 0) != 0 || name.size() != std::string(kPrefix).size() + 6)
            continue;
        std::error_code typeError;
        if (!it->is_directory(typeError) || it->is_symlink(typeError))
            continue;
        // Only folders with our lock file are ours; one that cannot be locked belongs to a live process.
        const int fd = ::open((it->path() / kLockName).c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        const bool orphan = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (orphan) {
            std::error_code removeError;
            fs::remove_all(it->path(), removeError);
            if (!removeError)
                ++removed;
        }
        ::close(fd);
    }
    return removed;
}

} // namespace corvina
