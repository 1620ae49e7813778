// The page: its template with three.js, the orbit controls, the data block and the page's own
// script each spliced into its <script> element.
#include "MorphViewer.h"
#include "ViewerAssets.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace runner {

namespace {

bool containsNoCase(std::string_view text, std::string_view part) {
  const auto found =
      std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
      });
  return found != text.end();
}

// Script text ends its element at "</script" and changes how the parser reads the rest of it
// after "<!--"; the built-in scripts are checked, the data block has no "<" at all.
void checkScript(std::string_view script, const char* what) {
  if (containsNoCase(script, "</script") || script.find("<!--") != std::string_view::npos)
    throw std::runtime_error(std::string(what) + " cannot stand inside a <script> element");
}

struct Part {
  std::string_view placeholder, text;
  size_t at = 0;
};

// The template with each placeholder (found in the template alone, exactly once) replaced.
std::string spliced(std::string_view page, std::vector<Part> parts) {
  size_t size = page.size();
  for (Part& part : parts) {
    part.at = page.find(part.placeholder);
    if (part.at == std::string_view::npos ||
        page.find(part.placeholder, part.at + 1) != std::string_view::npos)
      throw std::runtime_error("the viewer page's template must hold " +
                               std::string(part.placeholder) + " once");
    size += part.text.size();
  }
  std::sort(parts.begin(), parts.end(), [](const Part& a, const Part& b) { return a.at < b.at; });
  std::string out;
  out.reserve(size);
  size_t from = 0;
  for (const Part& part : parts) {
    out.append(page.substr(from, part.at - from));
    out.append(part.text);
    from = part.at + part.placeholder.size();
  }
  out.append(page.substr(from));
  return out;
}

} // namespace

std::string viewerPage(const ViewerScene& scene) {
  checkScript(viewer_assets::threeJs(), "three.js");
  checkScript(viewer_assets::orbitControls(), "the orbit controls");
  checkScript(viewer_assets::pageScript(), "the page's script");
  const std::string data = viewerDataJson(scene);
  if (data.find('<') != std::string::npos)
    throw std::runtime_error("the viewer's data block holds a \"<\"");
  return spliced(viewer_assets::pageTemplate(),
                 {{"@THREE_JS@", viewer_assets::threeJs()},
                  {"@ORBIT_CONTROLS@", viewer_assets::orbitControls()},
                  {"@DATA@", data},
                  {"@VIEWER_JS@", viewer_assets::pageScript()}});
}

} // namespace runner
