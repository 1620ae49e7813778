// Shared set-up of the transfer tests: the host table bound to a simulated host of the test's
// own in strict mode (any misuse fails the test), fresh settings, and a plug-in object bound to a
// scene.
#pragma once

#include "Scenes.h"
#include "host/HostTable.h"

#include <gtest/gtest.h>

class TransferTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(host::bindHostTable(sim::moduleFileName()));
    host.makeCurrent();
    host.setStrict(true);
    transferSettings() = TransferSettings{};
  }
  void TearDown() override {
    const std::vector<std::string> misuses = host.misuses();
    EXPECT_TRUE(misuses.empty()) << misuses.front();
    Tovalinder& plugin = pluginObject();
    plugin.elements.clear();
    plugin.newElements.clear();
    plugin.source.reset();
    plugin.destination.reset();
    plugin.document = nullptr;
    plugin.vertexMap.clear();
    plugin.mirrorMap.clear();
  }

  // Builds the scene into document_ with the scene's settings and runs the three stages.
  scenes::Instance run(const scenes::Scene& scene) {
    transferSettings() = scene.settings;
    const scenes::Instance instance = scenes::instantiate(scene, document_);
    scenes::bind(pluginObject(), document_, instance);
    pluginObject().buildMirrorMap();
    pluginObject().buildVertexMap();
    pluginObject().transferMorphs();
    return instance;
  }

  sim::Host host; // each test's own
  sim::Document& document_ = host.newDocument();
};

// Settings with every copy option on, as the dialog opens (unique IDs off: position diff).
inline TransferSettings copyEverything() {
  TransferSettings s;
  s.morphAddedVertices = true;
  s.copyCoordinates = s.copyWeights = s.copyMaterials = s.copyUvs = s.copyEdges = true;
  s.rate = 1.0f;
  return s;
}

// A mesh from positions and faces (IDs 1, 2, ... in order).
inline scenes::Mesh mesh(const std::vector<MQPoint>& points,
                         const std::vector<std::vector<int>>& faces) {
  scenes::Mesh m;
  for (const MQPoint& p : points)
    m.vertices.push_back(scenes::MeshVertex{p, static_cast<MQDWORD>(m.vertices.size() + 1)});
  for (const std::vector<int>& f : faces)
    m.faces.push_back(scenes::MeshFace{f, static_cast<MQDWORD>(m.faces.size() + 1)});
  return m;
}
