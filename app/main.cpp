// vantri: plays crowd scenes through the Vantri plug-in in a stand-in host.
#include "Commands.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

void usage(FILE* out) {
    std::fputs(
        "usage: vantri <verb> [options]\n"
        "\n"
        "verbs:\n"
        "  plugins                 load the plug-in and list the object types it registers\n"
        "  describe TYPE           the parameters of a new object of TYPE (description name,\n"
        "                          type id or display name)\n"
        "  run SCENE [options]     play a scene file and write the agents' motion\n"
        "\n"
        "common options:\n"
        "  --plugin PATH           the plug-in module to load (default: the built one)\n"
        "  --help                  this text\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    const std::string verb = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    if (verb == "--help" || verb == "-h" || verb == "help") {
        usage(stdout);
        return 0;
    }
    if (verb == "plugins") return vantri::plugins_command(args);
    if (verb == "describe") return vantri::describe_command(args);
    if (verb == "run") return vantri::run_command(args);
    std::fprintf(stderr, "vantri: unknown verb '%s' (try 'vantri --help')\n", verb.c_str());
    return 2;
}
