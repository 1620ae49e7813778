// The document checker (SimCheck.h): the rules of each object, and the comparisons with the
// snapshot taken before a command.
#include "ObjectFaults.h"
#include "SimCheck.h"

#include <map>
#include <unordered_map>

namespace sim {

namespace {

std::string objectPlace(const Object& object, int slot) {
  return "object \"" + object.name().str() + "\" (slot " + std::to_string(slot) + "): ";
}

// Names borne by more than one object, with the slots bearing each.
std::map<std::string, std::vector<int>> sharedNames(const Document& document) {
  std::map<std::string, std::vector<int>> slots;
  for (int s = 0; s < document.slotCount(); ++s)
    if (const Object* object = document.objectAt(s))
      slots[object->name()].push_back(s);
  for (auto it = slots.begin(); it != slots.end();)
    it = it->second.size() > 1 ? std::next(it) : slots.erase(it);
  return slots;
}

// The faults the input already had: an old object's own, or a new element's Destination's.
const std::set<std::string>*
inheritedFaults(const Object* object, const CheckExpectations& expected,
                const std::unordered_map<const Object*, const Object*>& destinations) {
  if (!expected.before)
    return nullptr;
  const auto made = destinations.find(object);
  const Object* origin = made == destinations.end() ? object : made->second;
  const auto it = expected.before->faults.find(origin);
  return it == expected.before->faults.end() ? nullptr : &it->second;
}

void checkNewElement(const NewElement& made, const std::string& place,
                     std::vector<std::string>& findings) {
  const Object& element = *made.element;
  const Object& destination = *made.destination;
  if (element.vertexCount() != destination.vertexCount() ||
      element.faceCount() != destination.faceCount())
    findings.push_back(place + "new element of " + std::to_string(element.vertexCount()) +
                       " vertices and " + std::to_string(element.faceCount()) +
                       " faces; its Destination \"" + destination.name().str() + "\" has " +
                       std::to_string(destination.vertexCount()) + " and " +
                       std::to_string(destination.faceCount()));
}

// Whether a NaN or an infinity in the object is new: it had none, or (a new object) the input
// had none anywhere.
bool nonFiniteIsNew(const Object* object, const DocumentSnapshot& before) {
  if (before.objects.count(object))
    return !before.nonFinite.count(object);
  return before.nonFinite.empty();
}

} // namespace

DocumentSnapshot snapshotDocument(const Document& document) {
  DocumentSnapshot snapshot;
  ObjectChecks checks;
  for (const Object* object : document.objects()) {
    snapshot.objects.insert(object);
    if (!checks.nonFiniteValues(*object).empty())
      snapshot.nonFinite.insert(object);
    const std::vector<std::string> faults = checks.faults(*object);
    if (!faults.empty())
      snapshot.faults[object] = std::set<std::string>(faults.begin(), faults.end());
  }
  for (const auto& shared : sharedNames(document))
    snapshot.sharedNames.insert(shared.first);
  return snapshot;
}

std::vector<std::string> checkDocument(const Document& document,
                                       const CheckExpectations& expected) {
  std::vector<std::string> findings;
  ObjectChecks checks;
  std::unordered_map<const Object*, const Object*> destinations;
  for (const NewElement& made : expected.newElements)
    destinations.emplace(made.element, made.destination);
  for (int s = 0; s < document.slotCount(); ++s) {
    const Object* object = document.objectAt(s);
    if (!object)
      continue;
    const std::string place = objectPlace(*object, s);
    const std::set<std::string>* inherited = inheritedFaults(object, expected, destinations);
    for (const std::string& fault : checks.faults(*object))
      if (!inherited || !inherited->count(fault))
        findings.push_back(place + fault);
    if (expected.before && nonFiniteIsNew(object, *expected.before)) {
      const std::string values = checks.nonFiniteValues(*object);
      if (!values.empty())
        findings.push_back(place + values + ", where the input had none");
    }
  }
  for (const NewElement& made : expected.newElements) {
    const int slot = document.indexOf(made.element);
    checkNewElement(made, objectPlace(*made.element, slot), findings);
  }
  if (expected.before)
    for (const auto& [name, slots] : sharedNames(document))
      if (!expected.before->sharedNames.count(name))
        for (size_t k = 1; k < slots.size(); ++k)
          findings.push_back(objectPlace(*document.objectAt(slots[k]), slots[k]) +
                             "name also borne by slot " + std::to_string(slots[0]));
  return findings;
}

CheckExpectations commandExpectations(const Document& after, const DocumentSnapshot& before,
                                      const Object* destination) {
  CheckExpectations expected;
  expected.before = &before;
  if (destination)
    for (const Object* object : after.objects())
      if (!before.objects.count(object))
        expected.newElements.push_back(NewElement{object, destination});
  return expected;
}

} // namespace sim
