// Catching Ctrl-C and SIGTERM: a signal handler (POSIX) or a console control handler
// (Windows) that only stores the signal in a lock-free atomic, which the makes ask.
#include "interrupt.h"

#include <atomic>
#include <csignal>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace klv {
namespace {

std::atomic<int> g_caught{0};
static_assert(std::atomic<int>::is_always_lock_free, "stored from a signal handler");

#if defined(_WIN32)
// Runs on a thread of its own. The first Ctrl-C or Ctrl-Break is taken (TRUE); a second
// goes on to the default handler, which ends the process.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  int none = 0;
  return g_caught.compare_exchange_strong(none, SIGINT) ? TRUE : FALSE;
}
#else
// SA_RESETHAND has put back the default action, so the same signal again ends the program.
extern "C" void OnSignal(int signal) {
  int none = 0;
  g_caught.compare_exchange_strong(none, signal);
}
#endif

}  // namespace

void CatchInterrupts() {
#if defined(_WIN32)
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
  for (const int signal : {SIGINT, SIGTERM}) {
    struct sigaction current = {};
    if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted reads and writes go on rather than fail with EINTR.
    action.sa_flags = static_cast<int>(SA_RESETHAND | SA_RESTART);
    ::sigaction(signal, &action, nullptr);
  }
#endif
}

int CaughtInterrupt() { return g_caught.load(); }

}  // namespace klv
