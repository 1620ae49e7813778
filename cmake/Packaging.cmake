# Install rules and the release packages (scripts/release.sh runs CPack on a build folder):
# - Windows (the mingw presets): a zip with one folder holding the plug-in, the runner and the
#   sample tool with the simulated host beside them, the sample, the guide, the licence and the
#   third-party notices;
# - Linux: a Debian package with the programs in /usr/bin, the plug-in and the simulated host in
#   /usr/lib/tovalinder, the sample, the guide, copyright and changelog in
#   /usr/share/doc/tovalinder, and man pages made from the programs' help.
# Folders come from cmake/InstallLayout.cmake. The guide and the Debian documents are made when
# their tools are there (scripts/install-deps.sh --release); installing without them stops and
# says what is missing, so that no package goes out without them.

set(TOVALINDER_PACKAGE_CONTACT "Tovalinder developers <dev@tovalinder.example>")
set(TOVALINDER_PACKAGE_SUMMARY "morph transfer onto edited meshes: plug-in, runner, sample")
set(package_dir ${CMAKE_BINARY_DIR}/package)

# Programs and modules. The installed programs find the simulated host through their RPATH and
# the plug-in through the loader, both relative to their own folder.
install(TARGETS tovalinder_runner tovalinder_sample RUNTIME DESTINATION ${TOVALINDER_INSTALL_BINDIR})
install(TARGETS Tovalinder LIBRARY DESTINATION ${TOVALINDER_INSTALL_MODULEDIR})
install(TARGETS SimHost
        RUNTIME DESTINATION ${TOVALINDER_INSTALL_MODULEDIR}
        LIBRARY DESTINATION ${TOVALINDER_INSTALL_MODULEDIR}
        ARCHIVE DESTINATION lib COMPONENT development EXCLUDE_FROM_ALL)
if(NOT WIN32)
  set_target_properties(tovalinder_runner tovalinder_sample PROPERTIES
                        INSTALL_RPATH "$ORIGIN/${TOVALINDER_MODULE_DIR_FROM_PROGRAM}")
endif()
install(FILES ${PROJECT_SOURCE_DIR}/samples/character.json DESTINATION ${TOVALINDER_INSTALL_DOCDIR})

# CPack: the package's name, version and description; the files are the install rules'.
set(CPACK_PACKAGE_NAME tovalinder)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tovalinder developers")
set(CPACK_PACKAGE_CONTACT ${TOVALINDER_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${TOVALINDER_PACKAGE_SUMMARY})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "Tovalinder-${PROJECT_VERSION}-windows-x64")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tovalinder carries morph targets from a mesh to an edited copy of it whose
vertex indices no longer line up: it pairs the vertices by unique ID or by
position, moves each morph by the Source's offsets, interpolates offsets for
added vertices, and copies weights, materials, UVs and edge creases.
.
This package holds tovalinder-run, which runs the plug-in's command through a
simulated host on document, OBJ, glTF and VRM files, tovalinder-sample, which
writes the sample character and larger test documents, and the Linux build of
the plug-in.")
  # Dependencies from the libraries the binaries link; the simulated host is the package's own.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
endif()
include(CPack)

# The tools the documents are made with: Debian's Python with its Markdown module for the guide;
# help2man and gzip for the man pages and the Debian changelog.
find_program(TOVALINDER_PYTHON python3 HINTS /usr/bin)
set(guide_tools FALSE)
if(TOVALINDER_PYTHON)
  execute_process(COMMAND ${TOVALINDER_PYTHON} -c "import markdown" RESULT_VARIABLE no_markdown
                  OUTPUT_QUIET ERROR_QUIET)
  if(no_markdown EQUAL 0)
    set(guide_tools TRUE)
  endif()
endif()
find_program(TOVALINDER_HELP2MAN help2man)
find_program(TOVALINDER_GZIP gzip)
set(missing_tools)
if(NOT guide_tools)
  list(APPEND missing_tools "python3-markdown")
endif()
if(NOT WIN32 AND NOT (TOVALINDER_HELP2MAN AND TOVALINDER_GZIP))
  list(APPEND missing_tools "help2man, gzip")
endif()
if(missing_tools)
  list(JOIN missing_tools ", " missing_text)
  install(CODE "message(FATAL_ERROR \"The packages' documents need ${missing_text}: \
bash scripts/install-deps.sh --release, then configure again\")")
  return()
endif()

# The user's guide: the README's install section and the runner's pages as one HTML page.
set(guide_sources ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/runner.md
                  ${PROJECT_SOURCE_DIR}/docs/document-format.md)
add_custom_command(
  OUTPUT ${package_dir}/guide/guide.html
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${package_dir}/guide
  COMMAND ${TOVALINDER_PYTHON} ${PROJECT_SOURCE_DIR}/packaging/make-guide.py ${PROJECT_SOURCE_DIR}
          ${package_dir}/guide ${PROJECT_VERSION}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/make-guide.py ${guide_sources}
  COMMENT "User's guide"
  VERBATIM)
set(package_outputs ${package_dir}/guide/guide.html)
install(DIRECTORY ${package_dir}/guide/ DESTINATION ${TOVALINDER_INSTALL_DOCDIR})

if(WIN32)
  # Names a Windows user opens with a double click.
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${package_dir}/LICENSE.txt COPYONLY)
  configure_file(${PROJECT_SOURCE_DIR}/CHANGELOG.md ${package_dir}/CHANGELOG.txt COPYONLY)
  install(FILES ${package_dir}/LICENSE.txt ${package_dir}/CHANGELOG.txt
                ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES.txt
          DESTINATION ${TOVALINDER_INSTALL_DOCDIR})
else()
  # Man pages from the programs' own --help and --version.
  foreach(program tovalinder_runner tovalinder_sample)
    get_target_property(name ${program} OUTPUT_NAME)
    if(program STREQUAL tovalinder_runner)
      set(what "run the Tovalinder command of the plug-in on model files, without the host")
    else()
      set(what "write the sample character and larger documents for measurements")
    endif()
    add_custom_command(
      OUTPUT ${package_dir}/${name}.1.gz
      COMMAND ${TOVALINDER_HELP2MAN} --no-info --name ${what}
              --output ${package_dir}/${name}.1 $<TARGET_FILE:${program}>
      COMMAND ${TOVALINDER_GZIP} -9nf ${package_dir}/${name}.1
      DEPENDS ${program}
      COMMENT "Man page of ${name}"
      VERBATIM)
    list(APPEND package_outputs ${package_dir}/${name}.1.gz)
    install(FILES ${package_dir}/${name}.1.gz DESTINATION ${TOVALINDER_INSTALL_MANDIR})
  endforeach()

  # Debian's copyright file: the licence, then the notices.
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence_text)
  file(READ ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES.txt notices_text)
  file(WRITE ${package_dir}/copyright "${licence_text}\n\n${notices_text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES.txt)
  add_custom_command(
    OUTPUT ${package_dir}/changelog.gz
    COMMAND ${TOVALINDER_PYTHON} ${PROJECT_SOURCE_DIR}/packaging/debian-changelog.py
            ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${TOVALINDER_PACKAGE_CONTACT} ${package_dir}/changelog
    COMMAND ${TOVALINDER_GZIP} -9nf ${package_dir}/changelog
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian-changelog.py ${PROJECT_SOURCE_DIR}/CHANGELOG.md
    VERBATIM)
  list(APPEND package_outputs ${package_dir}/changelog.gz)
  install(FILES ${package_dir}/copyright ${package_dir}/changelog.gz
          DESTINATION ${TOVALINDER_INSTALL_DOCDIR})
endif()
add_custom_target(tovalinder_package_documents ALL DEPENDS ${package_outputs})

