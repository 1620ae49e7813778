// Reading screenshots and comparing them by pixels: where something is drawn over the background,
// and where two screenshots of the same page differ. Relies on stb_image.
#pragma once

#include <string>
#include <vector>

namespace viewer_test {

// A rectangle of pixels: left and top inclusive, right and bottom exclusive.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  int count = 0; // pixels found in it (for a box of found pixels)
  bool empty() const { return right <= left || bottom <= top; }
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  double centreX() const { return (left + right) / 2.0; }
  void add(int x, int y);
};

struct Image {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
  // False when the file is not an image stb_image reads.
  bool read(const std::string& path);
  const unsigned char* at(int x, int y) const;
};

// The pixels of the region whose colour is not the background's, and the box round them.
Box drawn(const Image& image, const Box& region, const unsigned char background[3]);
// The pixels of the region where the two images differ, and the box round them.
Box differing(const Image& a, const Image& b, const Box& region);

} // namespace viewer_test
