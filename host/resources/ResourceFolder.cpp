#include "host/resources/ResourceFolder.h"

#include "host/resources/StringTable.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace vantri {
namespace {

namespace fs = std::filesystem;

/// The names of the descriptions/<name>.json files, sorted so that errors come in a stable
/// order whatever the directory listing gives.
Status description_names(const fs::path& folder, std::vector<std::string>& names) {
    std::error_code code;
    if (!fs::is_directory(folder, code)) return {};
    fs::directory_iterator it(folder, code);
    if (code) return failure(folder.string() + ": cannot be listed: " + code.message());
    for (const fs::directory_entry& entry : it) {
        const fs::path& path = entry.path();
        if (path.extension() == ".json" && entry.is_regular_file(code))
            names.push_back(path.stem().string());
    }
    std::sort(names.begin(), names.end());
    return {};
}

} // namespace

Status load_resource_folder(const std::string& res_folder, ResourceSet& out) {
    const fs::path root(res_folder);
    std::error_code code;
    if (!fs::is_directory(root, code))
        return failure(res_folder + ": not a resource folder (no such directory)");
    ResourceSet loaded;
    if (Status done = load_string_table((root / "strings.json").string(), loaded.strings); !done)
        return done;

    std::vector<std::string> names;
    if (Status done = description_names(root / "descriptions", names); !done) return done;
    for (const std::string& name : names) {
        DescriptionResource description;
        const fs::path path = root / "descriptions" / (name + ".json");
        if (Status done = load_description(path.string(), name, description); !done) return done;
        loaded.descriptions.emplace(name, std::move(description));
    }
    out = std::move(loaded);
    return {};
}

} // namespace vantri
