// Run files for the runner's own JSON document (schema in docs/document-format.md).
#pragma once

#include "RunFiles.h"

namespace runner {

class DocumentRunFiles : public RunFiles {
public:
  DocumentRunFiles(std::string input, std::string output, DataLayout layout);
  void read(sim::Document& document, RunObjects& objects) override;
  void checkOutputs() const override;
  void write(const sim::Document& document, const TransferOutcome& outcome) override;
  InputSummary summary() const override;
  bool hasUniqueIds() const override;

private:
  std::string input_, output_;
  DataLayout layout_;
};

} // namespace runner
