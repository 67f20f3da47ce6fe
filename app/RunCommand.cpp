#include "Commands.h"

#include <cstdio>

namespace vantri {

int run_command(const std::vector<std::string>&) {
    std::fputs("vantri run: scene files are not supported by this build\n", stderr);
    return 2;
}

}  // namespace vantri
