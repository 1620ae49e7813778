// Why the options dialog's list leaves out an item the user asked for, said only where it helps:
// when an object of that name exists and a list filter hides it (naming the flag that shows it),
// or when it is the Source or the Destination, which the list never shows. Relies on the
// simulated host's documents and on the plug-in's element naming as the guide describes it.
#pragma once

#include "DialogScript.h"
#include "SimHost.h"

#include <string>
#include <vector>

namespace runner {

// "; <reason>" for each name that has one; empty when none has.
std::string whyNotListed(const sim::Document& document, const sim::Object& source,
                         const sim::Object& destination, const std::vector<std::string>& names,
                         const DialogChoices& choices);

} // namespace runner
