// The folder a run writes its results into, filled as a whole or not at all: the results
// are written into a staging folder beside it and moved into place only when the run
// succeeded. An earlier run's folder there (one holding run.json) is replaced; any other
// non-empty folder is left alone and the run refuses to start.
#pragma once

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

    /// Whether the target can take the results: absent, an empty folder or an earlier run's
    /// folder. False with the reason.
    bool check(std::string& error) const;
    /// Creates the staging folder beside the target (and the target's missing parents).
    bool begin(std::string& error);
    /// The staging folder, where the results are written.
    const std::string& staging() const { return staging_; }
    /// Moves the staging folder into place, replacing an earlier run's folder.
    bool commit(std::string& error);
    /// Removes the staging folder now.
    void abandon();

    const std::string& target() const { return target_; }

  private:
    std::string target_;
    std::string staging_;
    std::vector<std::string> created_parents_; ///< deepest last
    bool committed_ = false;
};

} // namespace vantri
