#include "scenefile/NearestName.h"

#include <algorithm>
#include <cctype>

namespace vantri {

namespace {

char folded(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

} // namespace

// The usual dynamic programme over prefixes, one row at a time.
size_t edit_distance(std::string_view a, std::string_view b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            const size_t change = diagonal + (folded(a[i - 1]) == folded(b[j - 1]) ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, change});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string nearest_name(const std::string& given, const std::vector<std::string>& candidates) {
    std::string best;
    size_t best_distance = 0;
    for (const std::string& candidate : candidates) {
        if (candidate.empty() || candidate == given) continue;
        const size_t distance = edit_distance(given, candidate);
        const size_t allowed =
            std::clamp<size_t>(std::max(given.size(), candidate.size()) / 3, 1, 3);
        if (distance > allowed) continue;
        if (best.empty() || distance < best_distance) {
            best = candidate;
            best_distance = distance;
        }
    }
    return best;
}

std::string did_you_mean(const std::string& given, const std::vector<std::string>& candidates) {
    const std::string nearest = nearest_name(given, candidates);
    return nearest.empty() ? std::string() : " (did you mean '" + nearest + "'?)";
}

} // namespace vantri
