// The surface mode, run on a document after the plug-in's run and before it is written, whatever
// the file format: every Destination vertex that the plug-in interpolated gets, in every new
// element, the Source element's offset at its closest point of the Source surface (mirrored and
// scaled by the Rate as the plug-in does), or a harmonic interpolation where the edit built it
// away from that surface. Matched vertices, weights and faces are not touched.
#pragma once

#include "TransferRun.h"

namespace runner {

// Rewrites the new elements of the outcome in the document and records what changed in
// outcome.addedVertices (and the new elements' motion figures).
void applySurfaceMode(sim::Document& document, TransferOutcome& outcome);

} // namespace runner
