#include "CleanupOnSignal.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <mutex>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <pthread.h>
#include <unistd.h>
#endif

namespace runner::cleanup {

namespace {

#ifdef _WIN32
const int kHandled[] = {SIGINT, SIGTERM, SIGBREAK};
#else
const int kHandled[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
#endif

enum State : int { kFree = 0, kFile = 1, kFolder = 2 };

struct Entry {
  std::atomic<int> state{kFree};
  std::atomic<char*> path{nullptr};
};

// Entries live in chunks that are made on demand and never freed, so that the handler can walk
// them while the program adds more.
constexpr int kChunkSize = 1024;
constexpr int kChunks = 64;
std::atomic<Entry*> chunks[kChunks];
std::atomic<int> used{0}; // entries ever handed out: the handler looks at these
std::mutex registering;
std::vector<int> freed; // tickets to hand out again, under `registering`

constexpr size_t kEraseRoom = 255;
char eraseText[kEraseRoom];
std::atomic<size_t> eraseLength{0};

Entry& entry(int ticket) {
  return chunks[ticket / kChunkSize].load()[ticket % kChunkSize];
}

int remember(const std::string& path, State state) {
  std::lock_guard<std::mutex> lock(registering);
  int ticket;
  if (!freed.empty()) {
    ticket = freed.back();
    freed.pop_back();
  } else {
    ticket = used.load();
    if (ticket >= kChunkSize * kChunks)
      return -1;
    if (ticket % kChunkSize == 0)
      chunks[ticket / kChunkSize].store(new Entry[kChunkSize]);
    used.store(ticket + 1); // a free entry: the handler passes over it
  }
  char* copy = new char[path.size() + 1];
  std::memcpy(copy, path.c_str(), path.size() + 1);
  Entry& e = entry(ticket);
  e.path.store(copy);
  e.state.store(state); // published only once the path is complete
  return ticket;
}

void removeNow(const char* path, bool folder) {
#ifdef _WIN32
  folder ? RemoveDirectoryA(path) : DeleteFileA(path);
#else
  folder ? ::rmdir(path) : ::unlink(path);
#endif
}

extern "C" void onSignal(int signalNumber) {
  // Only async-signal-safe calls from here on.
  const size_t length = eraseLength.load();
  if (length > 0) {
#ifdef _WIN32
    _write(2, eraseText, static_cast<unsigned>(length));
#else
    [[maybe_unused]] const ssize_t ignored = ::write(2, eraseText, length);
#endif
  }
  const int count = used.load();
  for (int i = 0; i < count; ++i)
    if (entry(i).state.load() == kFile)
      removeNow(entry(i).path.load(), false);
  // Folders last, innermost (made last) first.
  for (int i = count - 1; i >= 0; --i)
    if (entry(i).state.load() == kFolder)
      removeNow(entry(i).path.load(), true);
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

void install(int signalNumber) {
#ifdef _WIN32
  if (std::signal(signalNumber, onSignal) == SIG_IGN)
    std::signal(signalNumber, SIG_IGN);
#else
  struct sigaction previous;
  if (sigaction(signalNumber, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
    return;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onSignal;
  sigfillset(&action.sa_mask); // no other signal interrupts the clean-up
  sigaction(signalNumber, &action, nullptr);
#endif
}

} // namespace

int rememberFile(const std::string& path) {
  return remember(path, kFile);
}

int rememberFolder(const std::string& path) {
  return remember(path, kFolder);
}

void forget(int ticket) {
  if (ticket < 0)
    return;
  std::lock_guard<std::mutex> lock(registering);
  Entry& e = entry(ticket);
  e.state.store(kFree);
  delete[] e.path.exchange(nullptr);
  freed.push_back(ticket);
}

void setEraseText(const std::string& text) {
  eraseLength.store(0);
  const size_t length = text.size() < kEraseRoom ? text.size() : kEraseRoom;
  // A counted text, never read as a C string.
  std::memcpy(eraseText, text.data(), length); // NOLINT(bugprone-not-null-terminated-result)
  eraseLength.store(length);
}

SignalsHeld::SignalsHeld() {
#ifndef _WIN32
  sigset_t held;
  sigemptyset(&held);
  for (int s : kHandled)
    sigaddset(&held, s);
  pthread_sigmask(SIG_BLOCK, &held, &saved_);
#endif
}

SignalsHeld::~SignalsHeld() {
#ifndef _WIN32
  pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
#endif
}

void installSignalHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int s : kHandled)
      install(s);
  });
}

} // namespace runner::cleanup
