# The demo title: demo/ holds its sources; cvdtool builds the archives into build/demo.
# Its sounds are made at build time: make_sounds writes WAV files (encoded to WADY by
# `cvdtool sound encode`) and Ogg Vorbis voices into a copy of demo/ that cvdtool builds.
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)
add_executable(make_sounds ${PROJECT_SOURCE_DIR}/demo/make_sounds.cpp)
target_include_directories(make_sounds PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(make_sounds PRIVATE corvid_sound PkgConfig::VORBISENC)

file(GLOB_RECURSE demo_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/demo/*)
set(demo_stamp ${PROJECT_BINARY_DIR}/demo/.built)
set(demo_src ${PROJECT_BINARY_DIR}/demo_src)
set(demo_wav ${PROJECT_BINARY_DIR}/demo_wav)
add_custom_command(
  OUTPUT ${demo_stamp}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${demo_src}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/demo ${demo_src}
  COMMAND make_sounds ${demo_wav} ${demo_src}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${demo_src}/qd_se0 ${demo_src}/qd_bgm
  COMMAND cvdtool sound encode ${demo_wav}/SE01.wav ${demo_src}/qd_se0/SE01
  COMMAND cvdtool sound encode ${demo_wav}/SEL01.wav ${demo_src}/qd_se0/SEL01
  COMMAND cvdtool sound encode ${demo_wav}/M01.wav ${demo_src}/qd_bgm/M01 --music --loop 44100
  COMMAND cvdtool build ${demo_src} ${PROJECT_BINARY_DIR}/demo
  COMMAND ${CMAKE_COMMAND} -E touch ${demo_stamp}
  DEPENDS cvdtool make_sounds ${demo_srcs}
  COMMENT "Building the demo title")
add_custom_target(demo ALL DEPENDS ${demo_stamp})
target_compile_definitions(corvid PRIVATE CORVID_DEMO_DIR="${PROJECT_BINARY_DIR}/demo")
