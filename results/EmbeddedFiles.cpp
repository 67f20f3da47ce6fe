#include "results/EmbeddedFiles.h"

// Each file is assembled into the read-only data between a begin and an end label. The
// paths come from the build (results/CMakeLists.txt), which also rebuilds this file when
// one of them changes.
#define VANTRI_EMBED(label, path)                                                                  \
    asm(".section .rodata\n"                                                                       \
        ".global " #label "_begin\n"                                                               \
        ".global " #label "_end\n"                                                                 \
        ".balign 16\n" #label "_begin:\n"                                                          \
        ".incbin \"" path "\"\n" #label "_end:\n"                                                  \
        ".byte 0\n"                                                                                \
        ".previous\n");                                                                            \
    extern "C" const char label##_begin[];                                                         \
    extern "C" const char label##_end[];

VANTRI_EMBED(vantri_preview_page, VANTRI_PREVIEW_PAGE)
VANTRI_EMBED(vantri_preview_player, VANTRI_PREVIEW_PLAYER)
VANTRI_EMBED(vantri_three_js, VANTRI_THREE_JS)
VANTRI_EMBED(vantri_orbit_controls, VANTRI_ORBIT_CONTROLS)

namespace vantri {

namespace {

std::string_view between(const char* begin, const char* end) {
    return std::string_view(begin, static_cast<size_t>(end - begin));
}

} // namespace

std::string_view preview_page_template() {
    return between(vantri_preview_page_begin, vantri_preview_page_end);
}
std::string_view preview_player_script() {
    return between(vantri_preview_player_begin, vantri_preview_player_end);
}
std::string_view three_js_script() {
    return between(vantri_three_js_begin, vantri_three_js_end);
}
std::string_view orbit_controls_script() {
    return between(vantri_orbit_controls_begin, vantri_orbit_controls_end);
}

} // namespace vantri
