// The end-of-play message the players' owners receive: a queued window message carrying the number
// of the play that ended, so that a notice overtaken by a newer play can be told apart and dropped.
#pragma once

#include <cstdint>

namespace corvina {

// The message number the sequencer's end-of-play notification had; wParam MCI_NOTIFY_SUCCESSFUL,
// lParam the serial number of the play that ended.
constexpr unsigned MM_MCINOTIFY = 0x03B9;
constexpr std::uintptr_t MCI_NOTIFY_SUCCESSFUL = 0x0001;

} // namespace corvina
