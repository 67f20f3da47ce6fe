// Checking that an error message names the file and the place of the fault.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace vantri_test {

/// Succeeds when `error` starts with "<path>: <where>: " for a JSON path (or "<path>: " for
/// an empty one), or with "<path>:<where>:" for a position "line:column" or "line", and
/// contains `words`.
inline ::testing::AssertionResult error_names(const std::string& error, const std::string& path,
                                              const std::string& where, const std::string& words) {
    const bool position = !where.empty() && std::isdigit(static_cast<unsigned char>(where[0]));
    const std::string prefix =
        position ? path + ":" + where + ":" : path + ": " + (where.empty() ? "" : where + ": ");
    if (error.compare(0, prefix.size(), prefix) != 0)
        return ::testing::AssertionFailure()
               << "error does not start with '" << prefix << "': " << error;
    if (error.find(words) == std::string::npos)
        return ::testing::AssertionFailure() << "error does not say '" << words << "': " << error;
    return ::testing::AssertionSuccess();
}

} // namespace vantri_test
