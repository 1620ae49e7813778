#include "HostileSupport.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace hostile {

namespace fs = std::filesystem;
using runner_test::readFile;
using runner_test::ScratchFolder;

namespace {

// The file whose creation releases a held read, in the program's working folder.
const char kReleaseFile[] = ".tovalinder-release-read";

// In the child: the working folder, umask, environment and standard streams, then the program.
[[noreturn]] void startChild(const ScratchFolder& folder, const Launch& launch,
                             const std::string& out, const std::string& err, int terminal) {
  if (chdir(folder.file("").c_str()) != 0)
    _exit(120);
  if (launch.umask)
    ::umask(*launch.umask);
  for (const auto& [name, value] : launch.environment)
    value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
  if (!launch.fault.empty() || !launch.openLog.empty() || !launch.holdRead.empty()) {
    setenv("LD_PRELOAD", TOVALINDER_FAULT_LIBRARY, 1);
    setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
    setenv("TOVALINDER_FAULT", launch.fault.c_str(), 1);
    setenv("TOVALINDER_OPEN_LOG", launch.openLog.c_str(), 1);
    if (!launch.holdRead.empty())
      setenv("TOVALINDER_READ_HOLD", (launch.holdRead + ":" + kReleaseFile).c_str(), 1);
  }
  const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int errFd =
      terminal >= 0 ? terminal : open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(outFd, 1);
  dup2(errFd, 2);
  std::vector<char*> argv = {const_cast<char*>(TOVALINDER_RUNNER_FILE)};
  for (const std::string& a : launch.args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(TOVALINDER_RUNNER_FILE, argv.data());
  _exit(121);
}

std::string describeEntry(const fs::path& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0)
    return "gone";
  if (S_ISLNK(info.st_mode))
    return "link -> " + fs::read_symlink(path).string();
  char head[64];
  std::snprintf(head, sizeof head, "%s %o %lld",
                S_ISDIR(info.st_mode)   ? "folder"
                : S_ISREG(info.st_mode) ? "file"
                                        : "special",
                static_cast<unsigned>(info.st_mode & 07777), static_cast<long long>(info.st_size));
  std::string text = head;
  if (S_ISREG(info.st_mode)) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : readFile(path.string()))
      hash = (hash ^ c) * 1099511628211ull;
    text += " " + std::to_string(hash);
  }
  return text;
}

// The parent's side while the program runs: watching its standard error, interrupting it,
// releasing its held read.
class Watcher {
public:
  Watcher(const Launch& launch, pid_t child, std::string errFile, int terminal)
      : launch_(launch), child_(child), errFile_(std::move(errFile)), terminal_(terminal) {
    if (terminal_ >= 0)
      fcntl(terminal_, F_SETFL, fcntl(terminal_, F_GETFL) | O_NONBLOCK);
  }

  // Waits for the texts without a time limit of its own: ctest's limit ends a hung test.
  void watch(const std::string& folder) {
    bool interrupt = !launch_.interruptWhen.empty(), held = !launch_.holdRead.empty();
    while ((interrupt || held) && !reaped()) {
      poll();
      if (held && err_.find(launch_.releaseWhen) != std::string::npos) {
        runner_test::writeFile(folder + "/" + kReleaseFile, "");
        held = false;
      }
      if (interrupt && err_.find(launch_.interruptWhen) != std::string::npos) {
        kill(child_, launch_.signal);
        interrupt = false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::error_code ignored;
    fs::remove(folder + "/" + kReleaseFile, ignored);
  }

  Outcome finish() {
    if (!reaped_)
      waitpid(child_, &raw_, 0);
    if (terminal_ >= 0) {
      fcntl(terminal_, F_SETFL, fcntl(terminal_, F_GETFL) & ~O_NONBLOCK);
      poll(); // the rest, until the program's end of the terminal is closed
      close(terminal_);
    } else {
      poll();
    }
    Outcome outcome;
    outcome.status = WIFEXITED(raw_) ? WEXITSTATUS(raw_) : -1;
    outcome.signal = WIFSIGNALED(raw_) ? WTERMSIG(raw_) : 0;
    outcome.err = err_;
    return outcome;
  }

private:
  bool reaped() {
    reaped_ = reaped_ || waitpid(child_, &raw_, WNOHANG) == child_;
    return reaped_;
  }
  void poll() {
    if (terminal_ < 0) {
      err_ = readFile(errFile_);
      return;
    }
    char chunk[4096];
    for (ssize_t n; (n = read(terminal_, chunk, sizeof chunk)) > 0;)
      err_.append(chunk, static_cast<size_t>(n));
  }

  const Launch& launch_;
  pid_t child_;
  std::string errFile_;
  int terminal_;
  int raw_ = 0;
  bool reaped_ = false;
  std::string err_;
};

} // namespace

Outcome runRunner(const ScratchFolder& folder, const Launch& launch) {
  ScratchFolder streams; // the captured streams live outside the folder under test
  const std::string out = streams.file("out"), err = streams.file("err");
  int master = -1, slave = -1;
  if (launch.terminalStandardError && openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
    return {};
  const pid_t child = fork();
  if (child == 0)
    startChild(folder, launch, out, err, slave);
  if (slave >= 0)
    close(slave);
  Watcher watcher(launch, child, err, master);
  watcher.watch(folder.file(""));
  Outcome outcome = watcher.finish();
  outcome.out = readFile(out);
  return outcome;
}

Outcome runRunner(const ScratchFolder& folder, const std::vector<std::string>& args) {
  Launch launch;
  launch.args = args;
  return runRunner(folder, launch);
}

Snapshot snapshot(const ScratchFolder& folder) {
  Snapshot entries;
  const fs::path root = folder.file("");
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it)
    entries[it->path().lexically_relative(root).string()] = describeEntry(it->path());
  return entries;
}

std::string changesBesides(const Snapshot& before, const Snapshot& after,
                           const std::vector<std::string>& expected) {
  std::string changes;
  auto note = [&](const std::string& path, const std::string& was, const std::string& is) {
    for (const std::string& e : expected)
      if (path == e || path.rfind(e + "/", 0) == 0)
        return;
    changes += path + ": " + was + " => " + is + "\n";
  };
  for (const auto& [path, was] : before) {
    auto it = after.find(path);
    const std::string is = it == after.end() ? "gone" : it->second;
    if (is != was)
      note(path, was, is);
  }
  for (const auto& [path, is] : after)
    if (!before.count(path))
      note(path, "absent", is);
  return changes;
}

unsigned permissions(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 ? static_cast<unsigned>(info.st_mode & 07777) : 0;
}

std::vector<std::string> temporaries(const ScratchFolder& folder) {
  std::vector<std::string> found;
  for (const auto& [path, entry] : snapshot(folder))
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".tmp") == 0)
      found.push_back(path);
  return found;
}

std::string reversedOrderDocument(int side) {
  std::string positions, reversed, faces, reversedFaces, element;
  const int n = side * side;
  auto point = [side](int i, const char* z) {
    return "[" + std::to_string(i % side) + "," + std::to_string(i / side) + "," + z + "]";
  };
  for (int i = 0; i < n; ++i) {
    positions += (i ? "," : "") + point(i, "0");
    reversed += (i ? "," : "") + point(n - 1 - i, "0");
    element += (i ? "," : "") + point(i, "0.5");
  }
  for (int y = 0; y + 1 < side; ++y)
    for (int x = 0; x + 1 < side; ++x) {
      const int c[4] = {y * side + x, y * side + x + 1, (y + 1) * side + x + 1, (y + 1) * side + x};
      std::string face, flipped;
      for (int k = 0; k < 4; ++k) {
        face += (k ? "," : "") + std::to_string(c[k]);
        flipped += (k ? "," : "") + std::to_string(n - 1 - c[k]);
      }
      faces += (faces.empty() ? "[" : ",[") + face + "]";
      reversedFaces += (reversedFaces.empty() ? "[" : ",[") + flipped + "]";
    }
  auto object = [](const char* name, bool selected, const std::string& p, const std::string& f) {
    return std::string("{\"name\": \"") + name +
           "\", \"selected\": " + (selected ? "true" : "false") +
           ", \"vertices\": {\"positions\": [" + p + "]}, \"faces\": {\"points\": [" + f + "]}}";
  };
  return "{\"format\": \"tovalinder-document\", \"version\": 1, \"objects\": [" +
         object("A", true, positions, faces) + "," + object("elem:m-A", false, element, faces) +
         "," + object("B", true, reversed, reversedFaces) + "]}";
}

} // namespace hostile
