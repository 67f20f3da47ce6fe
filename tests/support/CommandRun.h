// Running the built vantri command as a person does, for the tests of its verbs, of whole
// runs and of the examples.
#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace vantri_test {

struct CommandOutcome {
    int exit_code = -1;
    std::string output; ///< stdout and stderr together
};

/// Runs `vantri arguments` with `prefix` before it (such as "timeout 60 ").
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

} // namespace vantri_test
