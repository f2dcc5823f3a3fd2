# One static library per subsystem folder of src/, each linking the subsystems it builds on.
# Sources are picked up by folder, so adding a file needs no edit here.

function(corvid_subsystem name)
  file(GLOB srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${name}/*.cpp)
  string(REPLACE "/" "_" target "corvid_${name}")
  if(srcs)
    add_library(${target} STATIC ${srcs})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC ${ARGN})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} INTERFACE ${ARGN})
  endif()
endfunction()

corvid_subsystem(data PkgConfig::JPEG)
corvid_subsystem(gfx corvid_data corvid_script)
corvid_subsystem(script corvid_data)
corvid_subsystem(sound corvid_data corvid_persist PkgConfig::VORBISFILE)
corvid_subsystem(persist corvid_data corvid_script)
corvid_subsystem(screens corvid_gfx corvid_script corvid_sound corvid_persist)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
corvid_subsystem(platform corvid_gfx PkgConfig::FREETYPE PkgConfig::FONTCONFIG
                 PkgConfig::FFMPEG)
corvid_subsystem(platform/headless corvid_platform PkgConfig::PNG)
corvid_subsystem(core corvid_screens corvid_gfx corvid_script corvid_sound corvid_persist
                 corvid_data corvid_platform corvid_platform_headless)

if(CORVID_SDL)
  include(cmake/sdl_platform.cmake)
endif()

# The player's program.
file(GLOB app_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/app/*.cpp)
add_executable(corvid ${app_srcs})
target_link_libraries(corvid PRIVATE corvid_core)
target_compile_definitions(corvid PRIVATE CORVID_VERSION="${PROJECT_VERSION}")
if(CORVID_SDL)
  target_link_libraries(corvid PRIVATE corvid_platform_sdl)
  target_compile_definitions(corvid PRIVATE CORVID_HAVE_SDL=1)
endif()

# The authors' tool.
file(GLOB tool_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/*.cpp)
add_executable(cvdtool ${tool_srcs})
target_link_libraries(cvdtool PRIVATE corvid_core PkgConfig::PNG)

# The bundled demo title, built from demo/ by cvdtool.
include(cmake/demo.cmake)

if(CORVID_TESTS)
  include(cmake/tests.cmake)
endif()
if(CORVID_BENCH)
  include(cmake/bench.cmake)
endif()
if(CORVID_FUZZ)
  include(cmake/fuzz.cmake)
endif()
