// The document checker: whether a document is one a real host could hold, and whether a command
// left it sound. Tests run it after every command, the fuzz targets on every document they
// build, and the runner before it writes. Relies on SimHost.h.
//
// Rules, for every object in a slot:
//  - its arrays agree: as many unique IDs and weights as positions; as many materials as faces;
//    faceStart holds faceCount() + 1 offsets from 0, never decreasing, the last one the number
//    of corners; as many UVs and creases as corners;
//  - every face point, selected vertex and selected face names one of the object's own;
//  - unique IDs are positive, no two vertices (or faces) share one, and each is below the
//    object's counter for new IDs;
//  - its name fits the host's kNameBytes.
// And, given what the document held before the command (a snapshot):
//  - each new element has its Destination's vertex and face counts;
//  - no NaN or infinity where the input had none: in an object that had none, or in a new
//    element when no object of the input had any;
//  - no two objects share a name that no two objects shared before;
//  - a fault an object already had before (or, for a new element, its Destination had) is the
//    input's, not the command's, and is not reported again.
// A finding is one line: object "<name>" (slot <s>): <where>: <fault>.
#pragma once

#include "SimHost.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace sim {

// What a document held before a command, as far as the checks compare with it. The objects it
// names stay allocated while their document lives, even when the command deletes them.
struct DocumentSnapshot {
  std::set<const Object*> objects;
  std::set<const Object*> nonFinite; // objects holding a NaN or an infinity
  std::map<const Object*, std::set<std::string>> faults;
  std::set<std::string> sharedNames; // names more than one object bore
};
SIMHOST_API DocumentSnapshot snapshotDocument(const Document& document);

struct NewElement {
  const Object* element;
  const Object* destination;
};

struct CheckExpectations {
  const DocumentSnapshot* before = nullptr; // without it, only the rules for every object
  std::vector<NewElement> newElements;
};

SIMHOST_API std::vector<std::string> checkDocument(const Document& document,
                                                   const CheckExpectations& expected = {});

// The expectations after a command that made every object the snapshot lacks from one
// Destination (as the morph command makes its new elements).
SIMHOST_API CheckExpectations commandExpectations(const Document& after,
                                                  const DocumentSnapshot& before,
                                                  const Object* destination);

} // namespace sim
