# Release packages, made with cpack in a build folder: on Windows a zip of brenwick-cli.exe, the
# dialog brenwick.exe with the DLLs it loads, the built-in reader as a DLL, the example reader's
# source, the documentation and the licence texts of the libraries in them
# (scripts/test-windows.sh); on Linux a Debian package of the programs with their manual pages,
# the reader library, the reader contract header, the desktop entry and icons and the
# documentation, whose dependencies come from the shared libraries it links
# (debian_package.cmake, scripts/test-debian-package.sh).
set(CPACK_PACKAGE_NAME brenwick)
set(CPACK_PACKAGE_VENDOR Brenwick)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "exporter of CST field simulations to Garfield++ field maps")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(brenwick_doc_dir doc)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME brenwick-${PROJECT_VERSION}-windows-x64)
  # The libraries built for this toolchain (scripts/build-windows-deps.sh, and Qt from
  # scripts/build-windows-qt.sh) and MinGW-w64's own runtime.
  list(TRANSFORM BRENWICK_WINDOWS_DEPS APPEND /licences/ OUTPUT_VARIABLE brenwick_licence_dirs)
  install(DIRECTORY ${brenwick_licence_dirs} DESTINATION licences)
  install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright DESTINATION licences RENAME gcc-runtime.txt)
  install(FILES /usr/share/doc/mingw-w64-common/copyright DESTINATION licences RENAME mingw-w64-runtime.txt)
else()
  set(brenwick_doc_dir share/doc/brenwick)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  include(${CMAKE_CURRENT_LIST_DIR}/debian_package.cmake)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${brenwick_doc_dir})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${brenwick_doc_dir}/docs)
install(FILES ${PROJECT_SOURCE_DIR}/examples/reader/minimal_reader.c DESTINATION ${brenwick_doc_dir}/examples/reader)

include(CPack)
