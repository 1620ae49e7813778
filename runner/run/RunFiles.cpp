#include "RunFiles.h"

namespace runner {

// A format of one pair per run is never asked for another.
void RunFiles::readPair(size_t pair, sim::Document&) {
  throw RunError(kExitFailure, "no mesh pair " + std::to_string(pair + 1) + " in this run");
}

std::string defaultOutputName(const std::string& input, const std::string& extension) {
  const size_t slash = input.find_last_of("/\\");
  std::string name = slash == std::string::npos ? input : input.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0)
    name.resize(dot);
  return name + "-transferred" + extension;
}

} // namespace runner
