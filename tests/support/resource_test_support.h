// Helpers shared by the resource loader's tests: scratch folders and error checks.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace vantri_test {

/// A fresh folder under the system's temp directory, removed with everything in it.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vantri-resources-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& relative) const { return (path_ / relative).string(); }

    /// Writes `content` to `relative`, making the folders on the way.
    void write(const std::string& relative, const std::string& content) const {
        const std::filesystem::path target = path_ / relative;
        std::filesystem::create_directories(target.parent_path());
        std::ofstream(target, std::ios::binary) << content;
    }
    void remove(const std::string& relative) const { std::filesystem::remove(path_ / relative); }

  private:
    std::filesystem::path path_;
};

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
