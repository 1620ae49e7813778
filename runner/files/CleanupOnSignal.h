// Clean-up when a signal stops the runner (Ctrl-C, kill): the temporary files and the folders it
// made and has not committed yet are removed, a line on the terminal can be erased, and the
// program then dies of the same signal, so that its caller sees why it stopped. The record is
// read by the signal handler without locks or allocation; it holds up to 65,536 entries.
// Nothing can clean up after SIGKILL or a crash.
#pragma once

#include <csignal>
#include <string>

namespace runner::cleanup {

// Remembers a file (removed on a signal) or a folder (removed after the files, when empty);
// answers a ticket for forget(), or -1 when the record is full.
int rememberFile(const std::string& path);
int rememberFolder(const std::string& path);
void forget(int ticket);

// Bytes written to the standard error before cleaning up, e.g. what erases a progress line;
// empty for none. At most 255 bytes are kept.
void setEraseText(const std::string& text);

// Holds the handled signals back while it lives (POSIX), so that a step and its record happen
// together.
class SignalsHeld {
public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
#ifndef _WIN32
  sigset_t saved_; // the mask before
#endif
};

// Installs the handlers for SIGINT, SIGTERM, SIGHUP and SIGQUIT (Windows: SIGINT, SIGTERM and
// SIGBREAK); a signal the program was started with ignored stays ignored. Threads started
// afterwards should block these signals, so that the handler runs on the thread that changes the
// record.
void installSignalHandlers();

} // namespace runner::cleanup
