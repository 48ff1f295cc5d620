// The virtual phone's watch on its standard folders: a file that lands is news, the transfer's own
// dot files are not.
#include <fstream>
#include <poll.h>

#include <gtest/gtest.h>

#include "CFileLandingWatch.h"
#include "SimTestSupport.h"

namespace corvina::test {
namespace {

// Waits (with a deadline) until the watch has something to read, then takes it.
bool NewsWithin(CFileLandingWatch& watch, int timeoutMs)
{
    pollfd p{watch.Fd(), POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return false;
    return watch.TakeEvents();
}

TEST(FileLandingWatch, TellsOfAFileThatLandsOrLeavesAndIgnoresPartialTransfers)
{
    ScratchFolder dir;
    const auto folder = dir.Path() / "Ringtones";
    std::filesystem::create_directories(folder);
    CFileLandingWatch watch;
    ASSERT_TRUE(watch.Watch({folder, dir.Path() / "missing"}));
    ASSERT_GE(watch.Fd(), 0);

    // A transfer writes a dot file: nothing a phone would number.
    std::ofstream(folder / ".tune.mid.part-X1") << "MThd";
    EXPECT_FALSE(NewsWithin(watch, 200));
    // The transfer completes by renaming it into place.
    std::filesystem::rename(folder / ".tune.mid.part-X1", folder / "tune.mid");
    EXPECT_TRUE(NewsWithin(watch, 2000));
    // Written directly, as by hand.
    std::ofstream(folder / "hand.mid") << "MThd";
    EXPECT_TRUE(NewsWithin(watch, 2000));
    std::filesystem::remove(folder / "hand.mid");
    EXPECT_TRUE(NewsWithin(watch, 2000));
    EXPECT_FALSE(watch.TakeEvents());
}

} // namespace
} // namespace corvina::test
