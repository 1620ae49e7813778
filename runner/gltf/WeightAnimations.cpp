// Morph weight animations kept in step when targets are appended: a weights channel's sampler
// output holds one weight per target for every key, so each key gets a zero weight for every
// new target (in a new accessor; the old one is left as it was). Those outputs are read when the
// mesh is, so that a fault in them refuses the file before the run rather than failing its write.
#include "AccessorWriter.h"
#include "GltfAccessor.h"
#include "GltfJsonAccess.h"

#include <set>

namespace runner {

namespace {

bool animatesMesh(const GltfAsset& asset, const GltfJson& channel, size_t meshIndex) {
  if (!channel.is_object() || !channel.contains("target") || !channel["target"].is_object())
    return false;
  const GltfJson& target = channel["target"];
  if (target.value("path", GltfJson()) != "weights" || !target.contains("node") ||
      !target["node"].is_number_unsigned())
    return false;
  const GltfJson& nodes = topArray(asset, "nodes");
  const size_t node = target["node"].get<size_t>();
  return node < nodes.size() && nodes[node].contains("mesh") && nodes[node]["mesh"] == meshIndex;
}

// The samplers whose output holds the mesh's morph weights, each once, with the JSON path of its
// output.
struct WeightSampler {
  size_t animation = 0, sampler = 0, output = 0;
  std::string place;
};

std::vector<WeightSampler> weightSamplers(const GltfAsset& asset, size_t meshIndex) {
  std::vector<WeightSampler> found;
  const GltfJson& animations = topArray(asset, "animations");
  for (size_t a = 0; a < animations.size(); ++a) {
    const GltfJson& animation = animations[a];
    if (!animation.contains("channels") || !animation["channels"].is_array() ||
        !animation.contains("samplers") || !animation["samplers"].is_array())
      continue;
    std::set<size_t> done;
    for (const GltfJson& channel : animation["channels"]) {
      if (!animatesMesh(asset, channel, meshIndex) || !channel.contains("sampler") ||
          !channel["sampler"].is_number_unsigned())
        continue;
      const size_t s = channel["sampler"].get<size_t>();
      if (s >= animation["samplers"].size() || !done.insert(s).second)
        continue;
      const GltfJson& sampler = animation["samplers"][s];
      if (!sampler.is_object() || !sampler.contains("output") ||
          !sampler["output"].is_number_unsigned() ||
          sampler["output"].get<size_t>() >= topArray(asset, "accessors").size())
        continue;
      found.push_back(
          {a, s, sampler["output"].get<size_t>(),
           "animations[" + std::to_string(a) + "].samplers[" + std::to_string(s) + "].output"});
    }
  }
  return found;
}

} // namespace

void checkWeightAnimations(const GltfAsset& asset, size_t meshIndex) {
  for (const WeightSampler& w : weightSamplers(asset, meshIndex))
    readFloats(asset, w.output, 1, w.place);
}

void extendWeightAnimations(GltfAsset& asset, size_t meshIndex, size_t oldCount, size_t newCount,
                            AccessorWriter& writer) {
  if (oldCount == 0)
    return;
  for (const WeightSampler& w : weightSamplers(asset, meshIndex)) {
    const std::vector<float> old = readFloats(asset, w.output, 1, w.place);
    if (old.size() % oldCount != 0)
      continue; // not one weight per target and key: left as the file has it
    std::vector<float> grown;
    grown.reserve(old.size() / oldCount * newCount);
    for (size_t k = 0; k < old.size(); k += oldCount) {
      grown.insert(grown.end(), old.begin() + static_cast<std::ptrdiff_t>(k),
                   old.begin() + static_cast<std::ptrdiff_t>(k + oldCount));
      grown.resize(grown.size() + newCount - oldCount, 0.0f);
    }
    asset.json["animations"][w.animation]["samplers"][w.sampler]["output"] =
        writer.addScalars(grown, false);
  }
}

} // namespace runner
