// tovalinder-run: the Tovalinder command of the real plug-in, run on a document file in the
// simulated host, with its options dialog worked by a scripted user.
#include "CleanupOnSignal.h"
#include "CommandLine.h"
#include "HeapTuning.h"
#include "Printable.h"
#include "Report.h"
#include "Run.h"
#include "TransferRun.h"
#include "UserLocale.h"

#include <iostream>

using namespace runner;

namespace {

const char kProgram[] = "tovalinder-run";

int fail(int code, const std::string& message, bool json) {
  std::cerr << kProgram << ": " << printable(message) << "\n";
  if (code == kExitUsage)
    std::cerr << "Try '" << kProgram << " --help' for more information.\n";
  if (json)
    std::cout << jsonError(code, message);
  return code;
}

} // namespace

int main(int argc, char** argv) {
  restartWithTunedHeap(argv);
  bool json = false;
  try {
    const CommandLine line = parseCommandLine(argc, argv);
    if (line.help) {
      std::cout << usageText();
      return kExitOk;
    }
    if (line.version) {
      std::cout << kProgram << " " << TOVALINDER_VERSION_TEXT << "\n";
      return kExitOk;
    }
    json = line.jsonReport;
    ensureUtf8CharacterTypes();
    cleanup::installSignalHandlers();
    return runCommandLine(line);
  } catch (const RunError& e) {
    return fail(e.code, e.what(), json);
  } catch (const std::exception& e) {
    return fail(kExitFailure, e.what(), json);
  } catch (...) {
    return fail(kExitFailure, "an unknown failure", json);
  }
}
