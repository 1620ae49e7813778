# Warnings as errors on both compilers (a name hiding another included), and strict floating
# point so that the Linux and the Windows builds give bit-identical results: no contraction into
# fused multiply-add, no fast-math.
add_compile_options(-Wall -Wextra -Wshadow -Werror -ffp-contract=off -fno-fast-math)

include(${CMAKE_CURRENT_LIST_DIR}/SystemHeaders.cmake)

# Debug information as line tables only (-g1): enough for profiles, backtraces and the
# sanitizers' reports, and optimized code compiles in a third less time than with every
# variable's locations. The code generated is the same.
foreach(lang C CXX)
  foreach(config DEBUG RELWITHDEBINFO)
    string(REGEX REPLACE "(^| )-g( |$)" "\\1-g1\\2" CMAKE_${lang}_FLAGS_${config}
                         "${CMAKE_${lang}_FLAGS_${config}}")
  endforeach()
endforeach()

if(TOVALINDER_SANITIZE)
  # -O1, as the sanitizers' own guidance has it: the checked programs run several times faster
  # than unoptimized ones, and their reports still name every frame.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer -O1)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # Everything static: the plug-in DLL (and the test programs) need nothing but system DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(TOVALINDER_FUZZ)
  # Coverage feedback for libFuzzer from every library; the fuzz programs link libFuzzer itself.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(TOVALINDER_COVERAGE)
  # Unoptimized, so that every line counted maps to code that ran.
  add_compile_options(--coverage -O0)
  add_link_options(--coverage)
endif()
