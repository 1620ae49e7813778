// The checker's rules for one object (SimCheck.h), each fault a line that names where in the
// object it lies but not the object. Internal to the simulated host; relies on SimHost.h.
#pragma once

#include "SimHost.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace sim {

// Faults against the rules every object keeps (arrays, indices, unique IDs, name).
std::vector<std::string> objectFaults(const Object& object);
// The first NaN or infinity the object holds, and how many it holds; empty when none.
std::string nonFiniteValues(const Object& object);

// The same answers over one pass through a document whose objects share arrays (a morph's
// elements share all but their positions with their base): arrays shared by several objects are
// checked once. Valid while no object of the pass changes.
class ObjectChecks {
public:
  ObjectChecks();
  ~ObjectChecks();
  std::vector<std::string> faults(const Object& object);
  std::string nonFiniteValues(const Object& object);

private:
  using Key = std::array<std::uintptr_t, 20>;
  struct Found;
  std::map<Key, std::unique_ptr<Found>> faults_;
  std::set<const void*> finite_; // shared arrays found to hold finite values only
};

} // namespace sim
