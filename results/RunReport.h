// run.json: what a run played and how it went: the scene file, the frame range, the frame
// rate, the mode, the agents of each generator at the last frame, the wall time and the
// plug-in's console lines.
#pragma once

#include "host/Status.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantri {

struct RunReport {
    std::string scene;
    int32_t start = 0;
    int32_t end = 0;
    int32_t fps = 25;
    std::string mode; ///< "play" or "render"
    struct Generator {
        std::string name;
        size_t agents = 0;
    };
    std::vector<Generator> generators; ///< in scene order
    /// The --set settings that changed the scene file's parameters, as given.
    std::vector<std::string> settings;
    /// The files the run wrote into its results folder, run.json last.
    std::vector<std::string> files;
    double wall_seconds = 0.0;
    std::vector<std::string> console;

    /// The report as JSON text (indented, ending in a line break).
    std::string to_json() const;
    /// Writes the report to `path`.
    Status write(const std::string& path) const;
};

} // namespace vantri
