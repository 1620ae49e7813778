// The files the viewer page is made of, built into the program (ViewerAssets.cpp is generated
// from them by cmake/EmbedFiles.cmake): the page's template and script from page/, and three.js
// with its orbit controls from Debian's libjs-three, so that the runner needs no file beside it.
#pragma once

#include <string_view>

namespace runner::viewer_assets {

std::string_view pageTemplate();  // page/viewer.html
std::string_view pageScript();    // page/viewer.js
std::string_view threeJs();       // three.min.js
std::string_view orbitControls(); // examples/js/controls/OrbitControls.js

} // namespace runner::viewer_assets
