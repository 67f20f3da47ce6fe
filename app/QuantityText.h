// How the command writes counts, sizes and times for people: in its messages and its
// progress on stderr.
#pragma once

#include <cstdint>
#include <string>

namespace vantri {

/// "1,000,000".
std::string count_text(uint64_t count);
/// "5.2 GiB".
std::string size_text(double bytes);
/// "0.4 s", "12 s", "3 min 5 s", "2 h 10 min".
std::string duration_text(double seconds);

} // namespace vantri
