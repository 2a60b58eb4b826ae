# The program's identity: the project's version is written into a header for
# the version resource (res/version.rc) and for the test that reads it back.
set(SETUPB_GENERATED_DIR "${CMAKE_BINARY_DIR}/generated")
configure_file("${CMAKE_SOURCE_DIR}/res/version.h.in" "${SETUPB_GENERATED_DIR}/setupb_version.h" @ONLY)
target_include_directories(setupres PRIVATE "${SETUPB_GENERATED_DIR}")

# The resource compiler reports no included files: name them, so that a change
# to one of them rebuilds the resources.
set_property(SOURCE res/setupb.rc APPEND PROPERTY OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/res/version.rc"
  "${CMAKE_SOURCE_DIR}/res/setupb.manifest"
  "${SETUPB_GENERATED_DIR}/setupb_version.h")
