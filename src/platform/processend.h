#pragma once

// The end of the program's process, once the program has shut down: its windows and its application
// object are gone, and with them everything it writes (settings, the clipboard handed to the system).
//
// On Windows the process then ends at once, without the libraries' own teardown. Ending the usual
// way, Windows first cuts off every thread still running, wherever it is (a name lookup of libcurl
// given up by its transfer, a worker thread on its way out), and then runs each library's teardown;
// the C++ runtime's teardown takes the thread library's key lock, which such a thread may have held
// when it was cut off, and then waits for ever. Elsewhere the process ends the usual way.
namespace ProcessEnd {

// Returns `code` for main to return (everywhere but Windows, where it does not return).
int afterShutdown(int code);

} // namespace ProcessEnd
