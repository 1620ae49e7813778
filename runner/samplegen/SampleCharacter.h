// The bundled sample: a character-like body (torso, neck, head, two arms) with morphs as element
// objects, and an edited copy of the body the way a modeler leaves it after some work: a new edge
// loop round the waist, a deleted pole, a nose pulled forward, quads on the back re-triangulated.
// Every stage of a transfer has work on it: matched, added and interpolated vertices, and faces
// that cannot be paired. Scalable to real character sizes for measurements.
#pragma once

#include "SimHost.h"

#include <string>

namespace runner {

struct SampleOptions {
  int segments = 32; // vertices round each ring of the body (even, for left/right symmetry)
  int rings = 60;    // rings of the body from hip to crown
  int armSegments = 12;
  int armRings = 14;
  int morphs = 5; // element objects; above 5 the five kinds repeat with other strengths
};

// Options for a body of about this many vertices (the arms scale with it).
SampleOptions sampleOptionsForVertices(int vertices, int morphs);

// Fills an empty document: the Source "Body", its elements "elem:<morph>-Body", and the edited
// copy "BodyEdited"; Body and BodyEdited are selected in the object list, in that order.
void buildSampleDocument(sim::Document& document, const SampleOptions& options);

} // namespace runner
