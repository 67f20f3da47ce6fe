// Helpers for the scene tests that run the built vantri command: a scratch folder, files
// in it, and running the command as a person does.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace vantri_test {

struct CommandOutcome {
    int exit_code = -1;
    std::string output; ///< stdout and stderr together
};

/// Runs the command with `prefix` before it (such as "timeout 60 ").
inline CommandOutcome run_vantri_prefixed(const std::string& prefix, const std::string& arguments) {
    const std::string command = prefix + std::string(VANTRI_COMMAND) + " " + arguments + " 2>&1";
    CommandOutcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        outcome.output.append(buffer, n);
    const int status = pclose(pipe);
    outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

inline CommandOutcome run_vantri(const std::string& arguments) {
    return run_vantri_prefixed("", arguments);
}

/// A fresh folder under the system's temporary folder, removed at the end of the test.
class ScratchFolder {
  public:
    /// Named after the running test, or after `name` outside a test (a suite's set-up).
    explicit ScratchFolder(const std::string& name = {}) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string label =
            test != nullptr ? std::string(test->test_suite_name()) + "-" + test->name() : name;
        path_ = std::filesystem::temp_directory_path() /
                ("vantri-" + label + "-" + std::to_string(getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }

    std::string path(const std::string& name = {}) const {
        return name.empty() ? path_.string() : (path_ / name).string();
    }
    /// Writes `text` to `name` and returns its path.
    std::string write(const std::string& name, const std::string& text) const {
        std::ofstream(path(name), std::ios::binary) << text;
        return path(name);
    }
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

inline std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace vantri_test
