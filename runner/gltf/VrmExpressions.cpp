#include "VrmExpressions.h"

#include "GltfJsonAccess.h"

#include <algorithm>
#include <cctype>

namespace runner {

namespace {

enum class Version { None, Zero, One };

// VRM 0.x preset names, the VRM 1.0 presets they became, and the name a VRM 0.x group of the
// preset usually bears. VRM 1.0's "surprised" has no VRM 0.x preset.
struct Preset {
  const char* zero;
  const char* one;
  const char* zeroName;
};
const Preset kPresets[] = {{"neutral", "neutral", "Neutral"},
                           {"a", "aa", "A"},
                           {"i", "ih", "I"},
                           {"u", "ou", "U"},
                           {"e", "ee", "E"},
                           {"o", "oh", "O"},
                           {"blink", "blink", "Blink"},
                           {"joy", "happy", "Joy"},
                           {"angry", "angry", "Angry"},
                           {"sorrow", "sad", "Sorrow"},
                           {"fun", "relaxed", "Fun"},
                           {"lookup", "lookUp", "LookUp"},
                           {"lookdown", "lookDown", "LookDown"},
                           {"lookleft", "lookLeft", "LookLeft"},
                           {"lookright", "lookRight", "LookRight"},
                           {"blink_l", "blinkLeft", "Blink_L"},
                           {"blink_r", "blinkRight", "Blink_R"}};
const char kCustom[] = "custom:";

// An expression of either version, as the run matches them: its key (the VRM 1.0 preset name,
// or "custom:" and its name), where it stands in its file, and its binds on one mesh (target
// index, the weight as written). The binds are copies: the file may grow while they are used.
struct Expression {
  std::string key;
  const GltfJson* json = nullptr;
  std::vector<std::pair<size_t, GltfJson>> binds;
};

bool isObject(const GltfJson& parent, const char* key) {
  return parent.is_object() && parent.contains(key) && parent[key].is_object();
}

Version versionOf(const GltfAsset& asset) {
  if (!isObject(asset.json, "extensions"))
    return Version::None;
  const GltfJson& extensions = asset.json["extensions"];
  return isObject(extensions, "VRMC_vrm") ? Version::One
         : isObject(extensions, "VRM")    ? Version::Zero
                                          : Version::None;
}

std::string lower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string keyOfZero(const GltfJson& group) {
  const std::string preset = lower(group.value("presetName", std::string()));
  for (const Preset& p : kPresets)
    if (preset == p.zero)
      return p.one;
  const std::string name = group.value("name", std::string());
  return lower(name) == "surprised" ? "surprised" : kCustom + name;
}

bool unsignedAt(const GltfJson& object, const char* key) {
  return object.is_object() && object.contains(key) && object[key].is_number_unsigned();
}

long meshOfNode(const GltfAsset& asset, const GltfJson& node) {
  if (!node.is_number_unsigned() || !asset.json.contains("nodes"))
    return -1;
  const GltfJson& nodes = asset.json["nodes"];
  const size_t n = node.get<size_t>();
  return n < nodes.size() && unsignedAt(nodes[n], "mesh") ? nodes[n]["mesh"].get<long>() : -1;
}

// The binds of a VRM 1.0 expression or a VRM 0.x group on one mesh.
void collectBinds(const GltfAsset& asset, Version version, size_t mesh, Expression& e) {
  const char* list = version == Version::One ? "morphTargetBinds" : "binds";
  if (!e.json->contains(list) || !(*e.json)[list].is_array())
    return;
  for (const GltfJson& bind : (*e.json)[list]) {
    if (!unsignedAt(bind, "index") || !bind.contains("weight") || !bind["weight"].is_number())
      continue;
    const long on = version == Version::One
                        ? (bind.contains("node") ? meshOfNode(asset, bind["node"]) : -1)
                        : (unsignedAt(bind, "mesh") ? bind["mesh"].get<long>() : -1);
    if (on == static_cast<long>(mesh))
      e.binds.emplace_back(bind["index"].get<size_t>(), bind["weight"]);
  }
}

std::vector<Expression> expressionsOf(const GltfAsset& asset, Version version, size_t mesh) {
  std::vector<Expression> found;
  const GltfJson& extensions = asset.json["extensions"];
  if (version == Version::One && isObject(extensions["VRMC_vrm"], "expressions")) {
    const GltfJson& expressions = extensions["VRMC_vrm"]["expressions"];
    for (const char* group : {"preset", "custom"})
      if (isObject(expressions, group))
        for (auto it = expressions[group].begin(); it != expressions[group].end(); ++it)
          if (it.value().is_object())
            found.push_back({(group[0] == 'c' ? kCustom : "") + it.key(), &it.value(), {}});
  }
  if (version == Version::Zero && isObject(extensions["VRM"], "blendShapeMaster")) {
    const GltfJson& master = extensions["VRM"]["blendShapeMaster"];
    if (master.contains("blendShapeGroups") && master["blendShapeGroups"].is_array())
      for (const GltfJson& group : master["blendShapeGroups"])
        if (group.is_object())
          found.push_back({keyOfZero(group), &group, {}});
  }
  for (Expression& e : found)
    collectBinds(asset, version, mesh, e);
  return found;
}

const Preset* presetOfKey(const std::string& key) {
  for (const Preset& p : kPresets)
    if (key == p.one)
      return &p;
  return nullptr;
}

// The settings a new expression takes from the Source's: VRM 1.0's binary and override fields;
// a VRM 0.x group has only the binary flag.
void copySettings(const GltfJson& from, Version to, GltfJson& made) {
  for (const char* key : {"isBinary", "overrideBlink", "overrideLookAt", "overrideMouth"})
    if (from.contains(key) && (to == Version::One || std::string(key) == "isBinary"))
      made[key] = from[key];
}

// The Destination's expressions, found by key and made when missing, and the binds added.
class Destination {
public:
  Destination(GltfAsset& asset, Version version, size_t mesh)
      : asset_(asset), version_(version), mesh_(mesh) {}

  // The node (VRM 1.0) or mesh (VRM 0.x) binds name; -1 when the mesh has no node.
  long bindTarget() const {
    if (version_ == Version::Zero)
      return static_cast<long>(mesh_);
    for (const Expression& e : expressionsOf(asset_, version_, mesh_))
      if (!e.binds.empty())
        for (const GltfJson& bind : e.json->at("morphTargetBinds"))
          if (unsignedAt(bind, "node") && meshOfNode(asset_, bind["node"]) == long(mesh_))
            return bind["node"].get<long>();
    const GltfJson& nodes = topArray(asset_, "nodes");
    for (size_t n = 0; n < nodes.size(); ++n)
      if (unsignedAt(nodes[n], "mesh") && nodes[n]["mesh"].get<size_t>() == mesh_)
        return static_cast<long>(n);
    return -1;
  }

  // The expression of the key, made from the Source's (its settings given apart, since the
  // Source may be this very file) when the Destination has none.
  GltfJson& expression(const Expression& source, const GltfJson& settings,
                       ExpressionChange& change) {
    for (const Expression& e : expressionsOf(asset_, version_, mesh_))
      if (e.key == source.key) {
        change.name = nameOf(e);
        return const_cast<GltfJson&>(*e.json);
      }
    change.created = true;
    GltfJson& made =
        version_ == Version::One ? makeOne(source, change) : makeZero(source, settings, change);
    copySettings(settings, version_, made);
    return made;
  }

  // Whether the expression binds the target already; an expression whose list of binds is not
  // a list counts as bound (it is left as it is).
  bool binds(const GltfJson& expression, long target, size_t index) const {
    const char* list = version_ == Version::One ? "morphTargetBinds" : "binds";
    const char* on = version_ == Version::One ? "node" : "mesh";
    if (!expression.contains(list))
      return false;
    if (!expression[list].is_array())
      return true;
    for (const GltfJson& bind : expression[list])
      if (unsignedAt(bind, on) && bind[on].get<long>() == target && unsignedAt(bind, "index") &&
          bind["index"].get<size_t>() == index)
        return true;
    return false;
  }

  ExpressionBind addBind(GltfJson& expression, long target, size_t index, const GltfJson& weight,
                         Version from) {
    GltfJson w = weight;
    if (from != version_) // VRM 0.x weighs from 0 to 100, VRM 1.0 from 0 to 1
      w = version_ == Version::One ? weight.get<double>() / 100.0 : weight.get<double>() * 100.0;
    const char* list = version_ == Version::One ? "morphTargetBinds" : "binds";
    expression[list].push_back(
        {{version_ == Version::One ? "node" : "mesh", target}, {"index", index}, {"weight", w}});
    return ExpressionBind{version_ == Version::One ? "node" : "mesh", target, index,
                          w.get<double>()};
  }

private:
  std::string nameOf(const Expression& e) const {
    if (version_ == Version::Zero)
      return e.json->value("name", std::string());
    return e.key.rfind(kCustom, 0) == 0 ? e.key.substr(sizeof kCustom - 1) : e.key;
  }
  GltfJson& makeOne(const Expression& source, ExpressionChange& change) {
    GltfJson& vrm = asset_.json["extensions"]["VRMC_vrm"];
    if (!isObject(vrm, "expressions"))
      vrm["expressions"] = GltfJson::object();
    const bool custom = source.key.rfind(kCustom, 0) == 0;
    GltfJson& group = vrm["expressions"][custom ? "custom" : "preset"];
    if (!group.is_object())
      group = GltfJson::object();
    change.name = custom ? source.key.substr(sizeof kCustom - 1) : source.key;
    return group[change.name] = {{"morphTargetBinds", GltfJson::array()}};
  }
  GltfJson& makeZero(const Expression& source, const GltfJson& settings, ExpressionChange& change) {
    GltfJson& master = asset_.json["extensions"]["VRM"]["blendShapeMaster"];
    if (!master.is_object())
      master = GltfJson::object();
    GltfJson& groups = master["blendShapeGroups"];
    if (!groups.is_array())
      groups = GltfJson::array();
    const Preset* preset = presetOfKey(source.key);
    const bool fromZero = settings.contains("binds");
    change.name = fromZero ? settings.value("name", std::string())
                  : preset ? preset->zeroName
                           : source.key.substr(source.key.rfind(':') + 1);
    groups.push_back({{"name", change.name},
                      {"presetName", preset ? preset->zero : "unknown"},
                      {"binds", GltfJson::array()},
                      {"materialValues", GltfJson::array()}});
    return groups.back();
  }

  GltfAsset& asset_;
  Version version_;
  size_t mesh_;
};

} // namespace

ExpressionOutcome carryExpressions(const GltfAsset& source, size_t sourceMesh,
                                   GltfAsset& destination, size_t destinationMesh,
                                   const std::vector<CarriedTarget>& carried) {
  ExpressionOutcome outcome;
  const Version from = versionOf(source), to = versionOf(destination);
  if (from == Version::None)
    return outcome;
  outcome.avatar = true;
  // Copies: when both meshes are in one file, the file grows under the Source's expressions.
  std::vector<Expression> expressions = expressionsOf(source, from, sourceMesh);
  std::vector<GltfJson> settings;
  for (const Expression& e : expressions)
    settings.push_back(*e.json);
  const auto carriedTo = [&carried](size_t s) {
    for (const CarriedTarget& c : carried)
      if (c.source == s)
        return static_cast<long>(c.destination);
    return -1L;
  };
  const auto touches = [&](const Expression& e) {
    return std::any_of(e.binds.begin(), e.binds.end(),
                       [&](const auto& b) { return carriedTo(b.first) >= 0; });
  };
  if (std::none_of(expressions.begin(), expressions.end(), touches))
    return outcome;
  if (to == Version::None) {
    outcome.note = "the Source's expressions were not carried: the Destination file has no VRM "
                   "extension to hold them";
    return outcome;
  }
  Destination writer(destination, to, destinationMesh);
  const long target = writer.bindTarget();
  if (target < 0) {
    outcome.note = "the Source's expressions were not carried: no node of the Destination file "
                   "shows the Destination mesh";
    return outcome;
  }
  for (size_t k = 0; k < expressions.size(); ++k) {
    const Expression& e = expressions[k];
    if (!touches(e))
      continue;
    ExpressionChange change;
    GltfJson& made = writer.expression(e, settings[k], change);
    for (const auto& [index, weight] : e.binds) {
      const long d = carriedTo(index);
      if (d >= 0 && !writer.binds(made, target, static_cast<size_t>(d)))
        change.binds.push_back(writer.addBind(made, target, static_cast<size_t>(d), weight, from));
    }
    if (change.created || !change.binds.empty())
      outcome.changes.push_back(change);
  }
  if (outcome.changes.empty())
    outcome.note = "every expression that binds a carried morph binds it in the Destination "
                   "already";
  return outcome;
}

} // namespace runner
