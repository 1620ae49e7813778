// The object handle's queries on an object built from the fuzz bytes (any points, out of range
// included, any coordinates), with the simulated host in a hostile mode chosen by the bytes and
// in strict mode. Invariants: the handle never goes past what the host answered (no misuse is
// recorded), every answer is a prefix of the real content (nothing from a buffer the host did
// not fill), an ordinary host gives the whole content, and a UV write changes only the corners
// it has records for. The document checker reports the out-of-range points the bytes chose, and
// nothing else (the handle's writes change no structure).
#include "FuzzInput.h"
#include "SimCheck.h"
#include "SimHost.h"
#include "SimHostile.h"
#include "host/HostTable.h"
#include "objects/CMQObject.h"

#include <algorithm>
#include <vector>

namespace {

template <typename T> bool isPrefix(const std::vector<T>& part, const std::vector<T>& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

bool sameBits(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Points as the handle gives them from an ordinary host: a trailing -1 names no vertex and is
// not told from an unfilled entry.
std::vector<int> withoutTrailingNone(std::vector<int> points) {
  while (!points.empty() && points.back() == -1)
    points.pop_back();
  return points;
}

void runCase(sim::Host& host, fuzzing::FuzzInput& in) {
  sim::Document& document = host.newDocument();
  sim::Object* object = document.addObject(in.bytes(6));
  const int vertexCount = int(in.pick(12));
  for (int v = 0; v < vertexCount; ++v)
    object->addVertex(in.real(), 0.0f, 0.0f);
  const int faceCount = int(in.pick(6));
  for (int f = 0; f < faceCount; ++f) {
    std::vector<int> points(in.pick(7));
    for (int& p : points)
      p = in.pick(8) == 0 ? int(in.word()) : int(in.pick(unsigned(vertexCount) + 2)) - 1;
    const int face = object->addFace(points);
    for (int c = 0; c < object->facePointCount(face); ++c)
      object->editFaceUvs(face)[c] = MQCoordinate{in.real(), in.real()};
  }
  const std::vector<sim::Hostile> modes = sim::hostileModes();
  const unsigned modeIndex = in.pick(unsigned(modes.size()) + 3); // None more often
  const sim::Hostile mode = modeIndex < modes.size() ? modes[modeIndex] : sim::Hostile::None;
  const bool ordinary = mode == sim::Hostile::None;
  host.setHugeCount(1 + int(in.pick(64)));
  sim::HostileScope scope(host, mode);

  // The handle as a caller holds it after checking it (objectAt answers null under NullObjects).
  const cmq::CMQObject handle(object->handle(), document.handle());
  for (int f = -1; f <= faceCount; ++f) {
    const bool real = f >= 0 && f < faceCount;
    const std::vector<int> points = real ? object->facePointList(f) : std::vector<int>();
    if (!real) // a face index past the object is the caller's error: not asked
      continue;
    const std::vector<int> got = handle.facePoints(f);
    fuzzing::check(isPrefix(got, points), "face points are a prefix of the face's points");
    if (ordinary)
      fuzzing::check(got == withoutTrailingNone(points), "an ordinary host gives every point");

    const std::vector<cmq::CornerUv> corners = handle.readCornerUvs(f);
    fuzzing::check(corners.size() <= points.size(), "no more corners than points");
    for (size_t c = 0; c < corners.size(); ++c) {
      fuzzing::check(corners[c].vertex == points[c], "corner c joins point c");
      fuzzing::check(sameBits(corners[c].u, object->faceUvs(f)[c].u) &&
                         sameBits(corners[c].v, object->faceUvs(f)[c].v),
                     "corner c carries coordinate pair c");
    }

    std::vector<cmq::CornerUv> records(in.pick(8));
    for (cmq::CornerUv& record : records)
      record = cmq::CornerUv{0, in.real(), in.real()};
    const std::vector<MQCoordinate> before = object->faceUvList(f);
    handle.writeCornerUvs(f, records);
    const std::vector<MQCoordinate> after = object->faceUvList(f);
    fuzzing::check(after.size() == before.size(), "a UV write keeps one pair per point");
    for (size_t c = 0; c < after.size(); ++c) {
      const bool written = !sameBits(after[c].u, before[c].u) || !sameBits(after[c].v, before[c].v);
      if (c >= records.size())
        fuzzing::check(!written, "corners without a record keep their coordinates");
      else if (written)
        fuzzing::check(sameBits(after[c].u, records[c].u) && sameBits(after[c].v, records[c].v),
                       "a written corner takes its record's coordinates");
      if (ordinary && c < records.size())
        fuzzing::check(sameBits(after[c].u, records[c].u) && sameBits(after[c].v, records[c].v),
                       "an ordinary host takes every record");
    }
  }
  for (int v = 0; v < vertexCount; ++v) {
    const std::vector<int> related = object->relatedFaces(v);
    const std::vector<int> got = handle.relatedFaces(v);
    fuzzing::check(isPrefix(got, related), "related faces are a prefix of the real ones");
    if (ordinary)
      fuzzing::check(got == related, "an ordinary host gives every related face");
  }
  size_t outOfRange = 0;
  for (int p : object->points)
    outOfRange += p < 0 || p >= vertexCount;
  const std::vector<std::string> findings = sim::checkDocument(document);
  // Each rule lists its first 20 faults and then a line with the count of the rest.
  fuzzing::check(findings.size() == std::min<size_t>(outOfRange, 20) + (outOfRange > 20),
                 "the checker finds exactly the points out of range");
  for (size_t k = 0; k < findings.size() && k < 20; ++k)
    fuzzing::check(findings[k].find(": point ") != std::string::npos &&
                       findings[k].find(" out of range ") != std::string::npos,
                   "each finding names a point out of range");
  const std::string name = in.bytes(6).c_str();
  const cmq::CMQObject found = cmq::findObjectByName(document.handle(), name);
  if (ordinary)
    fuzzing::check((found.object != nullptr) == (object->name().c_str() == name),
                   "found exactly when the name matches");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool bound = host::bindHostTable(sim::moduleFileName());
  fuzzing::check(bound, "the simulated host binds");
  sim::Host host; // each input's own
  host.setStrict(true);
  fuzzing::FuzzInput in(data, size);
  runCase(host, in);
  const std::vector<std::string> misuses = host.misuses();
  if (!misuses.empty()) {
    std::fprintf(stderr, "%s\n", misuses.front().c_str());
    fuzzing::fail("the handle went past what the host answered");
  }
  return 0;
}
