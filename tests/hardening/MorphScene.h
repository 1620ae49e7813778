// Documents for the hardening tests: a small morph scene as a modeler would have it.
#pragma once

#include "SimHost.h"

namespace hardening {

// Slot 0 "Body" (the Source, selected first), slot 1 its element "elem:Smile-Body", slot 2
// "Body2" (the Destination, selected second: Body with one vertex moved and one face split by
// an added vertex), slot 3 a locked element "elem:Blink-Body". Positions are small integers
// and halves, so every expected offset is exact in single precision.
void buildMorphScene(sim::Document& document);

} // namespace hardening
