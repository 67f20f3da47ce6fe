#include "host/plugin/PluginModule.h"

#include "host/Host.h"

#include <dlfcn.h>

namespace vantri {

PluginModule::~PluginModule() {
    close();
}

Status PluginModule::open(const std::string& module_path) {
    close();
    library_ = dlopen(module_path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr) {
        const char* why = dlerror();
        return failure(module_path +
                       ": cannot load the plug-in module: " + (why ? why : "unknown error"));
    }
    void* symbol = dlsym(library_, "c4d_main");
    if (symbol == nullptr) {
        dlclose(library_);
        library_ = nullptr;
        return failure(module_path + ": the module does not export c4d_main");
    }
    main_ = reinterpret_cast<VtMainFunction>(symbol);
    path_ = module_path;
    const size_t slash = module_path.find_last_of('/');
    folder_ = slash == std::string::npos ? "." : module_path.substr(0, slash);
    return {};
}

int32_t PluginModule::call(int32_t action, void* p1, void* p2, void* p3) {
    return main_ != nullptr ? main_(action, p1, p2, p3) : -1;
}

int32_t PluginModule::initialise(HostApi* api, const char* folder) {
    return call(VT_ACTION_INIT, api, nullptr, const_cast<char*>(folder));
}

int32_t PluginModule::message(int32_t id, void* data) {
    // The entry point takes the message id in its first pointer argument.
    void* const id_argument =
        reinterpret_cast<void*>(static_cast<intptr_t>(id)); // NOLINT(performance-no-int-to-ptr)
    return call(VT_ACTION_MESSAGE, id_argument, data, nullptr);
}

int32_t PluginModule::start() {
    return call(VT_ACTION_START, nullptr, nullptr, nullptr);
}

int32_t PluginModule::end() {
    return call(VT_ACTION_END, nullptr, nullptr, nullptr);
}

Status PluginModule::start_up(Host& host, std::vector<std::string>& arguments) {
    if (initialise(host.api(), folder_.c_str()) != 1)
        return failure(path_ + ": the plug-in refused to initialise");
    started_ = true;
    if (message(VT_PLUGIN_MESSAGE_LOAD_RESOURCES, nullptr) != 1) {
        std::string error =
            path_ + ": the plug-in could not load its resources from " + folder_ + "/res";
        if (!host.last_resource_error().empty()) error += ": " + host.last_resource_error();
        return failure(error);
    }
    std::vector<char*> argv;
    argv.reserve(arguments.size());
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    VtCommandLine line{static_cast<int32_t>(argv.size()), argv.data()};
    message(VT_PLUGIN_MESSAGE_COMMAND_LINE, &line);
    std::vector<std::string> left;
    for (size_t i = 0; i < argv.size(); ++i) {
        if (argv[i] != nullptr) left.push_back(arguments[i]);
    }
    arguments = left;
    if (start() != 1) {
        std::string error = path_ + ": the plug-in failed to start";
        if (!host.last_refusal.empty()) error += " (" + host.last_refusal + ")";
        return failure(error);
    }
    return {};
}

void PluginModule::shut_down(Host& host) {
    if (started_) end();
    started_ = false;
    host.types().clear_plugin_types();
    close();
}

void PluginModule::close() {
    if (library_ != nullptr) dlclose(library_);
    library_ = nullptr;
    main_ = nullptr;
}

} // namespace vantri
