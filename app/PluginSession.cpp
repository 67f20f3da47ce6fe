#include "app/PluginSession.h"

#include <cstdlib>

namespace vantri {

std::string PluginSession::default_module_path() {
    if (const char* env = std::getenv("VANTRI_PLUGIN")) return env;
    return std::string(VANTRI_DEFAULT_PLUGIN_DIR) + "/vantri.so";
}

Status PluginSession::start(const std::string& module_path) {
    Status opened = module_.open(module_path);
    if (!opened) return opened;
    std::vector<std::string> args;
    started_ = true;
    return module_.start_up(host_, args);
}

PluginSession::~PluginSession() {
    if (started_) module_.shut_down(host_);
}

} // namespace vantri
