#include "MorphPicture.h"

#include "MorphColours.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace runner {

namespace {

const int kPanel = 512;
const int kMargin = 24;

float offsetLength(const sim::Object& moved, const sim::Object& base, size_t v) {
  if (v >= moved.positions.size() || v >= base.positions.size())
    return 0.0f;
  const MQPoint& p = moved.positions[v];
  const MQPoint& q = base.positions[v];
  const float d =
      std::sqrt((p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y) + (p.z - q.z) * (p.z - q.z));
  return std::isfinite(d) ? d : 0.0f;
}

struct View {
  float centreX = 0, centreY = 0, scale = 1;
  float sx(float x) const { return (x - centreX) * scale + kPanel * 0.5f; }
  float sy(float y) const { return kPanel * 0.5f - (y - centreY) * scale; }
};

class Canvas {
public:
  Canvas(int width, int height)
      : width_(width), height_(height), rgb_(static_cast<size_t>(width * height) * 3),
        depth_(static_cast<size_t>(width * height), -std::numeric_limits<float>::infinity()) {
    for (size_t i = 0; i < rgb_.size(); i += 3)
      std::copy(colours::kBackground, colours::kBackground + 3,
                rgb_.begin() + static_cast<std::ptrdiff_t>(i));
  }

  // A mesh shaded from the front (+z towards the viewer) into the panel starting at x0.
  void drawMesh(const sim::Object& mesh, const std::vector<float>& motion, float largest,
                const View& view, int x0) {
    const MQPoint light = normalised(MQPoint{0.35f, 0.55f, 0.75f});
    for (int f = 0; f < mesh.faceCount(); ++f) {
      const int* points = mesh.facePoints(f);
      const size_t count = static_cast<size_t>(mesh.facePointCount(f));
      if (count < 3 || !valid(mesh, points, count))
        continue;
      // Newell's normal: sound for any planar-ish polygon.
      MQPoint n{0, 0, 0};
      for (size_t i = 0; i < count; ++i) {
        const MQPoint& a = position(mesh, points[i]);
        const MQPoint& b = position(mesh, points[(i + 1) % count]);
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
      }
      n = normalised(n);
      const float shade = 0.3f + 0.7f * std::fabs(n.x * light.x + n.y * light.y + n.z * light.z);
      for (size_t i = 1; i + 1 < count; ++i)
        triangle(mesh, {points[0], points[i], points[i + 1]}, motion, largest, shade, view, x0);
    }
  }

  // A marker over a vertex, unless the mesh hides it.
  void mark(const MQPoint& p, const View& view, int x0, Colour fill) {
    const int cx = x0 + static_cast<int>(std::lround(view.sx(p.x)));
    const int cy = static_cast<int>(std::lround(view.sy(p.y)));
    if (cx < x0 || cx >= x0 + kPanel || cy < 0 || cy >= height_)
      return;
    if (p.z < depth_[pixel(cx, cy)] - 0.01f)
      return;
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx) {
        const int x = cx + dx, y = cy + dy;
        if (x < x0 || x >= x0 + kPanel || y < 0 || y >= height_)
          continue;
        const bool edge = std::abs(dx) == 3 || std::abs(dy) == 3;
        put(x, y, edge ? colours::kMarkerEdge : fill);
      }
  }

  void separator(int x) {
    for (int y = 0; y < height_; ++y)
      put(x, y, Colour{0.5f, 0.5f, 0.55f});
  }

  std::string png() const {
    std::string bytes;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
          static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                                     static_cast<size_t>(size));
        },
        &bytes, width_, height_, 3, rgb_.data(), width_ * 3);
    return bytes;
  }

private:
  static MQPoint normalised(MQPoint p) {
    const float length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    return length > 0 ? MQPoint{p.x / length, p.y / length, p.z / length} : MQPoint{0, 0, 1};
  }
  static bool valid(const sim::Object& mesh, const int* points, size_t count) {
    for (size_t i = 0; i < count; ++i)
      if (points[i] < 0 || points[i] >= mesh.vertexCount())
        return false;
    return true;
  }
  static const MQPoint& position(const sim::Object& mesh, int v) {
    return mesh.positions[static_cast<size_t>(v)];
  }

  // Where pixel (x, y) of the picture is kept, counted in pixels; x and y are inside it.
  size_t pixel(int x, int y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
  }

  void put(int x, int y, Colour c) {
    const size_t i = pixel(x, y) * 3;
    rgb_[i] = static_cast<unsigned char>(std::clamp(c.r, 0.0f, 1.0f) * 255);
    rgb_[i + 1] = static_cast<unsigned char>(std::clamp(c.g, 0.0f, 1.0f) * 255);
    rgb_[i + 2] = static_cast<unsigned char>(std::clamp(c.b, 0.0f, 1.0f) * 255);
  }

  void triangle(const sim::Object& mesh, const int (&corner)[3], const std::vector<float>& motion,
                float largest, float shade, const View& view, int x0) {
    float x[3], y[3], z[3];
    Colour c[3];
    for (int i = 0; i < 3; ++i) {
      const MQPoint& p = position(mesh, corner[i]);
      if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
        return;
      x[i] = x0 + view.sx(p.x), y[i] = view.sy(p.y), z[i] = p.z;
      const float m = static_cast<size_t>(corner[i]) < motion.size()
                          ? motion[static_cast<size_t>(corner[i])]
                          : 0.0f;
      c[i] = offsetColour(largest > 0 ? m / largest : 0.0f);
    }
    const float area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
    if (std::fabs(area) < 1e-12f)
      return;
    const int left = std::max(x0, static_cast<int>(std::floor(std::min({x[0], x[1], x[2]}))));
    const int right =
        std::min(x0 + kPanel - 1, static_cast<int>(std::ceil(std::max({x[0], x[1], x[2]}))));
    const int top = std::max(0, static_cast<int>(std::floor(std::min({y[0], y[1], y[2]}))));
    const int bottom =
        std::min(height_ - 1, static_cast<int>(std::ceil(std::max({y[0], y[1], y[2]}))));
    for (int py = top; py <= bottom; ++py)
      for (int px = left; px <= right; ++px) {
        const float fx = px + 0.5f, fy = py + 0.5f;
        const float w0 = ((x[1] - fx) * (y[2] - fy) - (x[2] - fx) * (y[1] - fy)) / area;
        const float w1 = ((x[2] - fx) * (y[0] - fy) - (x[0] - fx) * (y[2] - fy)) / area;
        const float w2 = 1.0f - w0 - w1;
        if (w0 < 0 || w1 < 0 || w2 < 0)
          continue;
        const float depth = w0 * z[0] + w1 * z[1] + w2 * z[2];
        float& stored = depth_[pixel(px, py)];
        if (depth <= stored)
          continue;
        stored = depth;
        put(px, py,
            Colour{(w0 * c[0].r + w1 * c[1].r + w2 * c[2].r) * shade,
                   (w0 * c[0].g + w1 * c[1].g + w2 * c[2].g) * shade,
                   (w0 * c[0].b + w1 * c[1].b + w2 * c[2].b) * shade});
      }
  }

  int width_, height_;
  std::vector<unsigned char> rgb_;
  std::vector<float> depth_;
};

struct Box {
  float minX = std::numeric_limits<float>::max(), maxX = -std::numeric_limits<float>::max();
  float minY = std::numeric_limits<float>::max(), maxY = -std::numeric_limits<float>::max();
  void add(const MQPoint& p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y))
      return;
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
  }
  bool empty() const { return minX > maxX; }
  float extent() const { return std::max(maxX - minX, maxY - minY); }
};

// Frames the part of the meshes the morph moves (where the eye judges it), with room around it
// and never less than a quarter of the whole; the whole meshes when nothing moved.
View fit(const sim::Object& left, const std::vector<float>& leftMotion, const sim::Object& right,
         const std::vector<float>& rightMotion, float largest) {
  Box whole, moved;
  auto collect = [&](const sim::Object& mesh, const std::vector<float>& motion) {
    for (size_t v = 0; v < mesh.positions.size(); ++v) {
      whole.add(mesh.positions[v]);
      if (largest > 0 && v < motion.size() && motion[v] >= 0.1f * largest)
        moved.add(mesh.positions[v]);
    }
  };
  collect(left, leftMotion);
  collect(right, rightMotion);
  View view;
  if (whole.empty())
    return view;
  const Box& framed = moved.empty() ? whole : moved;
  view.centreX = (framed.minX + framed.maxX) / 2, view.centreY = (framed.minY + framed.maxY) / 2;
  const float extent =
      std::max({framed.extent() * (moved.empty() ? 1.0f : 1.6f), whole.extent() * 0.25f, 1e-6f});
  view.scale = (kPanel - 2 * kMargin) / extent;
  return view;
}

} // namespace

std::string renderMorphPicturePng(const MorphPictureInput& in, int& width, int& height) {
  width = kPanel * 2 + 1, height = kPanel;
  Canvas canvas(width, height);
  std::vector<float> left(in.oldElement->positions.size()), right(in.newElement->positions.size());
  float largest = 0;
  for (size_t v = 0; v < left.size(); ++v)
    largest = std::max(largest, left[v] = offsetLength(*in.oldElement, *in.source, v));
  for (size_t v = 0; v < right.size(); ++v)
    largest = std::max(largest, right[v] = offsetLength(*in.newElement, *in.destination, v));
  const View view = fit(*in.oldElement, left, *in.newElement, right, largest);
  canvas.drawMesh(*in.oldElement, left, largest, view, 0);
  canvas.drawMesh(*in.newElement, right, largest, view, kPanel + 1);
  canvas.separator(kPanel);
  if (in.correspondence)
    for (size_t v = 0; v < in.correspondence->fate.size() && v < in.newElement->positions.size();
         ++v) {
      const VertexFate fate = in.correspondence->fate[v];
      const bool rewritten = in.changed && v < in.changed->size() && (*in.changed)[v];
      if (fate == VertexFate::Interpolated || fate == VertexFate::AddedLeftAlone)
        canvas.mark(in.newElement->positions[v], view, kPanel + 1,
                    rewritten ? colours::kRewrittenVertex : colours::kAddedVertex);
    }
  return canvas.png();
}

} // namespace runner
