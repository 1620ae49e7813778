#include "ObjWriter.h"

#include "ObjNumbers.h"
#include "transfer/SameBits.h"

namespace runner::obj {

void writeMorphed(std::ostream& out, const Mesh& file, const float* positions) {
  const char* text = file.text.data();
  std::uint64_t copied = 0;
  for (size_t c = 0; c < file.positions.size(); ++c) {
    const std::uint64_t begin = file.coordinateSpans[2 * c], end = file.coordinateSpans[2 * c + 1];
    out.write(text + copied, static_cast<std::streamsize>(begin - copied));
    if (transfer::sameBits(&positions[c], &file.positions[c]))
      out.write(text + begin, static_cast<std::streamsize>(end - begin));
    else
      out << shortestText(positions[c]);
    copied = end;
  }
  out.write(text + copied, static_cast<std::streamsize>(file.text.size() - copied));
}

} // namespace runner::obj
