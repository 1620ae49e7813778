// The plug-in object: the single Tovalinder instance behind the entry points, with the state of
// one command run and the command's stages as operations without arguments. The stages are
// defined in transfer/ and dialog/; this header is what they share.
// Relies on the object handle (objects/) and the bound host function table (host/).
#pragma once

#include "entry/MQPluginClasses.h"
#include "objects/CMQObject.h"
#include "transfer/MeshSnapshot.h"

#include <cstdint>
#include <set>
#include <unordered_map>
#include <vector>

// Hash map from int to int whose first entry for a key stays, as the diff and mirror rely on.
class IntMap {
public:
  void insert(int key, int value) { map_.emplace(key, value); }
  // The value for key, or fallback when there is none.
  int find(int key, int fallback) const {
    auto it = map_.find(key);
    return it == map_.end() ? fallback : it->second;
  }
  bool contains(int key) const { return map_.count(key) != 0; }
  size_t size() const { return map_.size(); }
  bool empty() const { return map_.empty(); }
  void clear() { map_.clear(); }
  void reserve(size_t n) { map_.reserve(n); }

private:
  std::unordered_map<int, int> map_;
};

class Tovalinder : public MQObjectPlugin {
public:
  Tovalinder() = default;
  ~Tovalinder() override;

  void GetPlugInID(MQDWORD* product, MQDWORD* id) override;
  const char* GetPlugInName() override;
  int GetPlugInType() override;
  const char* EnumString(int index) override;
  MQBOOL Execute(int index, MQDocument doc) override;

  // The command flow; always TRUE.
  MQBOOL runCommand();
  // Empties the state of a run: the lists, the tables, the flag and the meshes read.
  void resetRun();

  // Stages of the command, in the order the flow calls them.
  int selectSourceAndDestination();
  bool rebuildCandidates(bool elementsOnly, bool sameVertexCountOnly);
  void collectElements();
  int setUpElements();
  void buildMirrorMap();
  void buildVertexMap();
  void transferMorphs();
  void exchangeNames();
  void removeOldElements();
  void reportSkippedFaces();

  // The Source vertex that corresponds to Destination vertex v, or -1.
  int findSourceVertex(int v) const;

  // The Source's and the Destination's meshes with at least the given parts (MeshPart bits),
  // each part asked of the host once per run.
  const transfer::MeshSnapshot& sourceMesh(unsigned parts);
  const transfer::MeshSnapshot& destinationMesh(unsigned parts);

  MQDocument document = nullptr;
  cmq::CMQObject source;
  cmq::CMQObject destination;
  std::vector<cmq::CMQObject> elements;
  std::vector<cmq::CMQObject> newElements;
  IntMap vertexMap;
  IntMap mirrorMap;
  bool faceAttributesSkipped = false;

private:
  transfer::MeshSnapshot sourceSnapshot_;
  transfer::MeshSnapshot destinationSnapshot_;
};

// The plug-in object, constructed on first need; lives until the module is unloaded.
Tovalinder& pluginObject();
// True once pluginObject() has constructed the object.
bool pluginObjectConstructed();
