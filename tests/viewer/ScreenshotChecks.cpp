#include "ScreenshotChecks.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>

#include <algorithm>
#include <cstdlib>

namespace viewer_test {

namespace {

// Antialiased edges and the rasteriser's rounding stay below this in every channel.
constexpr int kTolerance = 6;

bool alike(const unsigned char* a, const unsigned char* b) {
  for (int c = 0; c < 3; ++c)
    if (std::abs(a[c] - b[c]) > kTolerance)
      return false;
  return true;
}

template <typename Found> Box search(const Box& region, int width, int height, Found found) {
  Box box;
  bool any = false;
  for (int y = std::max(region.top, 0); y < std::min(region.bottom, height); ++y)
    for (int x = std::max(region.left, 0); x < std::min(region.right, width); ++x) {
      if (!found(x, y))
        continue;
      if (!any)
        box = Box{x, y, x + 1, y + 1, 0};
      any = true;
      box.add(x, y);
    }
  return box;
}

} // namespace

void Box::add(int x, int y) {
  left = std::min(left, x), right = std::max(right, x + 1);
  top = std::min(top, y), bottom = std::max(bottom, y + 1);
  ++count;
}

bool Image::read(const std::string& path) {
  int channels = 0;
  unsigned char* pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
  if (!pixels)
    return false;
  rgb.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  stbi_image_free(pixels);
  return true;
}

const unsigned char* Image::at(int x, int y) const {
  return rgb.data() +
         (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
}

Box drawn(const Image& image, const Box& region, const unsigned char background[3]) {
  return search(region, image.width, image.height,
                [&](int x, int y) { return !alike(image.at(x, y), background); });
}

Box differing(const Image& a, const Image& b, const Box& region) {
  if (a.width != b.width || a.height != b.height)
    return region;
  return search(region, a.width, a.height,
                [&](int x, int y) { return !alike(a.at(x, y), b.at(x, y)); });
}

} // namespace viewer_test
