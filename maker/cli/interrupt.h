// klvmake's answer to Ctrl-C and SIGTERM: the first one is only noted, so that the makes
// in flight are abandoned, their work folders removed and what was made is reported
// (and listed in the manifest); a second one ends the program at once, as the signal
// does by default.
#ifndef KLV_MAKER_CLI_INTERRUPT_H_
#define KLV_MAKER_CLI_INTERRUPT_H_

namespace klv {

// Catches SIGINT and SIGTERM for the rest of the run (on Windows the console's Ctrl-C and
// Ctrl-Break, both as SIGINT). A signal that the program was started to ignore stays
// ignored. Call once, before any thread starts.
void CatchInterrupts();

// The signal caught (SIGINT or SIGTERM), or 0 while none was. Any thread may ask.
int CaughtInterrupt();

// The exit status of a run that `signal` interrupted, as a shell reports a program the
// signal ended: 128 + the signal (130 for SIGINT, 143 for SIGTERM).
constexpr int InterruptedStatus(int signal) { return 128 + signal; }

}  // namespace klv

#endif  // KLV_MAKER_CLI_INTERRUPT_H_
