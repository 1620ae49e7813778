// The fast stages against their straightforward versions, bit for bit, on generated scenes:
// the same tables, the same flag and the same documents afterwards.
#include "Oracle.h"
#include "TransferFixture.h"

#include <climits>

namespace {

// Fewer under the sanitizers, which slow the simulated host down forty times.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRANSFER_SANITIZED 1
#endif
#endif
#ifdef TRANSFER_SANITIZED
constexpr uint32_t kScenes = 1200;
#else
constexpr uint32_t kScenes = 4000;
#endif

class FastAgainstOracle : public TransferTest {};

TEST_F(FastAgainstOracle, SameTablesAndDocumentsOnGeneratedScenes) {
  int withAdded = 0, withMirrorPairs = 0, withSkippedFaces = 0;
  for (uint32_t seed = 1; seed <= kScenes; ++seed) {
    const scenes::Scene scene = scenes::randomScene(seed);
    transferSettings() = scene.settings;

    sim::Document& fastDocument = host.newDocument();
    const scenes::Instance fast = scenes::instantiate(scene, fastDocument);
    Tovalinder& plugin = pluginObject();
    scenes::bind(plugin, fastDocument, fast);
    plugin.buildMirrorMap();
    plugin.buildVertexMap();
    plugin.transferMorphs();

    sim::Document& oracleDocument = host.newDocument();
    const scenes::Instance slow = scenes::instantiate(scene, oracleDocument);
    oracle::Run reference;
    scenes::bind(reference, oracleDocument, slow);
    reference.buildMirrorMap();
    reference.buildVertexMap();
    reference.transferMorphs();

    const int n = fast.destination->vertexCount();
    ASSERT_EQ(plugin.vertexMap.size(), reference.vertexMap.size()) << "seed " << seed;
    ASSERT_EQ(plugin.mirrorMap.size(), reference.mirrorMap.size()) << "seed " << seed;
    for (int v = 0; v < n; ++v) {
      ASSERT_EQ(plugin.vertexMap.find(v, INT_MIN), reference.vertexMap.find(v, INT_MIN))
          << "seed " << seed << " vertex " << v;
      ASSERT_EQ(plugin.mirrorMap.find(v, INT_MIN), reference.mirrorMap.find(v, INT_MIN))
          << "seed " << seed << " vertex " << v;
      withAdded += reference.findSourceVertex(v) == -1 && fast.destination->refCount(v) > 0;
    }
    withMirrorPairs += !reference.mirrorMap.empty();
    withSkippedFaces += reference.faceAttributesSkipped;
    ASSERT_EQ(plugin.faceAttributesSkipped, reference.faceAttributesSkipped) << "seed " << seed;
    ASSERT_EQ(sim::describe(fastDocument), sim::describe(oracleDocument)) << "seed " << seed;
    ASSERT_TRUE(host.misuses().empty()) << "seed " << seed << ": " << host.misuses().front();
    plugin.elements.clear();
    plugin.newElements.clear();
  }
  // The generator must keep reaching the interesting paths.
  EXPECT_GT(withAdded, int(kScenes / 4));
  EXPECT_GT(withMirrorPairs, int(kScenes / 8));
  EXPECT_GT(withSkippedFaces, int(kScenes / 8));
}

} // namespace
