// Shared set-up of the transfer tests: the host table bound to the simulated host in strict
// mode (any misuse fails the test), fresh settings, and a plug-in object bound to a scene.
#pragma once

#include "Scenes.h"
#include "host/HostTable.h"

#include <gtest/gtest.h>

class TransferTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(host::bindHostTable(sim::moduleFileName()));
    sim::clearMisuses();
    sim::setStrict(true);
    transferSettings() = TransferSettings{};
  }
  void TearDown() override {
    const std::vector<std::string> misuses = sim::misuses();
    EXPECT_TRUE(misuses.empty()) << misuses.front();
    sim::setStrict(false);
    sim::freeDetachedObjects();
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

  sim::Document document_;
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
