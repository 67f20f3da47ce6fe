// "Did you mean": the known name nearest to a misspelt one, for the errors that name an
// unknown parameter symbol, object type or object.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantri {

/// The least number of single-character insertions, deletions and substitutions that turn
/// `a` into `b`, letters compared without case (a symbol typed in lower case is near its
/// upper-case self).
size_t edit_distance(std::string_view a, std::string_view b);

/// The candidate nearest to `given` when it is near enough to be what was meant: at most a
/// third of the longer name's characters apart (at least 1, at most 3), or equal but for
/// case; empty when no candidate is. Of equally near candidates the first wins.
std::string nearest_name(const std::string& given, const std::vector<std::string>& candidates);

/// " (did you mean 'NAME'?)" for nearest_name(given, candidates), or "" when none is near.
std::string did_you_mean(const std::string& given, const std::vector<std::string>& candidates);

} // namespace vantri
