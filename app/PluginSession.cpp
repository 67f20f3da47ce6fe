#include "PluginSession.h"

#include <cstdlib>

namespace vantri {

std::string PluginSession::default_module_path() {
    if (const char* env = std::getenv("VANTRI_PLUGIN")) return env;
    return std::string(VANTRI_DEFAULT_PLUGIN_DIR) + "/vantri.so";
}

std::string PluginSession::take_module_option(std::vector<std::string>& args, std::string& error) {
    std::string path = default_module_path();
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--plugin") continue;
        if (i + 1 >= args.size()) {
            error = "--plugin needs the path of the plug-in module";
            return {};
        }
        path = args[i + 1];
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        break;
    }
    return path;
}

bool PluginSession::start(const std::string& module_path, std::string& error) {
    if (!module_.open(module_path, error)) return false;
    std::vector<std::string> args;
    started_ = true;
    return module_.start_up(host_, args, error);
}

PluginSession::~PluginSession() {
    if (started_) module_.shut_down(host_);
}

}  // namespace vantri
