# One GoogleTest program per folder of tests/. A folder named after a subsystem links that
# subsystem only (so its tests build while other subsystems are in progress); the others
# (core, platform, tools) link the whole engine and may run the built programs.
enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB test_dirs LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/tests/*)
foreach(dir ${test_dirs})
  if(NOT IS_DIRECTORY ${dir})
    continue()
  endif()
  get_filename_component(name ${dir} NAME)
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT srcs)
    continue()
  endif()
  set(test corvid_tests_${name})
  add_executable(${test} ${srcs})
  target_include_directories(${test} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(TARGET corvid_${name} AND NOT name MATCHES "^(core|platform)$")
    target_link_libraries(${test} PRIVATE corvid_${name})
  else()
    target_link_libraries(${test} PRIVATE corvid_core)
    add_dependencies(${test} corvid cvdtool demo)
  endif()
  # The platform tests also drive the real window, on SDL's dummy video driver.
  if(name STREQUAL "platform" AND TARGET corvid_platform_sdl)
    target_link_libraries(${test} PRIVATE corvid_platform_sdl)
    target_compile_definitions(${test} PRIVATE CORVID_HAVE_SDL=1)
  endif()
  target_link_libraries(${test} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${test} PRIVATE
      CORVID_BIN_DIR="${PROJECT_BINARY_DIR}" CORVID_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${test} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
endforeach()

# The sound and engine tests make Ogg Vorbis voices with the demo's writer (demo/ogg_writer.h;
# VORBISENC comes from cmake/demo.cmake).
foreach(test corvid_tests_sound corvid_tests_core)
  if(TARGET ${test})
    target_link_libraries(${test} PRIVATE PkgConfig::VORBISENC)
    target_include_directories(${test} PRIVATE ${PROJECT_SOURCE_DIR})
  endif()
endforeach()
