#include "results/OutputFolder.h"

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vantri {

namespace {

// A sibling of `target` named ".<name>.<what>-<pid>".
fs::path sibling(const fs::path& target, const char* what) {
    fs::path name = target.filename();
    if (name.empty()) name = target.parent_path().filename();
    return target.parent_path() /
           ("." + name.string() + "." + what + "-" + std::to_string(static_cast<long>(getpid())));
}

fs::path normal(const std::string& target) {
    fs::path path(target);
    // "out/run/" names the folder "out/run".
    if (!path.has_filename()) path = path.parent_path();
    if (path.parent_path().empty()) path = fs::path(".") / path;
    return path;
}

} // namespace

OutputFolder::~OutputFolder() {
    if (!committed_) abandon();
}

bool OutputFolder::check(std::string& error) const {
    const fs::path target = normal(target_);
    const std::string name = target.filename().string();
    if (name.empty() || name == "." || name == "..") {
        error = target_ + ": the results need a folder of their own; name one with --out";
        return false;
    }
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(target, ec);
    if (!fs::exists(status)) return true;
    if (!fs::is_directory(status)) {
        error = target_ + ": exists and is not a folder; choose another --out";
        return false;
    }
    if (fs::is_empty(target, ec) || fs::exists(target / "run.json", ec)) return true;
    error = target_ + ": the folder holds other files and no earlier run's run.json; choose "
                      "another --out (an earlier run's folder is replaced)";
    return false;
}

bool OutputFolder::begin(std::string& error) {
    const fs::path target = normal(target_);
    std::error_code ec;
    std::vector<fs::path> missing;
    for (fs::path up = target.parent_path(); !up.empty() && !fs::exists(up, ec);
         up = up.parent_path())
        missing.push_back(up);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (!fs::create_directory(*it, ec)) {
            error = it->string() + ": cannot create the folder: " + ec.message();
            abandon();
            return false;
        }
        created_parents_.push_back(it->string());
    }
    const fs::path staging = sibling(target, "partial");
    fs::remove_all(staging, ec);
    if (!fs::create_directory(staging, ec)) {
        error = staging.string() + ": cannot create the folder: " + ec.message();
        abandon();
        return false;
    }
    staging_ = staging.string();
    return true;
}

bool OutputFolder::commit(std::string& error) {
    if (!check(error)) return false;
    const fs::path target = normal(target_);
    std::error_code ec;
    fs::path old;
    if (fs::exists(target, ec)) {
        old = sibling(target, "old");
        fs::remove_all(old, ec);
        fs::rename(target, old, ec);
        if (ec) {
            error = target_ + ": cannot replace the earlier results: " + ec.message();
            return false;
        }
    }
    fs::rename(staging_, target, ec);
    if (ec) {
        error = target_ + ": cannot move the results into place: " + ec.message();
        std::error_code restore;
        if (!old.empty()) fs::rename(old, target, restore);
        return false;
    }
    if (!old.empty()) fs::remove_all(old, ec);
    committed_ = true;
    return true;
}

void OutputFolder::abandon() {
    std::error_code ec;
    if (!staging_.empty()) fs::remove_all(staging_, ec);
    staging_.clear();
    for (auto it = created_parents_.rbegin(); it != created_parents_.rend(); ++it)
        fs::remove(*it, ec); // only when still empty
    created_parents_.clear();
}

} // namespace vantri
