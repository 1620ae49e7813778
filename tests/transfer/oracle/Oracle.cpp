// Each stage as a direct reading of its steps (settings from transferSettings()).
#include "Oracle.h"

#include "host/HostTable.h"
#include "transfer/TransferSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <set>

namespace oracle {
namespace {

float bits(uint32_t b) {
  float f;
  std::memcpy(&f, &b, 4);
  return f;
}
const float kTolerance = bits(0x358637BEu);
const float kPlane = bits(0x3A83126Fu);

MQPoint vertexOf(MQObject object, int index) {
  MQPoint p{0, 0, 0};
  MQObj_GetVertex(object, index, &p);
  return p;
}

bool within(const MQPoint& p, const MQPoint& q) {
  float d = (p.y - q.y) * (p.y - q.y);
  d = d + (p.x - q.x) * (p.x - q.x);
  d = d + (p.z - q.z) * (p.z - q.z);
  return d < kTolerance;
}

struct VertexRef {
  int index;
  int side;
};

struct PathNode {
  int x;
  int y;
  PathNode* previous;
};

} // namespace

void Run::buildMirrorMap() {
  if (!transferSettings().mirrorMorph)
    return;
  const MQObject d = destination.object;
  const int n = MQObj_GetVertexCount(d);
  for (int i = 0; i < n; ++i) {
    if (MQObj_GetVertexRefCount(d, i) == 0 || mirrorMap.contains(i))
      continue;
    const MQPoint p = vertexOf(d, i);
    if (std::fabs(p.x) < kPlane) {
      mirrorMap.insert(i, i);
      continue;
    }
    const MQPoint r{-p.x, p.y, p.z};
    for (int j = 0; j < n; ++j) {
      if (MQObj_GetVertexRefCount(d, j) == 0 || j == i)
        continue;
      if (within(r, vertexOf(d, j))) {
        mirrorMap.insert(j, i);
        mirrorMap.insert(i, j);
        break;
      }
    }
  }
}

void Run::buildVertexMap() {
  if (transferSettings().useUniqueIds)
    return;
  auto sequence = [](MQObject object, int side) {
    std::vector<VertexRef> s;
    for (int i = 0; i < MQObj_GetVertexCount(object); ++i)
      if (MQObj_GetVertexRefCount(object, i) > 0)
        s.push_back(VertexRef{i, side});
    return s;
  };
  const std::vector<VertexRef> a = sequence(source.object, 1);
  const std::vector<VertexRef> b = sequence(destination.object, 2);
  auto positionsMatch = [&](const VertexRef& p, const VertexRef& q) {
    auto object = [&](const VertexRef& ref) {
      return ref.side == 1 ? source.object : destination.object;
    };
    return within(vertexOf(object(p), p.index), vertexOf(object(q), q.index));
  };
  const int m = static_cast<int>(a.size());
  const int n = static_cast<int>(b.size());
  std::deque<PathNode> nodes;
  std::vector<PathNode*> furthest(static_cast<size_t>(m + n + 2), nullptr);
  auto node = [&](int k) -> PathNode* {
    PathNode*& slot = furthest[static_cast<size_t>(k + m)];
    if (!slot) {
      nodes.push_back(PathNode{0, 0, nullptr});
      slot = &nodes.back();
    }
    return slot;
  };
  PathNode* end = nullptr;
  for (int d = 0; d <= m + n && !end; ++d) {
    const int kmin = d <= m ? -d : d - 2 * m;
    const int kmax = d <= n ? d : 2 * n - d;
    if (kmin > kmax)
      continue;
    for (int k = kmin; k <= kmax; k += 2) {
      PathNode* previous;
      int y;
      if (k == -d || (k != d && node(k - 1)->y < node(k + 1)->y)) {
        previous = node(k + 1);
        y = previous->y;
      } else {
        previous = node(k - 1);
        y = previous->y + 1;
      }
      int x = y - k;
      while (x < m && y < n &&
             positionsMatch(a[static_cast<size_t>(x)], b[static_cast<size_t>(y)])) {
        ++x;
        ++y;
      }
      nodes.push_back(PathNode{x, y, previous});
      furthest[static_cast<size_t>(k + m)] = &nodes.back();
      if (x >= m && y >= n) {
        end = &nodes.back();
        break;
      }
    }
  }
  for (PathNode* p = end; p && p->previous; p = p->previous) {
    const PathNode* r = p->previous;
    const int dx = p->x - r->x;
    const int dy = p->y - r->y;
    for (int i = 0; i < std::min(dx, dy); ++i)
      vertexMap.insert(b[static_cast<size_t>(p->y - 1 - i)].index,
                       a[static_cast<size_t>(p->x - 1 - i)].index);
    if (dx < dy)
      vertexMap.insert(b[static_cast<size_t>(r->y)].index, -1);
  }
}

int Run::findSourceVertex(int v) const {
  const TransferSettings& s = transferSettings();
  if (s.mirrorMorph && mirrorMap.contains(v))
    v = mirrorMap.find(v, v);
  if (s.useUniqueIds)
    return MQObj_GetVertexIndexFromUniqueID(source.object,
                                            MQObj_GetVertexUniqueID(destination.object, v));
  return vertexMap.find(v, -1);
}

namespace {

struct Transfer {
  explicit Transfer(Run& r) : run(r) {}
  Run& run;
  const TransferSettings& s = transferSettings();
  IntMap vertexPairs;
  IntMap regionOfVertex;
  std::map<int, std::set<int>> regionBoundaries;
  int regionCount = 0;

  bool facePass() const { return s.copyMaterials || s.copyUvs || s.copyEdges; }

  std::set<int> edgeNeighbours(int v) {
    std::set<int> result;
    for (int f : run.destination.relatedFaces(v)) {
      const std::vector<int> pts = run.destination.facePoints(f);
      const size_t n = pts.size();
      if (n == 2) {
        result.insert(pts[0] == v ? pts[1] : pts[0]);
        continue;
      }
      for (size_t p = 0; p < n; ++p)
        if (pts[p] == v) {
          result.insert(pts[(p + 1) % n]);
          result.insert(pts[(p + n - 1) % n]);
          break;
        }
    }
    return result;
  }

  void collectRegion(int v, int r, std::set<int>& boundary) {
    for (int c : edgeNeighbours(v)) {
      if (run.findSourceVertex(c) == -1) {
        if (!regionOfVertex.contains(c)) {
          regionOfVertex.insert(c, r);
          collectRegion(c, r, boundary);
        }
      } else {
        boundary.insert(c);
      }
    }
  }

  std::set<int>& findRegion(int i) {
    if (regionOfVertex.contains(i))
      return regionBoundaries[regionOfVertex.find(i, 0)];
    ++regionCount;
    std::set<int>& boundary = regionBoundaries[regionCount];
    collectRegion(i, regionCount, boundary);
    return boundary;
  }

  // The element's offset at Source vertex l; zero where the element lacks the vertex.
  MQPoint offsetAt(MQObject element, int l) {
    if (l >= MQObj_GetVertexCount(element))
      return MQPoint{0, 0, 0};
    const MQPoint e = vertexOf(element, l);
    const MQPoint q = vertexOf(run.source.object, l);
    return MQPoint{e.x - q.x, e.y - q.y, e.z - q.z};
  }

  MQPoint interpolateOffset(int i, const std::set<int>& boundary, MQObject element) {
    const MQPoint p = vertexOf(run.destination.object, i);
    if (boundary.empty())
      return MQPoint{0, 0, 0};
    MQPoint sum{0, 0, 0};
    float wsum = 0;
    for (int b : boundary) {
      const MQPoint q = vertexOf(run.destination.object, b);
      const int l = run.findSourceVertex(b);
      if (p.x == q.x && p.y == q.y && p.z == q.z)
        return offsetAt(element, l);
      const float w =
          1 / ((p.y - q.y) * (p.y - q.y) + (p.x - q.x) * (p.x - q.x) + (p.z - q.z) * (p.z - q.z));
      wsum += w;
      const MQPoint o = offsetAt(element, l);
      sum.x += w * o.x;
      sum.y += w * o.y;
      sum.z += w * o.z;
    }
    if (wsum == 0)
      return sum;
    return MQPoint{sum.x / wsum, sum.y / wsum, sum.z / wsum};
  }

  void vertexPass() {
    const MQObject d = run.destination.object;
    for (int i = 0; i < MQObj_GetVertexCount(d); ++i) {
      if (MQObj_GetVertexRefCount(d, i) == 0)
        continue;
      if (s.selectedVerticesOnly &&
          !MQDoc_IsSelectVertex(run.document, MQDoc_GetObjectIndex(run.document, d), i))
        continue;
      const int f = run.findSourceVertex(i);
      MQPoint base{0, 0, 0};
      const std::set<int>* region = nullptr;
      if (f != -1) {
        base = vertexOf(run.source.object, f);
      } else {
        if (!s.morphAddedVertices)
          continue;
        region = &findRegion(i);
      }
      for (size_t k = 0; k < run.elements.size(); ++k) {
        const MQObject element = run.elements[k].object;
        const MQObject newElement = run.newElements[k].object;
        const bool lacking = f != -1 && f >= MQObj_GetVertexCount(element);
        if (s.copyCoordinates && !lacking) {
          MQPoint o;
          if (f != -1) {
            const MQPoint e = vertexOf(element, f);
            o = MQPoint{e.x - base.x, e.y - base.y, e.z - base.z};
          } else {
            o = interpolateOffset(i, *region, element);
          }
          if (s.mirrorMorph)
            o.x = -o.x;
          const MQPoint p = vertexOf(newElement, i);
          // Where both are NaN, the step's NaN is the result on every compiler.
          const auto add = [](float at, float step) { return std::isnan(step) ? step : at + step; };
          MQPoint moved{add(p.x, s.rate * o.x), add(p.y, s.rate * o.y), add(p.z, s.rate * o.z)};
          MQObj_SetVertex(newElement, i, &moved);
        }
        if (s.copyWeights && f != -1 && !lacking)
          MQObj_SetVertexWeight(newElement, i, MQObj_GetVertexWeight(element, f));
        if (facePass())
          vertexPairs.insert(i, f);
      }
    }
  }

  int findFaceWithVertices(const cmq::CMQObject& object, const std::vector<int>& vertices) {
    std::set<int> running;
    bool started = false;
    for (int v : vertices) {
      if (v >= MQObj_GetVertexCount(object.object))
        return -1;
      const std::vector<int> related = object.relatedFaces(v);
      const std::set<int> f(related.begin(), related.end());
      if (!started) {
        running = f;
        started = true;
      } else {
        std::set<int> both;
        for (int x : running)
          if (f.count(x))
            both.insert(x);
        running = both;
      }
      if (running.empty())
        return -1;
    }
    if (running.empty())
      return -1;
    const int face = *running.begin();
    if (MQObj_GetFacePointCount(object.object, face) != static_cast<int>(vertices.size()))
      return -1;
    return face;
  }

  std::pair<int, int> findSourceFace(const cmq::CMQObject& newElement,
                                     const cmq::CMQObject& sourceElement, int f) {
    const std::vector<int> pts = newElement.facePoints(f);
    std::vector<int> mapped;
    for (int p : pts) {
      if (!vertexPairs.contains(p) || vertexPairs.find(p, -1) == -1)
        return {-1, 0};
      mapped.push_back(vertexPairs.find(p, -1));
    }
    const int face = findFaceWithVertices(sourceElement, mapped);
    if (face == -1)
      return {-1, 0};
    const std::vector<int> sp = sourceElement.facePoints(face);
    for (size_t p = 0; p < sp.size(); ++p)
      if (sp[p] == mapped[0])
        return {face, static_cast<int>(p)};
    return {face, 0};
  }

  void facePassRun() {
    const MQObject d = run.destination.object;
    for (int f = 0; f < MQObj_GetFaceCount(d); ++f) {
      if (MQObj_GetFacePointCount(d, f) == 0)
        continue;
      if (s.selectedVerticesOnly &&
          !MQDoc_IsSelectFace(run.document, MQDoc_GetObjectIndex(run.document, d), f))
        continue;
      for (size_t k = 0; k < run.elements.size(); ++k) {
        const cmq::CMQObject& element = run.elements[k];
        const cmq::CMQObject& newElement = run.newElements[k];
        int l = -1, m = 0;
        if (!s.mirrorMorph) {
          l = MQObj_GetFaceIndexFromUniqueID(element.object,
                                             MQObj_GetFaceUniqueID(newElement.object, f));
          if (l != -1 &&
              MQObj_GetFacePointCount(element.object, l) != MQObj_GetFacePointCount(d, f)) {
            run.faceAttributesSkipped = true;
            continue;
          }
        }
        if (l == -1) {
          const std::pair<int, int> found = findSourceFace(newElement, element, f);
          l = found.first;
          m = found.second;
        }
        if (l == -1) {
          run.faceAttributesSkipped = true;
          continue;
        }
        if (s.copyMaterials)
          MQObj_SetFaceMaterial(newElement.object, f, MQObj_GetFaceMaterial(element.object, l));
        if (s.copyUvs) {
          std::vector<cmq::CornerUv> c = element.readCornerUvs(l);
          const int n = static_cast<int>(c.size());
          if (!s.mirrorMorph) {
            if (0 < m && m < n)
              std::rotate(c.begin(), c.begin() + m, c.end());
          } else {
            std::rotate(c.begin(), c.begin() + (m + 1) % n, c.end());
            std::reverse(c.begin(), c.end());
          }
          newElement.writeCornerUvs(f, c);
        }
        if (s.copyEdges) {
          const int n = MQObj_GetFacePointCount(element.object, l);
          for (int j = 0; j < n; ++j) {
            const int e = s.mirrorMorph ? ((m - 1 - j) % n + n) % n : (j + m) % n;
            MQObj_SetFaceEdgeCrease(newElement.object, f, j,
                                    MQObj_GetFaceEdgeCrease(element.object, l, e));
          }
        }
      }
    }
  }
};

} // namespace

void Run::transferMorphs() {
  Transfer t(*this);
  t.vertexPass();
  if (t.facePass())
    t.facePassRun();
}

} // namespace oracle
