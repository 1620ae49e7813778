#include "ProgramRun.h"

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace runner_test {

std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

Result runProgram(const std::string& program, const std::vector<std::string>& args,
                  const ScratchFolder& dir) {
  std::string command = "cd " + shellQuoted(dir.file("")) + " && " + shellQuoted(program);
  for (const std::string& arg : args)
    command += " " + shellQuoted(arg);
  command += " >" + shellQuoted(dir.file(".out")) + " 2>" + shellQuoted(dir.file(".err"));
  const int raw = std::system(command.c_str());
  Result result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = readFile(dir.file(".out"));
  result.err = readFile(dir.file(".err"));
  std::filesystem::remove(dir.file(".out"));
  std::filesystem::remove(dir.file(".err"));
  return result;
}

} // namespace runner_test
