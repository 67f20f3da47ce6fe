// A fresh folder for one test's files, removed with everything in it when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vantri_test {

/// A new folder under the system's temporary folder, named after the running test (or after
/// `name` outside a test, such as a suite's set-up) and unique to this process.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& name = {}) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string label =
            test != nullptr ? std::string(test->test_suite_name()) + "-" + test->name() : name;
        std::string pattern =
            (std::filesystem::temp_directory_path() / ("vantri-" + label + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed: " << pattern;
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    /// The folder, or `name` inside it.
    std::string path(const std::string& name = {}) const {
        return name.empty() ? path_.string() : (path_ / name).string();
    }
    /// Writes `text` to `name`, making the folders on the way, and returns its path.
    std::string write(const std::string& name, const std::string& text) const {
        const std::filesystem::path target = path_ / name;
        std::filesystem::create_directories(target.parent_path());
        std::ofstream(target, std::ios::binary) << text;
        return target.string();
    }
    void remove(const std::string& name) const { std::filesystem::remove(path_ / name); }

    /// The names of the entries in the folder, sorted, joined by spaces.
    std::string listing() const { return listing_of(path_.string()); }
    /// The same for any folder.
    static std::string listing_of(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        std::string text;
        for (const auto& name : names)
            text += (text.empty() ? "" : " ") + name;
        return text;
    }

  private:
    std::filesystem::path path_;
};

/// The whole content of a file; empty when it cannot be read.
inline std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace vantri_test
