#include "resources/ResourceFolder.h"

#include "resources/StringTable.h"
#include "resources/SymbolHeader.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace vantri {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLanguage = "strings_us";

/// The names of the description/<name>.res files, sorted so that errors come in a stable
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
        if (path.extension() == ".res" && entry.is_regular_file(code))
            names.push_back(path.stem().string());
    }
    std::sort(names.begin(), names.end());
    return true;
}

bool load_one_description(const fs::path& root, const std::string& name, DescriptionResource& out,
                          std::string& error) {
    const fs::path folder = root / "description";
    SymbolHeader symbols;
    if (!load_symbol_header((folder / (name + ".h")).string(), symbols, error)) {
        error += " (the symbol header of " + (folder / (name + ".res")).string() + ")";
        return false;
    }
    DescriptionResource description;
    if (!load_description((folder / (name + ".res")).string(), symbols, name, description, error))
        return false;
    const fs::path labels = root / kLanguage / "description" / (name + ".str");
    StringTable strings;
    if (!load_string_table(labels.string(), symbols, name, strings, error)) {
        if (!fs::exists(labels))
            error += " (the labels of " + (folder / (name + ".res")).string() + ")";
        return false;
    }
    apply_description_labels(strings, description);
    out = std::move(description);
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

    SymbolHeader plugin_symbols;
    if (!load_symbol_header((root / "c4d_symbols.h").string(), plugin_symbols, error)) return false;
    StringTable plugin_strings;
    if (!load_string_table((root / kLanguage / "c4d_strings.str").string(), plugin_symbols, "",
                           plugin_strings, error))
        return false;

    ResourceSet loaded;
    for (const StringEntry& entry : plugin_strings.entries)
        loaded.strings[entry.id] = entry.text;

    std::vector<std::string> names;
    if (!description_names(root / "description", names, error)) return false;
    for (const std::string& name : names) {
        DescriptionResource description;
        if (!load_one_description(root, name, description, error)) return false;
        loaded.descriptions.emplace(name, std::move(description));
    }
    out = std::move(loaded);
    return true;
}

} // namespace vantri
