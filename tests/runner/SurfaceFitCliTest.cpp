// The surface mode's fit as a user runs it: tovalinder-run on a document file built for the case,
// its written element read back and its added vertices measured against the morph field the
// file was made from.
#include "AnalyticScenes.h"
#include "DocumentFile.h"
#include "HostObjects.h"
#include "ProgramRun.h"
#include "RunnerTestSupport.h"
#include "SurfaceOffsets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace runner_test;

namespace {

const sim::Object* objectNamed(const sim::Document& document, const std::string& name) {
  for (const sim::Object* object : document.objects())
    if (std::string(object->name()) == name)
      return object;
  return nullptr;
}

// Root mean square distance between the added vertices' positions and where the bump puts them.
double bumpError(const std::vector<quality::Vec3>& destination,
                 const std::vector<quality::Vec3>& made, size_t firstAdded) {
  double sum = 0;
  for (size_t v = firstAdded; v < destination.size(); ++v) {
    const quality::Vec3& d = destination[v];
    const analytic::Point o = analytic::offsetAt(analytic::Field::Bump, {d.x, d.y, d.z});
    sum += std::pow(made[v].x - (d.x + o[0]), 2) + std::pow(made[v].y - (d.y + o[1]), 2) +
           std::pow(made[v].z - (d.z + o[2]), 2);
  }
  return std::sqrt(sum / static_cast<double>(destination.size() - firstAdded));
}

} // namespace

// The surface mode as a user runs it, on a document file of a sheet subdivided under a bump
// morph: the written element's added vertices come out at least twice as close to the bump as
// the closest triangle's blend would put them, and every other vertex as the plug-in wrote it.
TEST(SurfaceModeCli, WritesAddedVerticesCloserToTheMorphThanTheBlend) {
  ScratchFolder dir;
  analytic::writeDocumentFile(dir.file("sheet.json"), analytic::Field::Bump,
                              analytic::Edit::Subdivided);
  for (const char* mode : {"plugin", "surface"}) {
    const Result r = runProgram(
        TOVALINDER_RUNNER_FILE,
        {"sheet.json", "-o", std::string(mode) + ".json", "--added-vertices", mode}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
  }
  sim::Host host;
  sim::Document& input = host.newDocument();
  sim::Document& plain = host.newDocument();
  sim::Document& surface = host.newDocument();
  runner::readDocument(dir.file("sheet.json"), input);
  runner::readDocument(dir.file("plugin.json"), plain);
  runner::readDocument(dir.file("surface.json"), surface);
  const sim::Object *source = objectNamed(input, "Sheet"),
                    *element = objectNamed(input, "elem:bump-Sheet"),
                    *destination = objectNamed(input, "SheetEdited");
  // The new element takes the old one's name, the old one becomes its backup.
  const sim::Object *fromPlugin = objectNamed(plain, "elem:bump-Sheet"),
                    *fromSurface = objectNamed(surface, "elem:bump-Sheet");
  ASSERT_TRUE(source && element && destination && fromPlugin && fromSurface);

  // The Source's vertices come first in the edited sheet, in order; the added ones follow.
  const quality::PolygonMesh sourceMesh = runner::polygonMeshOf(*source);
  const quality::PolygonMesh destinationMesh = runner::polygonMeshOf(*destination);
  const size_t firstAdded = sourceMesh.positions.size();
  std::vector<int> sourceVertex(destinationMesh.positions.size(), -1);
  std::vector<char> added(destinationMesh.positions.size(), 1);
  for (size_t v = 0; v < firstAdded; ++v)
    sourceVertex[v] = static_cast<int>(v), added[v] = 0;
  quality::AddedVertexQuestion question{sourceMesh, destinationMesh, sourceVertex, added};
  question.fit = false;
  const quality::SurfaceOffsets blend(question);
  const std::vector<quality::Vec3> moved = runner::pointsOf(*element);
  std::vector<quality::Vec3> sourceOffsets, offsets;
  for (size_t s = 0; s < moved.size(); ++s)
    sourceOffsets.push_back(quality::Vec3{moved[s].x - sourceMesh.positions[s].x,
                                          moved[s].y - sourceMesh.positions[s].y,
                                          moved[s].z - sourceMesh.positions[s].z});
  blend.offsetsFor(sourceOffsets, offsets);
  std::vector<quality::Vec3> blended = destinationMesh.positions;
  for (size_t v = firstAdded; v < blended.size(); ++v)
    blended[v] = quality::Vec3{blended[v].x + offsets[v].x, blended[v].y + offsets[v].y,
                               blended[v].z + offsets[v].z};

  const std::vector<quality::Vec3> made = runner::pointsOf(*fromSurface);
  const std::vector<quality::Vec3> plugins = runner::pointsOf(*fromPlugin);
  ASSERT_EQ(made.size(), destinationMesh.positions.size());
  const double fitError = bumpError(destinationMesh.positions, made, firstAdded);
  const double blendError = bumpError(destinationMesh.positions, blended, firstAdded);
  EXPECT_LE(fitError, 0.5 * blendError) << fitError << " against " << blendError;
  EXPECT_LT(blendError, 0.1 * bumpError(destinationMesh.positions, plugins, firstAdded));
  EXPECT_EQ(std::memcmp(made.data(), plugins.data(), firstAdded * sizeof made[0]), 0);
}
