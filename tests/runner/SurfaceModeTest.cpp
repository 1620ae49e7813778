// The surface mode on generated sheets whose morph is an analytic field, through the real
// plug-in in the simulated host: each edit (a subdivided region, an extruded part, separate
// pieces, a seam of coincident vertices) under each field (a bump, a broad swell, a one-sided
// field). The added vertices must come out at least as close to the field as the plug-in's own
// interpolation puts them (ten times closer on the subdivided region), and everything else in
// the document must stay as the plug-in wrote it, to the last bit. The fit of the Source morph
// round each closest point against the closest triangle's blend, on the sheets and on two real
// meshes, under those fields and two that are not smooth (cut sharply, creased).
#include "SurfaceMode.h"
#include "AnalyticScenes.h"
#include "HostObjects.h"
#include "MorphPicture.h"
#include "PluginUnderTest.h"
#include "RunnerTestSupport.h"
#include "SampleCharacter.h"
#include "SurfaceOffsets.h"
#include "TransferRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using namespace runner;
using namespace runner_test;
using analytic::Edit;
using analytic::Field;

namespace {

struct RunState {
  sim::Host host;
  sim::Document& document = host.newDocument();
  TransferOutcome outcome;
};

sim::Object* writable(sim::Document& document, const sim::Object* object) {
  for (sim::Object* candidate : document.objects())
    if (candidate == object)
      return candidate;
  return nullptr;
}

// Root mean square distance, over the interpolated vertices, between where the new element has
// them and where the field laid by the frame puts them (mirrored and scaled as the run asked).
double fieldError(const RunState& r, const std::vector<quality::Vec3>& made, Field field,
                  const analytic::Frame& frame = analytic::Frame{}) {
  const std::vector<quality::Vec3> base = pointsOf(*r.outcome.destination);
  const double mirror = r.outcome.settings.mirrorMorph ? -1 : 1;
  double sum = 0;
  int count = 0;
  for (size_t v = 0; v < base.size(); ++v) {
    if (r.outcome.correspondence.fate[v] != VertexFate::Interpolated)
      continue;
    const quality::Vec3& d = base[v];
    const analytic::Point o = analytic::offsetAt(field, {mirror * d.x, d.y, d.z}, frame);
    const double want[3] = {d.x + r.outcome.rate * mirror * o[0], d.y + r.outcome.rate * o[1],
                            d.z + r.outcome.rate * o[2]};
    const double got[3] = {made[v].x, made[v].y, made[v].z};
    for (int k = 0; k < 3; ++k)
      sum += (got[k] - want[k]) * (got[k] - want[k]);
    ++count;
  }
  return count ? std::sqrt(sum / count) : 0;
}

double fieldError(const RunState& r, Field field,
                  const analytic::Frame& frame = analytic::Frame{}) {
  return fieldError(r, pointsOf(*r.outcome.elements.at(0).newElement), field, frame);
}

// The new element's positions as the surface mode makes them from the plain run (not mirrored),
// with the fit or with the closest triangle's blend only: the Destination position plus the
// scaled Source offset where the mode rewrites a vertex, the plug-in's position elsewhere.
std::vector<quality::Vec3> surfacePositions(const RunState& plain, bool fit) {
  const TransferOutcome& o = plain.outcome;
  const quality::PolygonMesh source = polygonMeshOf(*o.source);
  const quality::PolygonMesh destination = polygonMeshOf(*o.destination);
  std::vector<char> added(destination.positions.size(), 0);
  for (size_t v = 0; v < added.size(); ++v)
    added[v] = o.correspondence.fate[v] == VertexFate::Interpolated;
  quality::AddedVertexQuestion question{source, destination, o.correspondence.sourceVertex, added};
  question.fit = fit;
  const quality::SurfaceOffsets plan(question);
  const std::vector<quality::Vec3> moved = pointsOf(*o.elements.at(0).oldElement);
  std::vector<quality::Vec3> sourceOffsets(moved.size()), offsets;
  for (size_t s = 0; s < moved.size(); ++s)
    sourceOffsets[s] =
        quality::Vec3{moved[s].x - source.positions[s].x, moved[s].y - source.positions[s].y,
                      moved[s].z - source.positions[s].z};
  plan.offsetsFor(sourceOffsets, offsets);
  std::vector<quality::Vec3> made = pointsOf(*o.elements.at(0).newElement);
  for (size_t i = 0; i < plan.vertices().size(); ++i) {
    if (plan.origin(i) == quality::OffsetOrigin::Kept)
      continue;
    const size_t v = static_cast<size_t>(plan.vertices()[i]);
    const quality::Vec3& base = destination.positions[v];
    made[v] = quality::Vec3{base.x + o.rate * offsets[v].x, base.y + o.rate * offsets[v].y,
                            base.z + o.rate * offsets[v].z};
  }
  return made;
}

class SurfaceModeTest : public ::testing::Test {
protected:
  SurfaceModeTest() : plugin_(testing_support::pluginFile()) {}
  void SetUp() override { ASSERT_TRUE(plugin_.start(sim::moduleFileName())) << plugin_.error(); }

  void transfer(RunState& r, Field field, Edit edit, const TransferRequest& request) {
    analytic::buildDocument(r.document, field, edit);
    run(r, request);
  }

  void run(RunState& r, const TransferRequest& request) {
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

// A Source, its edited copy, the frame that lays the fields over them, and how much closer to
// the smooth fields the fit must bring the added vertices than the blend does.
struct FitCase {
  std::string name;
  analytic::Mesh source, destination;
  analytic::Frame frame;
  double smoothGain;
};

std::vector<FitCase> fitCases() {
  std::vector<FitCase> cases;
  const analytic::Mesh sheet = analytic::sourceSheet();
  // On the subdivided region the added vertices lie on the curved sheet: the fit must be far
  // closer. Lifted off the sheet, joined to nothing, or at the Source's own vertices, nothing
  // tells the fit more than the blend: no worse.
  const std::pair<Edit, double> edits[] = {{Edit::Subdivided, 0.5},
                                           {Edit::Extruded, 1},
                                           {Edit::SeparatePieces, 1},
                                           {Edit::CoincidentVertices, 1}};
  for (const auto& [edit, gain] : edits)
    cases.push_back(
        FitCase{analytic::nameOf(edit), sheet, analytic::edited(sheet, edit), {}, gain});
  // Real meshes nobody here made: a region of a creature subdivided across its mirror plane,
  // and a region of a spider spanning several of its separate pieces. Subdivided smoothly, the
  // new points lie on a smooth surface through the old vertices; subdivided flat, on the old
  // faces, where the blend already has them where the mesh says the surface is.
  const std::string folder = "/usr/share/assimp/models/OBJ/";
  struct Model {
    const char* name;
    const char* file;
    analytic::Point centre;
    double radius, smoothGain;
  };
  for (const Model& m : {Model{"Wuson", "WusonOBJ.obj", {0, 0.8, -0.5}, 0.6, 0.8},
                         Model{"spider", "spider.obj", {-20, 0, -10}, 51.5, 0.9}}) {
    if (!std::ifstream(folder + m.file)) {
      std::printf("%s%s is not here (Debian package assimp-testmodels): left out\n", folder.c_str(),
                  m.file);
      continue;
    }
    const analytic::Mesh model = analytic::readModel(folder + m.file);
    const analytic::Frame frame =
        analytic::frameOf(model, {m.centre[0] + 0.15 * m.radius, m.centre[1], m.centre[2]});
    for (bool smooth : {true, false})
      cases.push_back(FitCase{std::string(m.name) + (smooth ? ", smooth" : ", flat"), model,
                              analytic::subdividedAround(model, m.centre, m.radius, smooth), frame,
                              smooth ? m.smoothGain : 1});
  }
  return cases;
}

// Every case under every field, through the plug-in and the surface mode, against the surface
// mode with the closest triangle's blend only (errors in units of the mesh size). Smooth fields
// (bump, swell, one-sided): at most smoothGain times the blend's error. A field cut sharply or
// with a crease: no worse than the blend. The runner's run writes what the fit gives, to the
// last bit, and leaves all else as the plug-in wrote it.
TEST_F(SurfaceModeTest, TheFitBeatsTheBlendOnSmoothFieldsAndIsNoWorseWhereTheyAreNot) {
  for (const FitCase& c : fitCases())
    for (Field field : {Field::Bump, Field::Swell, Field::OneSided, Field::Cut, Field::Crease}) {
      SCOPED_TRACE(c.name + ", " + analytic::nameOf(field));
      RunState plain, surface;
      analytic::buildDocument(plain.document, c.source, c.destination, field, c.frame);
      run(plain, TransferRequest{});
      analytic::buildDocument(surface.document, c.source, c.destination, field, c.frame);
      run(surface, TransferRequest{});
      applySurfaceMode(surface.document, surface.outcome);
      expectOnlyAddedVerticesDiffer(plain, surface);
      const std::vector<quality::Vec3> fitted = surfacePositions(plain, true);
      const std::vector<quality::Vec3> blended = surfacePositions(plain, false);
      const std::vector<quality::Vec3> made = pointsOf(*surface.outcome.elements[0].newElement);
      ASSERT_EQ(made.size(), fitted.size());
      EXPECT_EQ(std::memcmp(made.data(), fitted.data(), made.size() * sizeof made[0]), 0);

      const double size = analytic::sizeOf(c.source);
      const double plugin = fieldError(plain, field, c.frame) / size;
      const double blend = fieldError(plain, blended, field, c.frame) / size;
      const double fit = fieldError(plain, fitted, field, c.frame) / size;
      std::printf("%-20s %-9s added %4d  plug-in %.2e  blend %.3e  fit %.3e  x%.4f\n",
                  c.name.c_str(), analytic::nameOf(field).c_str(),
                  plain.outcome.correspondence.tally.interpolated, plugin, blend, fit,
                  blend > 0 ? fit / blend : 1.0);
      const bool smooth = field == Field::Bump || field == Field::Swell || field == Field::OneSided;
      // Where the morph is not smooth, a vertex beside a cut or a crease may still lean a little
      // towards its far side: no farther from the field over all than a ten-thousandth.
      EXPECT_LE(fit, (smooth ? c.smoothGain : 1 + 1e-4) * blend);
      if (c.name == analytic::nameOf(Edit::CoincidentVertices)) {
        EXPECT_EQ(std::memcmp(blended.data(), fitted.data(), made.size() * sizeof made[0]), 0);
      }
    }
}

} // namespace
