// The document checker around one run of the command: made before the run (it takes the
// snapshot and the Destination as the command will take it, the second selected object or the
// only one), asked for its findings after. Every object the document gained is a new element of
// that Destination. Relies on the simulated host's checker (SimCheck.h).
#pragma once

#include "SimCheck.h"
#include "SimHost.h"

#include <string>
#include <vector>

namespace testing_support {

class CommandCheck {
public:
  explicit CommandCheck(const sim::Document& document)
      : document_(document), before_(sim::snapshotDocument(document)) {
    int selected = 0;
    for (const sim::Object* object : document.objects())
      if (object->selected && selected++ < 2)
        destination_ = object;
  }
  std::vector<std::string> findings() const {
    return sim::checkDocument(document_,
                              sim::commandExpectations(document_, before_, destination_));
  }

private:
  const sim::Document& document_;
  sim::DocumentSnapshot before_;
  const sim::Object* destination_ = nullptr;
};

} // namespace testing_support
