#include "results/OutputFolder.h"

#include "results/InterruptCleanup.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vantri {

namespace {

// A sibling of `target` named ".<name>.<what>-<pid>".
fs::path sibling(const fs::path& target, const char* what) {
    return target.parent_path() / ("." + target.filename().string() + "." + what + "-" +
                                   std::to_string(static_cast<long>(getpid())));
}

fs::path normal(const std::string& target) {
    fs::path path(target);
    // "out/run/" names the folder "out/run".
    if (!path.has_filename()) path = path.parent_path();
    if (path.parent_path().empty()) path = fs::path(".") / path;
    return path;
}

// Whether `path` is a report that `vantri run` wrote: a JSON object with its keys.
bool is_run_report(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const nlohmann::json report = nlohmann::json::parse(text.str(), nullptr, false);
    return report.is_object() && report.contains("scene") && report.contains("generators") &&
           report.contains("mode");
}

// Whether `folder` holds nothing but the pictures a run writes: NNNN.png and NNNN.svg files,
// and -NNNN.png and -NNNN.svg for negative frames.
bool only_pictures(const fs::path& folder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!fs::is_regular_file(entry.symlink_status(ec))) return false;
        const std::string name = entry.path().filename().string();
        const size_t first_digit = name.compare(0, 1, "-") == 0 ? 1 : 0;
        const size_t dot = name.find('.');
        if (dot == first_digit || dot == std::string::npos) return false;
        for (size_t i = first_digit; i < dot; ++i)
            if (name[i] < '0' || name[i] > '9') return false;
        const std::string ending = name.substr(dot);
        if (ending != ".png" && ending != ".svg") return false;
    }
    return !ec;
}

// The entries of `folder` that a run does not write, as "name" or "name/".
std::vector<std::string> foreign_entries(const fs::path& folder) {
    std::vector<std::string> foreign;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const fs::file_status status = entry.symlink_status(ec);
        std::string name = entry.path().filename().string();
        if (fs::is_directory(status))
            name += "/";
        else if (!fs::is_regular_file(status))
            name += " (not a file)";
        bool known = false;
        for (const std::string& result : OutputFolder::result_names())
            known = known || name == result;
        if (known && name == "frames/" && !only_pictures(entry.path())) known = false;
        if (!known) foreign.push_back(name);
    }
    std::sort(foreign.begin(), foreign.end());
    return foreign;
}

// Removes the staging folders of runs into `target` that are no longer alive: their lock
// is free. (A live run holds its staging folder locked until it ends.)
void remove_dead_staging(const fs::path& target) {
    const std::string prefix = "." + target.filename().string() + ".";
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(target.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string rest = name.substr(prefix.size());
        size_t digits = 0;
        for (const char* kind : {"partial-", "old-"}) {
            if (rest.compare(0, std::strlen(kind), kind) == 0) digits = std::strlen(kind);
        }
        if (digits == 0 || digits == rest.size() ||
            rest.find_first_not_of("0123456789", digits) != std::string::npos)
            continue;
        const int fd = open(entry.path().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) remove_tree(entry.path().c_str());
        close(fd);
    }
}

// Removes the entries of the open folder `fd` and then `name` itself from `parent`.
bool remove_at(int parent, const char* name, int depth) {
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return unlinkat(parent, name, 0) == 0 || errno == ENOENT;
    struct stat status {};
    // Our own results made read-only: their entries can go only from a writable folder.
    if (fstat(fd, &status) == 0 && (status.st_mode & S_IWUSR) == 0)
        fchmod(fd, status.st_mode | S_IRWXU);
    bool removed_all = depth < 16;
    // Read a batch, remove it, and read again from the start until the folder is empty.
    alignas(8) char buffer[4096];
    while (removed_all) {
        const long bytes = syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (bytes <= 0) break;
        bool removed_some = false;
        for (long at = 0; at < bytes;) {
            const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
            at += entry->d_reclen;
            const char* entry_name = entry->d_name;
            if (std::strcmp(entry_name, ".") == 0 || std::strcmp(entry_name, "..") == 0) continue;
            const bool removed = entry->d_type == DT_DIR
                                     ? remove_at(fd, entry_name, depth + 1)
                                     : (unlinkat(fd, entry_name, 0) == 0 ||
                                        (errno == EISDIR && remove_at(fd, entry_name, depth + 1)));
            removed_some = removed_some || removed;
        }
        if (!removed_some) removed_all = false;
        lseek(fd, 0, SEEK_SET);
    }
    close(fd);
    return unlinkat(parent, name, AT_REMOVEDIR) == 0 || errno == ENOENT;
}

// Swaps `from` and `to` (both exist) in one step; false with errno when the file system
// cannot.
bool exchange(const fs::path& from, const fs::path& to) {
    return syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
                   1 << 1 /* RENAME_EXCHANGE */) == 0;
}

// Moves `from` to `to`, which must not exist.
bool move_new(const fs::path& from, const fs::path& to) {
    return syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
                   1 << 0 /* RENAME_NOREPLACE */) == 0;
}

} // namespace

bool remove_tree(const char* path) {
    return remove_at(AT_FDCWD, path, 0);
}

const std::vector<std::string>& OutputFolder::result_names() {
    static const std::vector<std::string> names = {"run.json", "agents.csv", "scene.glb",
                                                   "preview.html", "frames/"};
    return names;
}

OutputFolder::~OutputFolder() {
    if (!committed_) abandon();
}

Status OutputFolder::check() const {
    const fs::path target = normal(target_);
    const std::string name = target.filename().string();
    if (name.empty() || name == "." || name == "..")
        return input_error(target_ +
                           ": the results need a folder of their own; name one with --out");
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(target, ec);
    if (!fs::exists(status)) return {};
    if (!fs::is_directory(status))
        return input_error(target_ + ": exists and is not a folder; choose another --out");
    if (fs::is_empty(target, ec)) return {};
    const std::vector<std::string> foreign = foreign_entries(target);
    const bool report = fs::is_regular_file(fs::symlink_status(target / "run.json", ec)) &&
                        is_run_report(target / "run.json");
    if (foreign.empty() && report) return {};
    std::string list;
    for (size_t i = 0; i < foreign.size() && i < 5; ++i)
        list += (i == 0 ? "" : ", ") + foreign[i];
    if (foreign.size() > 5) list += ", ...";
    return input_error(
        target_ + ": the folder holds other files " +
        (foreign.empty() ? std::string("(run.json is not a vantri run's report)")
                         : "(" + list + ")") +
        (report ? " besides an earlier run's results" : " and no earlier run's run.json") +
        "; choose another --out (only a folder holding nothing but an earlier run's "
        "results is replaced)");
}

Status OutputFolder::begin() {
    const fs::path target = normal(target_);
    std::error_code ec;
    std::vector<fs::path> missing;
    for (fs::path up = target.parent_path(); !up.empty() && !fs::exists(up, ec);
         up = up.parent_path())
        missing.push_back(up);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (!fs::create_directory(*it, ec)) {
            Error error = failure(it->string() + ": cannot create the folder: " + ec.message());
            abandon();
            return error;
        }
        created_parents_.push_back(it->string());
    }
    remove_dead_staging(target);
    const fs::path staging = sibling(target, "partial");
    remove_tree(staging.c_str()); // our own pid: nothing alive owns it
    if (!fs::create_directory(staging, ec)) {
        Error error = failure(staging.string() + ": cannot create the folder: " + ec.message());
        abandon();
        return error;
    }
    staging_ = staging.string();
    staging_lock_ = open(staging_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (staging_lock_ >= 0) flock(staging_lock_, LOCK_EX | LOCK_NB);
    set_interrupt_cleanup(staging_, created_parents_);
    return {};
}

Status OutputFolder::commit() {
    // Checked again: the folder may have changed while the run played. A refusal now is a
    // failure to write the results, not a mistake on the command line.
    if (Status ready = check(); !ready) return failure(ready.message());
    const fs::path target = normal(target_);
    const fs::path staging(staging_);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec))) {
        if (!exchange(staging, target)) {
            if (errno != EINVAL && errno != ENOSYS)
                return failure(target_ +
                               ": cannot replace the earlier results: " + std::strerror(errno));
            // A file system that cannot swap: move the earlier results aside first. A kill
            // between the two moves leaves them in ".NAME.old-PID", which the next run
            // removes.
            const fs::path old = sibling(target, "old");
            if (std::rename(target.c_str(), old.c_str()) != 0)
                return failure(target_ +
                               ": cannot replace the earlier results: " + std::strerror(errno));
            if (std::rename(staging.c_str(), target.c_str()) != 0) {
                Error error = failure(
                    target_ + ": cannot move the results into place: " + std::strerror(errno));
                std::rename(old.c_str(), target.c_str());
                return error;
            }
            committed_ = true;
            set_interrupt_cleanup(old.string(), {});
            remove_tree(old.c_str());
            set_interrupt_cleanup({}, {});
            if (staging_lock_ >= 0) close(staging_lock_);
            staging_lock_ = -1;
            return {};
        }
        // The staging folder's name now holds the earlier results: a signal from here on
        // removes them, and so does the next run if this one is killed outright.
    } else if (!move_new(staging, target))
        return failure(target_ + ": cannot move the results into place: " + std::strerror(errno));
    committed_ = true;
    set_interrupt_cleanup(staging_, {});
    if (!remove_tree(staging_.c_str()))
        std::fprintf(stderr, "vantri: %s: could not remove the earlier results\n",
                     staging_.c_str());
    set_interrupt_cleanup({}, {});
    if (staging_lock_ >= 0) close(staging_lock_);
    staging_lock_ = -1;
    return {};
}

void OutputFolder::abandon() {
    set_interrupt_cleanup({}, {});
    if (!staging_.empty()) remove_tree(staging_.c_str());
    staging_.clear();
    if (staging_lock_ >= 0) close(staging_lock_);
    staging_lock_ = -1;
    std::error_code ec;
    for (auto it = created_parents_.rbegin(); it != created_parents_.rend(); ++it)
        fs::remove(*it, ec); // only when still empty
    created_parents_.clear();
}

} // namespace vantri
