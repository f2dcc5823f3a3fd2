# The real window: SDL2, Dear ImGui (its SDL_Renderer back end is compiled from the copy the
# Debian package installs as an example) and FFmpeg for movies.
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)
set(imgui_backends /usr/share/doc/libimgui-dev/examples/backends)
file(GLOB sdl_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/sdl/*.cpp)
add_library(corvid_platform_sdl STATIC ${sdl_srcs} ${imgui_backends}/imgui_impl_sdlrenderer.cpp)
target_include_directories(corvid_platform_sdl PRIVATE /usr/include/imgui/backends /usr/include/imgui)
target_link_libraries(corvid_platform_sdl PUBLIC corvid_platform PkgConfig::SDL2 PkgConfig::IMGUI)
