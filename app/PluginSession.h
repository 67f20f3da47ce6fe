// The plug-in loaded and started in a host, for the duration of one command.
#pragma once

#include "host/Host.h"
#include "host/plugin/PluginModule.h"

#include <string>
#include <vector>

namespace vantri {

class PluginSession {
  public:
    /// Where the command finds the module unless told otherwise.
    static std::string default_module_path();

    /// Loads and starts the module; fails with a message naming the file.
    Status start(const std::string& module_path);
    ~PluginSession();

    Host& host() { return host_; }
    PluginModule& module() { return module_; }

  private:
    Host host_;
    PluginModule module_;
    bool started_ = false;
};

} // namespace vantri
