// Files built into the command: the preview page's template and player script, and the
// three.js library with its orbit controls (from Debian's libjs-three), so that vantri run
// writes a self-contained preview.html without looking for anything at run time.
#pragma once

#include <string_view>

namespace vantri {

std::string_view preview_page_template();
std::string_view preview_player_script();
std::string_view three_js_script();
std::string_view orbit_controls_script();

} // namespace vantri
