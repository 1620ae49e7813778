// The checker's rules for one object (SimCheck.h), each fault a line that names where in the
// object it lies but not the object. Internal to the simulated host; relies on SimHost.h.
#pragma once

#include "SimHost.h"

#include <string>
#include <vector>

namespace sim {

// Faults against the rules every object keeps (arrays, indices, unique IDs, name).
std::vector<std::string> objectFaults(const Object& object);
// The first NaN or infinity the object holds, and how many it holds; empty when none.
std::string nonFiniteValues(const Object& object);

} // namespace sim
