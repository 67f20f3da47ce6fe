// The verbs of the vantri command. Each takes the arguments after the verb and returns the
// process's exit code: 0 success, 1 the plug-in failed, 2 bad input, 3 out of memory.
#pragma once

#include <string>
#include <vector>

namespace vantri {

int plugins_command(const std::vector<std::string>& args);
int describe_command(const std::vector<std::string>& args);
int run_command(const std::vector<std::string>& args);

}  // namespace vantri
