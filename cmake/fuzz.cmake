# libFuzzer targets: every fuzz/*.cpp is one target defining LLVMFuzzerTestOneInput.
# Configure with CC=clang CXX=clang++ -DCORVID_FUZZ=ON (see `make fuzz`).
file(GLOB fuzz_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/fuzz/*.cpp)
foreach(src ${fuzz_srcs})
  get_filename_component(name ${src} NAME_WE)
  add_executable(fuzz_${name} ${src})
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz_${name} PRIVATE corvid_core)
endforeach()
