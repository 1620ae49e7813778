// The runner's document reader on files made of the fuzz bytes: the first byte picks a layout
// for the round trip and, when its top bit is set, splits the rest at its first NUL into the
// document and a side file "side.bin" beside it; otherwise the rest is the document. Inputs up
// to 300 kB, so that nesting tens of thousands of levels deep is reached. Invariants: a file is
// either read or refused with a one-line FileError that names the file, never with anything
// else; a document that was read writes and reads back unchanged in any layout (names aside,
// which the writer makes valid UTF-8), and a second round trip changes nothing at all; every
// document read is one a host could hold (the document checker finds nothing).
#include "DocumentFile.h"
#include "FuzzInput.h"
#include "ReaderStep.h"
#include "SimCheck.h"
#include "SimHost.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

// A folder of this process for the files of one input, removed when the process ends.
class WorkFolder {
public:
  WorkFolder()
      : path_(fs::temp_directory_path() / ("tovalinder-fuzz-" + std::to_string(getpid()))) {
    fs::create_directories(path_);
  }
  ~WorkFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

private:
  fs::path path_;
};

const fs::path& workFolder() {
  static const WorkFolder folder;
  return folder.path();
}

void checkSound(const sim::Document& document, const char* which) {
  const std::vector<std::string> findings = sim::checkDocument(document);
  if (!findings.empty())
    fuzzing::fail((std::string(which) + " is one a host could hold: " + findings.front()).c_str());
}

std::string withoutNames(sim::Document& document) {
  for (sim::Object* object : document.objects())
    object->setName(std::string());
  return sim::describe(document);
}

// Reads a file, answering false when it is refused.
bool read(const std::string& path, sim::Document& document) {
  return fuzzing::readsOrRefuses(
      [&] { runner::readDocument(path, document); },
      [&](const std::string& what) {
        fuzzing::check(what.find(fs::path(path).filename().string()) != std::string::npos,
                       "a refusal names the file");
        fuzzing::check(what.find('\n') == std::string::npos && what.size() < 2000,
                       "a refusal is one line of sensible length");
      });
}

void writeBytes(const fs::path& path, const uint8_t* data, size_t size) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

} // namespace

// Deep nesting needs long inputs: unless the command line says otherwise, up to 300 kB.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<char*> arguments(*argv, *argv + *argc);
  for (char* argument : arguments)
    if (std::strncmp(argument, "-max_len=", 9) == 0)
      return 0;
  static char maxLength[] = "-max_len=300000";
  arguments.push_back(maxLength);
  arguments.push_back(nullptr);
  *argc = static_cast<int>(arguments.size() - 1);
  *argv = arguments.data();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const runner::DataLayout layouts[] = {runner::DataLayout::Readable, runner::DataLayout::Base64,
                                        runner::DataLayout::SideFile,
                                        runner::DataLayout::Automatic};
  const runner::DataLayout layout = layouts[data[0] % 4];
  const std::string input = (workFolder() / "input.json").string();
  const uint8_t* end = data + size;
  const uint8_t* split =
      (data[0] & 0x80) ? static_cast<const uint8_t*>(std::memchr(data + 1, 0, size - 1)) : nullptr;
  writeBytes(input, data + 1, size_t((split ? split : end) - (data + 1)));
  if (split)
    writeBytes(workFolder() / "side.bin", split + 1, size_t(end - split - 1));
  else
    fs::remove(workFolder() / "side.bin");
  sim::Host host;
  sim::Document& first = host.newDocument();
  if (!read(input, first))
    return 0;
  checkSound(first, "a document that was read");

  const std::string once = (workFolder() / "once.json").string();
  const std::string twice = (workFolder() / "twice.json").string();
  sim::Document& second = host.newDocument();
  sim::Document& third = host.newDocument();
  try {
    runner::writeDocument(once, first, layout);
  } catch (...) {
    fuzzing::fail("a document that was read can be written");
  }
  fuzzing::check(read(once, second), "a written document reads back");
  checkSound(second, "a document read back");
  try {
    runner::writeDocument(twice, second, layout);
  } catch (...) {
    fuzzing::fail("a document that was read back can be written again");
  }
  fuzzing::check(read(twice, third), "a document written twice reads back");
  fuzzing::check(sim::describe(second) == sim::describe(third),
                 "a second round trip changes nothing");
  fuzzing::check(withoutNames(first) == withoutNames(second),
                 "a round trip keeps every slot, attribute, vertex and face bit for bit");
  return 0;
}
