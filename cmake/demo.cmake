# The demo title: demo/ holds its sources; cvdtool builds the archives into build/demo.
file(GLOB_RECURSE demo_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/demo/*)
set(demo_stamp ${PROJECT_BINARY_DIR}/demo/.built)
add_custom_command(
  OUTPUT ${demo_stamp}
  COMMAND cvdtool build ${PROJECT_SOURCE_DIR}/demo ${PROJECT_BINARY_DIR}/demo
  COMMAND ${CMAKE_COMMAND} -E touch ${demo_stamp}
  DEPENDS cvdtool ${demo_srcs}
  COMMENT "Building the demo title")
add_custom_target(demo ALL DEPENDS ${demo_stamp})
target_compile_definitions(corvid PRIVATE CORVID_DEMO_DIR="${PROJECT_BINARY_DIR}/demo")
