// The folder a run writes its results into, filled as a whole or not at all: the results
// are written into a staging folder beside it (".NAME.partial-PID", locked while the run
// lives) and swapped into place in one step when the run succeeded; the earlier results
// then go. Only a folder that holds nothing but what `vantri run` writes is replaced; any
// other non-empty folder is left alone and the run refuses to start.
//
// An interrupted run removes its staging folder (InterruptCleanup); one killed outright
// leaves it, unlocked, and the next run into the same place removes it.
#pragma once

#include "host/Status.h"

#include <string>
#include <vector>

namespace vantri {

class OutputFolder {
  public:
    explicit OutputFolder(std::string target) : target_(std::move(target)) {}
    /// Removes the staging folder (and any parent folders it created) unless committed.
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    /// The names a run writes into its results folder: files, and folders (ending in '/').
    /// A folder holding anything else is not results and is never replaced. A new output
    /// adds its name here.
    static const std::vector<std::string>& result_names();

    /// Whether the target can take the results: absent, an empty folder or an earlier run's
    /// results. An Input error otherwise.
    Status check() const;
    /// Creates the staging folder beside the target (and the target's missing parents),
    /// after removing the staging folders that dead runs left there.
    Status begin();
    /// The staging folder, where the results are written.
    const std::string& staging() const { return staging_; }
    /// Puts the staging folder in the target's place in one step, then removes the earlier
    /// results. On failure the earlier results are untouched.
    Status commit();
    /// Removes the staging folder now.
    void abandon();

    const std::string& target() const { return target_; }

  private:
    std::string target_;
    std::string staging_;
    int staging_lock_ = -1; ///< the staging folder, open and locked while the run lives
    std::vector<std::string> created_parents_; ///< deepest last
    bool committed_ = false;
};

/// Removes a folder and everything in it, using only calls that are safe in a signal
/// handler; makes read-only folders of our own writable on the way. False when something
/// could not be removed.
bool remove_tree(const char* path);

} // namespace vantri
