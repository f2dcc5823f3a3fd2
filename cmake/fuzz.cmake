# libFuzzer targets: every fuzz/*_fuzz.cpp is one target, fuzz_NAME_fuzz, defining
# LLVMFuzzerTestOneInput. Each gets a seed corpus made at build time by corvid_fuzz_seeds
# (fuzz/seeds/make_seeds.cpp) in fuzz-seeds/NAME, with a dictionary fuzz-seeds/NAME.dict where
# the generator has one; a target the generator does not know starts from an empty folder.
# Configure with CC=clang CXX=clang++ -DCORVID_FUZZ=ON (see `make fuzz`); `make fuzz-smoke`
# runs every target briefly from its seeds (scripts/fuzz-smoke.sh).
add_executable(corvid_fuzz_seeds ${PROJECT_SOURCE_DIR}/fuzz/seeds/make_seeds.cpp)
target_include_directories(corvid_fuzz_seeds PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(corvid_fuzz_seeds PRIVATE corvid_data corvid_persist corvid_script)

file(GLOB fuzz_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/fuzz/*_fuzz.cpp)
foreach(src ${fuzz_srcs})
  get_filename_component(name ${src} NAME_WE)
  string(REGEX REPLACE "_fuzz$" "" format ${name})
  add_executable(fuzz_${name} ${src})
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz_${name} PRIVATE corvid_core)

  set(seeds ${PROJECT_BINARY_DIR}/fuzz-seeds/${format})
  add_custom_command(
    OUTPUT ${seeds}.made
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${seeds} ${seeds}.dict
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:corvid_fuzz_seeds> ${format} ${seeds}
    COMMAND ${CMAKE_COMMAND} -E touch ${seeds}.made
    DEPENDS corvid_fuzz_seeds
    COMMENT "Seeds for fuzz_${name}")
  add_custom_target(fuzz_${name}_seeds ALL DEPENDS ${seeds}.made)
endforeach()
