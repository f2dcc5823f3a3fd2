# Google Benchmark programs: every bench/*.cpp is one program (they measure, they never fail).
# libpng and LZ4 are linked for the anchors some benchmarks measure against.
find_package(benchmark REQUIRED)
pkg_check_modules(LZ4 REQUIRED IMPORTED_TARGET liblz4)
file(GLOB bench_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp)
foreach(src ${bench_srcs})
  get_filename_component(name ${src} NAME_WE)
  add_executable(bench_${name} ${src})
  target_link_libraries(bench_${name} PRIVATE corvid_core benchmark::benchmark benchmark::benchmark_main
                        PkgConfig::PNG PkgConfig::LZ4)
  if(name MATCHES "^present_" AND TARGET corvid_platform_sdl)
    target_link_libraries(bench_${name} PRIVATE corvid_platform_sdl)
  endif()
endforeach()
# The sound benchmark makes its Ogg Vorbis voice with the demo's writer.
if(TARGET bench_sound_bench)
  target_include_directories(bench_sound_bench PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(bench_sound_bench PRIVATE PkgConfig::VORBISENC)
endif()
