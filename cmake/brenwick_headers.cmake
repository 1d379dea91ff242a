# brenwick_headers(TARGET [PUBLIC header...] [PRIVATE header...])
#
# Declares a target's headers. Every folder's headers are included by their path from the
# repository root ("engine/readout.h"); the public ones are what other folders may include,
# the private ones only the folder's own files.
function(brenwick_headers target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PUBLIC;PRIVATE")
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    set(public_scope INTERFACE)
  else()
    set(public_scope PUBLIC)
  endif()
  if(arg_PUBLIC)
    target_sources(${target} ${public_scope} FILE_SET HEADERS BASE_DIRS ${PROJECT_SOURCE_DIR} FILES ${arg_PUBLIC})
  else()
    target_include_directories(${target} ${public_scope} ${PROJECT_SOURCE_DIR})
  endif()
  if(arg_PRIVATE)
    target_sources(${target} PRIVATE
                   FILE_SET private_headers TYPE HEADERS BASE_DIRS ${PROJECT_SOURCE_DIR} FILES ${arg_PRIVATE})
  endif()
endfunction()
