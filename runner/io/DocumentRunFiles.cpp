// The JSON document behind the run-files interface, exactly as the runner always read and wrote it.
#include "DocumentRunFiles.h"

namespace runner {

DocumentRunFiles::DocumentRunFiles(std::string input, std::string output, DataLayout layout)
    : input_(std::move(input)), output_(std::move(output)), layout_(layout) {}

void DocumentRunFiles::read(sim::Document& document, RunObjects&) {
  readDocument(input_, document);
}

void DocumentRunFiles::checkOutputs() const {}

void DocumentRunFiles::write(const sim::Document& document, const TransferOutcome&) {
  writeDocument(output_, document, layout_);
}

InputSummary DocumentRunFiles::summary() const {
  return InputSummary();
}

bool DocumentRunFiles::hasUniqueIds() const {
  return true;
}

} // namespace runner
