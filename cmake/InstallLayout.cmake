# Where an installed Tovalinder keeps its files, relative to the install prefix: on Windows one
# folder (the unzipped release, with the runner, the plug-in and the simulated host side by side),
# on Linux the usual folders with the modules in a folder of their own. The runner finds its
# modules from its own folder, so an install works under any prefix, an unpacked package's
# included, and the plug-in works from any folder a host loads it from.
if(WIN32)
  set(TOVALINDER_INSTALL_BINDIR .)
  set(TOVALINDER_INSTALL_MODULEDIR .)
  set(TOVALINDER_INSTALL_DOCDIR .)
else()
  set(TOVALINDER_INSTALL_BINDIR bin)
  set(TOVALINDER_INSTALL_MODULEDIR lib/tovalinder)
  set(TOVALINDER_INSTALL_DOCDIR share/doc/tovalinder)
  set(TOVALINDER_INSTALL_MANDIR share/man/man1)
endif()

# The module folder as seen from the program's folder: where the loader looks when the module
# is not beside the program, and the installed programs' RPATH.
file(RELATIVE_PATH TOVALINDER_MODULE_DIR_FROM_PROGRAM /prefix/${TOVALINDER_INSTALL_BINDIR}
     /prefix/${TOVALINDER_INSTALL_MODULEDIR})
if(TOVALINDER_MODULE_DIR_FROM_PROGRAM STREQUAL "")
  set(TOVALINDER_MODULE_DIR_FROM_PROGRAM .)
endif()
