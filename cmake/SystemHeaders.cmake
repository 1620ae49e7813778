# Header-only Debian packages (nlohmann-json, stb, xxHash, Eigen, robin-map) used where Debian
# installs them. The Linux builds find them on the compiler's own search path. The Windows
# cross-build searches those folders only after its own (-idirafter), so that a Linux system
# header never stands in for one of the Windows toolchain.
#
# tovalinder_system_headers(<target> <PUBLIC|PRIVATE|INTERFACE> <folder>...)
function(tovalinder_system_headers target scope)
  foreach(folder IN LISTS ARGN)
    if(CMAKE_CROSSCOMPILING)
      target_compile_options(${target} ${scope} "SHELL:-idirafter ${folder}")
    elseif(NOT folder STREQUAL "/usr/include")
      target_include_directories(${target} SYSTEM ${scope} ${folder})
    endif()
  endforeach()
endfunction()
