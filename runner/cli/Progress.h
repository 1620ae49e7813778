// The progress line on the standard error: which stage the run is in and how far it has got
// ("reading big.json 45% (210 of 458 MB)", "transfer: element 17 of 50", "writing out.json"),
// redrawn by a small watcher thread and erased at the end (and by the clean-up when a signal
// stops the run). Shown on a terminal once the run has taken a second, always with --progress,
// never with --no-progress. The JSON report on the standard output is never touched.
#pragma once

#include "CommandLine.h"
#include "TransferWatch.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace runner {

class Progress {
public:
  explicit Progress(ProgressMode mode);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // A new stage: its text, without an amount yet.
  void stage(const std::string& text);
  // How far the stage is: bytes (shown as a share and in MB) or items ("3 of 5").
  void bytes(std::uint64_t done, std::uint64_t total);
  void items(std::uint64_t done, std::uint64_t total);
  // The stage in which the plug-in's command runs: its text follows the host's call counts.
  TransferWatch& transfer();
  void transferStage();
  // Stops the thread and erases the line; the destructor does it too.
  void stop();

private:
  void begin(const std::string& text, bool transfer);
  void watch();
  std::string line();
  void draw(const std::string& text);

  bool enabled_;
  std::chrono::steady_clock::duration delay_;
  std::chrono::steady_clock::time_point started_, stageStarted_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::string stage_;
  std::uint64_t done_ = 0, total_ = 0;
  bool inBytes_ = false, inTransfer_ = false;
  std::string shown_; // the line on the terminal now
  size_t widest_ = 78;
  TransferWatch transfer_;
  std::thread thread_;
};

} // namespace runner
