// A plug-in module loaded with dlopen, and the action protocol that drives it: initialise
// with the host's tables and the module's folder, load resources (message 1), pass the
// command line (message 1002), start, and at the end, end and unload.
#pragma once

#include "abi/host_abi.h"
#include "host/Status.h"

#include <string>
#include <vector>

namespace vantri {

class Host;

class PluginModule {
  public:
    PluginModule() = default;
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    /// Opens the module file and finds c4d_main. Fails with a message naming the file.
    Status open(const std::string& module_path);
    /// The folder holding the module: the plug-in's own path.
    const std::string& folder() const { return folder_; }
    const std::string& path() const { return path_; }

    /// One raw call of the entry point.
    int32_t call(int32_t action, void* p1, void* p2, void* p3);
    int32_t initialise(HostApi* api, const char* folder);
    int32_t message(int32_t id, void* data);
    int32_t start();
    int32_t end();

    /// The whole start-up: initialise, message 1, message 1002 with `arguments` (entries the
    /// plug-in consumed come back as null and are removed), start. Fails naming the step
    /// that failed.
    Status start_up(Host& host, std::vector<std::string>& arguments);
    /// End (once for the start-up) and close the module. The host must have freed every
    /// object of the plug-in's types before.
    void shut_down(Host& host);
    /// Closes the module without calling it.
    void close();

  private:
    void* library_ = nullptr;
    VtMainFunction main_ = nullptr;
    std::string path_;
    std::string folder_;
    bool started_ = false;
};

} // namespace vantri
