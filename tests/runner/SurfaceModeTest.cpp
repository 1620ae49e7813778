// The surface mode on generated sheets whose morph is an analytic field, through the real
// plug-in in the simulated host: each edit (a subdivided region, an extruded part, separate
// pieces, a seam of coincident vertices) under each field (a bump, a broad swell, a one-sided
// field). The added vertices must come out at least as close to the field as the plug-in's own
// interpolation puts them (ten times closer on the subdivided region), and everything else in
// the document must stay as the plug-in wrote it, to the last bit.
#include "SurfaceMode.h"
#include "AnalyticScenes.h"
#include "HostObjects.h"
#include "MorphPicture.h"
#include "PluginUnderTest.h"
#include "RunnerTestSupport.h"
#include "SampleCharacter.h"
#include "TransferRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

using namespace runner;
using namespace runner_test;
using analytic::Edit;
using analytic::Field;

namespace {

struct RunState {
  sim::Document document;
  TransferOutcome outcome;
};

sim::Object* writable(sim::Document& document, const sim::Object* object) {
  for (sim::Object* candidate : document.objects())
    if (candidate == object)
      return candidate;
  return nullptr;
}

// Root mean square distance, over the interpolated vertices, between where the run put them in
// the new element and where the field puts them (mirrored and scaled as the run asked).
double fieldError(const RunState& r, Field field) {
  const std::vector<quality::Vec3> base = pointsOf(*r.outcome.destination);
  const std::vector<quality::Vec3> made = pointsOf(*r.outcome.elements.at(0).newElement);
  const double mirror = r.outcome.settings.mirrorMorph ? -1 : 1;
  double sum = 0;
  int count = 0;
  for (size_t v = 0; v < base.size(); ++v) {
    if (r.outcome.correspondence.fate[v] != VertexFate::Interpolated)
      continue;
    const quality::Vec3& d = base[v];
    const analytic::Point o = analytic::offsetAt(field, {mirror * d.x, d.y, d.z});
    const double want[3] = {d.x + r.outcome.rate * mirror * o[0], d.y + r.outcome.rate * o[1],
                            d.z + r.outcome.rate * o[2]};
    const double got[3] = {made[v].x, made[v].y, made[v].z};
    for (int k = 0; k < 3; ++k)
      sum += (got[k] - want[k]) * (got[k] - want[k]);
    ++count;
  }
  return count ? std::sqrt(sum / count) : 0;
}

class SurfaceModeTest : public ::testing::Test {
protected:
  SurfaceModeTest() : plugin_(testing_support::pluginFile()) {}
  void SetUp() override { ASSERT_TRUE(plugin_.start(sim::moduleFileName())) << plugin_.error(); }

  void transfer(RunState& r, Field field, Edit edit, const TransferRequest& request) {
    analytic::buildDocument(r.document, field, edit);
    runTransfer(plugin_, r.document, request, r.outcome);
    ASSERT_TRUE(r.outcome.hostMisuses.empty()) << r.outcome.hostMisuses.front();
    ASSERT_EQ(r.outcome.elements.size(), 1u);
  }

  // Runs the case twice, as the plug-in leaves it and in the surface mode; the field errors.
  std::pair<double, double> compare(Field field, Edit edit, const TransferRequest& request,
                                    RunState& plain, RunState& surface) {
    transfer(plain, field, edit, request);
    transfer(surface, field, edit, request);
    applySurfaceMode(surface.document, surface.outcome);
    const std::pair<double, double> errors{fieldError(plain, field), fieldError(surface, field)};
    expectOnlyAddedVerticesDiffer(plain, surface);
    return errors;
  }

  // With the rewritten vertices put back where the plug-in had them, both documents are the same
  // to the last bit: positions, weights, faces, names. The surface document is left as it was.
  static void expectOnlyAddedVerticesDiffer(const RunState& plain, RunState& surface) {
    const AddedVerticesSummary& a = surface.outcome.addedVertices;
    const VertexTally& tally = plain.outcome.correspondence.tally;
    EXPECT_EQ(a.fromSurface + a.harmonic + a.kept,
              plain.outcome.settings.copyCoordinates ? tally.interpolated : 0);
    for (size_t v = 0; v < a.changed.size(); ++v) {
      if (a.changed[v]) {
        ASSERT_EQ(surface.outcome.correspondence.fate[v], VertexFate::Interpolated) << v;
      }
    }
    std::vector<std::vector<quality::Vec3>> ours;
    auto putBack = [&](bool plugins) {
      for (size_t k = 0; k < surface.outcome.elements.size(); ++k) {
        sim::Object* made = writable(surface.document, surface.outcome.elements[k].newElement);
        ASSERT_NE(made, nullptr);
        if (plugins)
          ours.push_back(pointsOf(*made));
        const std::vector<quality::Vec3>& from =
            plugins ? pointsOf(*plain.outcome.elements[k].newElement) : ours[k];
        for (size_t v = 0; v < a.changed.size(); ++v)
          if (a.changed[v])
            setPosition(*made, static_cast<int>(v), from[v]);
      }
    };
    putBack(true);
    EXPECT_EQ(digest(surface.document), digest(plain.document));
    putBack(false);
  }

  PluginModule plugin_;
};

TEST_F(SurfaceModeTest, EveryEditUnderEveryFieldIsNoWorseAndTheSubdivisionTenTimesBetter) {
  for (Edit edit :
       {Edit::Subdivided, Edit::Extruded, Edit::SeparatePieces, Edit::CoincidentVertices})
    for (Field field : {Field::Bump, Field::Swell, Field::OneSided}) {
      SCOPED_TRACE(analytic::nameOf(edit) + ", " + analytic::nameOf(field));
      RunState plain, surface;
      const auto [before, after] = compare(field, edit, TransferRequest{}, plain, surface);
      std::printf("%-20s %-9s interpolated %4d  plug-in %.3e  surface %.3e  (%d surface, %d "
                  "harmonic, %d kept)\n",
                  analytic::nameOf(edit).c_str(), analytic::nameOf(field).c_str(),
                  plain.outcome.correspondence.tally.interpolated, before, after,
                  surface.outcome.addedVertices.fromSurface, surface.outcome.addedVertices.harmonic,
                  surface.outcome.addedVertices.kept);
      EXPECT_GT(plain.outcome.correspondence.tally.interpolated, 20);
      EXPECT_LE(after, before);
      if (edit == Edit::Subdivided) {
        EXPECT_LE(after * 10, before);
      }
    }
}

TEST_F(SurfaceModeTest, EachEditTakesItsOffsetsFromWhereTheyBelong) {
  struct Want {
    Edit edit;
    int fromSurface, harmonic, kept;
  };
  // Subdivision: 16 x 16 quads, each adding its centre and its edges' midpoints. Extrusion of
  // 6 x 6 quads: the rim one spacing up reaches the sheet, the upper rim and the cap do not.
  // Pieces: the patch lies on the sheet, the far box is joined to nothing that holds an offset.
  // Seam: all on the sheet.
  const Want wants[] = {{Edit::Subdivided, 256 + 544, 0, 0},
                        {Edit::Extruded, 24, 24 + 25, 0},
                        {Edit::SeparatePieces, 25, 0, 8},
                        {Edit::CoincidentVertices, 41, 0, 0}};
  for (const Want& want : wants) {
    SCOPED_TRACE(analytic::nameOf(want.edit));
    RunState plain, surface;
    compare(Field::Bump, want.edit, TransferRequest{}, plain, surface);
    const AddedVerticesSummary& a = surface.outcome.addedVertices;
    EXPECT_EQ(a.fromSurface, want.fromSurface);
    EXPECT_EQ(a.harmonic, want.harmonic);
    EXPECT_EQ(a.kept, want.kept);
  }
}

TEST_F(SurfaceModeTest, MirrorAndRateApplyAsThePluginAppliesThem) {
  TransferRequest request;
  request.dialog.options[dialog::optionIndex(&TransferSettings::mirrorMorph)] = true;
  request.dialog.rateText = "50";
  RunState plain, surface;
  const auto [before, after] = compare(Field::OneSided, Edit::Subdivided, request, plain, surface);
  EXPECT_EQ(surface.outcome.rate, 0.5f);
  EXPECT_LE(after * 10, before);
  // The one-sided morph lands mirrored: added vertices on its own side (x > 0) stay put.
  const std::vector<quality::Vec3> base = pointsOf(*surface.outcome.destination);
  const std::vector<quality::Vec3> made = pointsOf(*surface.outcome.elements.at(0).newElement);
  int movedLeft = 0;
  for (size_t v = 0; v < base.size(); ++v) {
    if (!surface.outcome.addedVertices.changed[v])
      continue;
    if (base[v].x > 0.05f) {
      EXPECT_EQ(std::memcmp(&base[v], &made[v], sizeof made[v]), 0) << v;
    }
    movedLeft += base[v].x < -0.05f && made[v].x < base[v].x;
  }
  EXPECT_GT(movedLeft, 50);
}

TEST_F(SurfaceModeTest, WithoutCoordinatesOrAddedVerticesNothingIsRewritten) {
  for (bool TransferSettings::*off :
       {&TransferSettings::copyCoordinates, &TransferSettings::morphAddedVertices}) {
    TransferRequest request;
    request.dialog.options[dialog::optionIndex(off)] = false;
    RunState plain, surface;
    compare(Field::Swell, Edit::Subdivided, request, plain, surface);
    const AddedVerticesSummary& a = surface.outcome.addedVertices;
    EXPECT_EQ(a.fromSurface + a.harmonic + a.kept, 0);
    EXPECT_EQ(digest(surface.document), digest(plain.document));
  }
}

TEST_F(SurfaceModeTest, PicturesMarkTheRewrittenVerticesApart) {
  RunState plain, surface;
  compare(Field::Bump, Edit::Subdivided, TransferRequest{}, plain, surface);
  const ElementOutcome& e = surface.outcome.elements.at(0);
  const std::vector<char> none(surface.outcome.addedVertices.changed.size(), 0);
  auto png = [&](const std::vector<char>* changed) {
    int width = 0, height = 0;
    return renderMorphPicturePng(MorphPictureInput{surface.outcome.source, e.oldElement,
                                                   surface.outcome.destination, e.newElement,
                                                   &surface.outcome.correspondence, changed},
                                 width, height);
  };
  EXPECT_EQ(png(&none), png(nullptr));
  EXPECT_NE(png(&surface.outcome.addedVertices.changed), png(nullptr));
}

// The bundled sample in the surface mode, with the dialog's defaults and mirrored by position:
// the same counts and the same document to the last bit on every platform.
TEST_F(SurfaceModeTest, TheSampleComesOutTheSameOnEveryPlatform) {
  std::ifstream in(expectedPath("character-transfers.json"));
  const nlohmann::json expected = nlohmann::json::parse(in)["surfaceMode"];
  for (const std::string which : {"defaults", "mirroredByPosition"}) {
    SCOPED_TRACE(which);
    TransferRequest request;
    if (which == "mirroredByPosition") {
      request.dialog.options[dialog::optionIndex(&TransferSettings::useUniqueIds)] = false;
      request.dialog.options[dialog::optionIndex(&TransferSettings::mirrorMorph)] = true;
    }
    RunState r;
    buildSampleDocument(r.document, SampleOptions{});
    runTransfer(plugin_, r.document, request, r.outcome);
    applySurfaceMode(r.document, r.outcome);
    const nlohmann::json& want = expected[which];
    EXPECT_EQ(r.outcome.addedVertices.fromSurface, want["fromSurface"]);
    EXPECT_EQ(r.outcome.addedVertices.harmonic, want["harmonic"]);
    EXPECT_EQ(r.outcome.addedVertices.kept, want["kept"]);
    std::vector<int> moved;
    for (const ElementOutcome& e : r.outcome.elements)
      moved.push_back(e.motion.moved);
    EXPECT_EQ(nlohmann::json(moved), want["movedVertices"]);
    EXPECT_EQ(digest(r.document), want["digest"]);
  }
}

} // namespace
