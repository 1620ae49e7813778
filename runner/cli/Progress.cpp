#include "Progress.h"
#include "Utf8.h"

#include "CleanupOnSignal.h"
#include "Printable.h"

#include <algorithm>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace runner {

namespace {

using Clock = std::chrono::steady_clock;

bool standardErrorIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

size_t terminalWidth() {
#ifndef _WIN32
  struct winsize size;
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 10)
    return size.ws_col - 1u;
#endif
  return 79;
}

std::string megabytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", static_cast<double>(bytes) / 1e6);
  return text;
}

} // namespace

Progress::Progress(ProgressMode mode)
    : enabled_(mode == ProgressMode::Always ||
               (mode == ProgressMode::Automatic && standardErrorIsTerminal())),
      delay_(mode == ProgressMode::Always ? Clock::duration::zero() : std::chrono::seconds(1)),
      started_(Clock::now()), stageStarted_(started_) {
  if (!enabled_)
    return;
  widest_ = std::min<size_t>(terminalWidth(), 78);
  // The thread starts with the clean-up's signals held, so that they reach the main thread.
  const cleanup::SignalsHeld held;
  thread_ = std::thread([this] { watch(); });
}

Progress::~Progress() {
  stop();
}

void Progress::stage(const std::string& text) {
  begin(text, false);
}

void Progress::transferStage() {
  begin("transfer", true);
}

void Progress::begin(const std::string& text, bool transfer) {
  std::lock_guard<std::mutex> lock(mutex_);
  stage_ = printable(text);
  done_ = total_ = 0;
  inTransfer_ = transfer;
  stageStarted_ = Clock::now();
  // Forced, every stage shows, however short.
  if (enabled_ && delay_ == Clock::duration::zero())
    draw(line());
}

void Progress::bytes(std::uint64_t done, std::uint64_t total) {
  std::lock_guard<std::mutex> lock(mutex_);
  done_ = done, total_ = total, inBytes_ = true;
}

void Progress::items(std::uint64_t done, std::uint64_t total) {
  std::lock_guard<std::mutex> lock(mutex_);
  done_ = done, total_ = total, inBytes_ = false;
}

TransferWatch& Progress::transfer() {
  return transfer_;
}

void Progress::stop() {
  if (!thread_.joinable())
    return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
  draw(std::string());
}

std::string Progress::line() {
  std::string text = stage_;
  if (inTransfer_)
    text += transfer_.started() ? ": " + transfer_.describe() : ": options dialog";
  if (total_ > 0 && inBytes_)
    text += " " + std::to_string(done_ * 100 / total_) + "% (" + megabytes(done_) + " of " +
            megabytes(total_) + " MB)";
  else if (total_ > 0)
    text += " " + std::to_string(done_) + " of " + std::to_string(total_);
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - stageStarted_).count();
  if (seconds >= 2)
    text += ", " + std::to_string(seconds) + " s";
  return cutUtf8(text, widest_);
}

void Progress::watch() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    wake_.wait_for(lock, std::chrono::milliseconds(100));
    if (stopping_ || Clock::now() - started_ < delay_)
      continue;
    const std::string now = line();
    if (now != shown_)
      draw(now);
  }
}

// Overwrites the line shown with this one (empty: erases it), and tells the signal clean-up
// how to erase what is shown now.
void Progress::draw(const std::string& text) {
  if (text.empty() && shown_.empty())
    return;
  std::string out = "\r" + text;
  if (text.size() < shown_.size())
    out += std::string(shown_.size() - text.size(), ' ');
  if (text.empty())
    out += "\r";
  std::fwrite(out.data(), 1, out.size(), stderr);
  std::fflush(stderr);
  shown_ = text;
  cleanup::setEraseText(text.empty() ? std::string() : "\r" + std::string(text.size(), ' ') + "\r");
}

} // namespace runner
