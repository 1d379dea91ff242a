# The fuzz targets and what they need, shared by the libFuzzer build (fuzz/CMakeLists.txt) and
# the replay of their inputs in the test suite (tests/integration/CMakeLists.txt).
set(BRENWICK_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
set(BRENWICK_FUZZ_TARGETS material_file_fuzz project_file_fuzz efm_inspect_fuzz)
# The seed corpora, one directory per target, and the dictionaries derived from the program,
# made by brenwick-fuzz-seeds at build time.
set(BRENWICK_FUZZ_SEEDS ${CMAKE_BINARY_DIR}/fuzz-seeds)

# The targets' support code and seeds; once per build, whoever asks first.
function(brenwick_add_fuzz_support)
  if(TARGET brenwick_fuzz_support)
    return()
  endif()
  # Scratch directories and whole files come from the tests' helpers, also in builds without
  # the tests.
  if(NOT TARGET brenwick_test_files)
    add_subdirectory(${PROJECT_SOURCE_DIR}/tests/support ${CMAKE_BINARY_DIR}/tests/support EXCLUDE_FROM_ALL)
  endif()
  add_library(brenwick_fuzz_support STATIC
    ${BRENWICK_FUZZ_DIR}/fuzz_support.cpp
    ${BRENWICK_FUZZ_DIR}/project_recipe.cpp
  )
  target_include_directories(brenwick_fuzz_support PUBLIC ${BRENWICK_FUZZ_DIR})
  target_link_libraries(brenwick_fuzz_support PUBLIC brenwick_engine brenwick_hdf5 brenwick_test_files)

  add_executable(brenwick-fuzz-seeds ${BRENWICK_FUZZ_DIR}/make_seeds.cpp)
  target_link_libraries(brenwick-fuzz-seeds PRIVATE brenwick_fuzz_support)

  set(seeds ${BRENWICK_FUZZ_SEEDS})
  add_custom_command(
    OUTPUT ${seeds}.stamp
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${seeds}
    COMMAND brenwick-fuzz-seeds ${seeds}
    COMMAND ${CMAKE_COMMAND} -E touch ${seeds}.stamp
    DEPENDS brenwick-fuzz-seeds
    COMMENT "Writing the fuzz seed corpora"
  )
  add_custom_target(brenwick_fuzz_seeds ALL DEPENDS ${seeds}.stamp)
endfunction()

# One executable <target><suffix> per fuzz target; the remaining arguments are further sources
# (the replay's main; libFuzzer brings its own).
function(brenwick_add_fuzz_targets suffix)
  foreach(target IN LISTS BRENWICK_FUZZ_TARGETS)
    add_executable(${target}${suffix} ${BRENWICK_FUZZ_DIR}/${target}.cpp ${ARGN})
    # The engine calls the reader, so the reader follows it on the link line.
    target_link_libraries(${target}${suffix} PRIVATE
      brenwick_fuzz_support brenwick_engine brenwick_builtin_reader)
  endforeach()
endfunction()
