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
bool description_names(const fs::path& folder, std::vector<std::string>& names,
                       std::string& error) {
    std::error_code code;
    if (!fs::is_directory(folder, code)) return true;
    fs::directory_iterator it(folder, code);
    if (code) {
        error = folder.string() + ": cannot be listed: " + code.message();
        return false;
    }
    for (const fs::directory_entry& entry : it) {
        const fs::path& path = entry.path();
        if (path.extension() == ".json" && entry.is_regular_file(code))
            names.push_back(path.stem().string());
    }
    std::sort(names.begin(), names.end());
    return true;
}

} // namespace

bool load_resource_folder(const std::string& res_folder, ResourceSet& out, std::string& error) {
    const fs::path root(res_folder);
    std::error_code code;
    if (!fs::is_directory(root, code)) {
        error = res_folder + ": not a resource folder (no such directory)";
        return false;
    }
    ResourceSet loaded;
    if (!load_string_table((root / "strings.json").string(), loaded.strings, error)) return false;

    std::vector<std::string> names;
    if (!description_names(root / "descriptions", names, error)) return false;
    for (const std::string& name : names) {
        DescriptionResource description;
        const fs::path path = root / "descriptions" / (name + ".json");
        if (!load_description(path.string(), name, description, error)) return false;
        loaded.descriptions.emplace(name, std::move(description));
    }
    out = std::move(loaded);
    return true;
}

} // namespace vantri
