# What Debian asks of a package beyond the programs, checked by lintian in
# scripts/test-debian-package.sh: a maintainer address, a description, the copyright file, the
# changelog and manual pages, compressed as Debian's own tools compress them (gzip -9n: no name
# or time stamp inside, so that a rebuild gives the same bytes).

# example.org is reserved for examples and takes no mail: the project has no public address.
set(brenwick_maintainer "Brenwick developers <brenwick@example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${brenwick_maintainer})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The summary comes first, from CPACK_PACKAGE_DESCRIPTION_SUMMARY; CPack indents these lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Brenwick turns the potential of a 3D field simulation (a project of the CST
simulation suite) into the binary field-map file (.efm) that Garfield++ reads
to drift electrons and compute signals in gas detectors: the hexahedral mesh,
the potential at every node, the material of every element and a table of the
materials.

It comes as a desktop dialog (brenwick) and as a command line (brenwick-cli),
which also inspects, previews, converts and probes exported files. Projects
are read through result-reader libraries; the package holds the reader of
Brenwick's own HDF5 project format as such a library, the reader contract
header and an example reader in C.")

set(brenwick_debian_dir ${PROJECT_BINARY_DIR}/debian)
set(brenwick_debian_sources ${PROJECT_SOURCE_DIR}/cmake/debian)

# Compresses `file`, made by the build, into file.gz and installs that into `destination`.
function(brenwick_install_compressed name file destination)
  add_custom_command(OUTPUT ${file}.gz
    COMMAND gzip -9nkf ${file}
    DEPENDS ${file}
    VERBATIM)
  add_custom_target(brenwick_debian_${name} ALL DEPENDS ${file}.gz)
  install(FILES ${file}.gz DESTINATION ${destination})
endfunction()

# The changelog of a package built by the project itself (a native package): one entry, for
# the version of project(), dated at configure time (or SOURCE_DATE_EPOCH when set).
string(TIMESTAMP BRENWICK_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(BRENWICK_MAINTAINER ${brenwick_maintainer})
configure_file(${brenwick_debian_sources}/changelog.in ${brenwick_debian_dir}/changelog @ONLY)
brenwick_install_compressed(changelog ${brenwick_debian_dir}/changelog share/doc/brenwick)

install(FILES ${brenwick_debian_sources}/copyright DESTINATION share/doc/brenwick)

# The manual page of `program`, made by help2man from its --help; the version comes from
# project(), since --version also names the result reader in use. The dialog answers --help
# without a display on Qt's offscreen platform; a reader named in the builder's environment
# must not show up in the page.
find_program(BRENWICK_HELP2MAN help2man)
function(brenwick_manual_page program name)
  set(page ${brenwick_debian_dir}/${program}.1)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E env --unset=BRENWICK_READER QT_QPA_PLATFORM=offscreen
            ${BRENWICK_HELP2MAN} --no-info --name=${name} --version-string=${PROJECT_VERSION}
            --include=${brenwick_debian_sources}/see-also.h2m --output=${page} $<TARGET_FILE:${program}>
    DEPENDS ${program} ${brenwick_debian_sources}/see-also.h2m
    VERBATIM)
  brenwick_install_compressed(${program}_manual ${page} share/man/man1)
endfunction()

# None in a sanitized build: it is never packaged, and its leak checker may object to a
# program that ends right after --help.
if(NOT BRENWICK_HELP2MAN)
  message(STATUS "help2man not found: the package gets no manual pages")
elseif(NOT BRENWICK_SANITIZE)
  brenwick_manual_page(brenwick-cli "export, inspect and view Garfield++ field maps of CST projects")
  if(TARGET brenwick)
    brenwick_manual_page(brenwick "dialog that exports CST projects as Garfield++ field maps")
  endif()
endif()

# Reader authors find the contract where C compilers look, as <brenwick/result_reader.h>.
install(FILES ${PROJECT_SOURCE_DIR}/reader_contract/result_reader.h DESTINATION include/brenwick)
