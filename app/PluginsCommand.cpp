// vantri plugins: load the plug-in and list what it registered.
#include "app/Commands.h"
#include "app/PluginSession.h"

#include <cstdio>

namespace vantri {

void add_plugins_options(CLI::App& verb, PluginsOptions& options) {
    add_plugin_option(verb, options.module_path);
}

int plugins_command(const PluginsOptions& options) {
    const std::string& module_path = options.module_path;
    PluginSession session;
    if (Status started = session.start(module_path); !started)
        return report_failure("vantri plugins", started.error());
    std::printf("%s\n", module_path.c_str());
    std::printf("%-9s %-18s %-17s %-16s %s\n", "id", "name", "description", "flags", "icon");
    for (const ObjectType* type : session.host().types().plugin_types()) {
        char flags[32];
        std::snprintf(flags, sizeof flags, "%d (0x%X)", type->info_flags,
                      static_cast<unsigned>(type->info_flags));
        std::string icon = "none";
        if (type->has_icon)
            icon = std::to_string(type->icon.width) + "x" + std::to_string(type->icon.height);
        std::printf("%-9d %-18s %-17s %-16s %s\n", type->id, type->name.c_str(),
                    type->description.c_str(), flags, icon.c_str());
    }
    std::printf("console:\n");
    for (const std::string& line : session.host().console())
        std::printf("  \"%s\"\n", line.c_str());
    return 0;
}

} // namespace vantri
