#include "results/RunReport.h"

#include <nlohmann/json.hpp>

#include <fstream>

namespace vantri {

std::string RunReport::to_json() const {
    nlohmann::ordered_json report;
    report["scene"] = scene;
    report["start"] = start;
    report["end"] = end;
    report["frames"] = end - start + 1;
    report["fps"] = fps;
    report["mode"] = mode;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Generator& generator : generators)
        list.push_back({{"name", generator.name}, {"agents", generator.agents}});
    report["generators"] = list;
    report["settings"] = settings;
    report["files"] = files;
    report["wall_seconds"] = wall_seconds;
    report["console"] = console;
    // Names and console lines are the plug-in's bytes; replace what is not UTF-8.
    return report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

Status RunReport::write(const std::string& path) const {
    std::ofstream out(path, std::ios::binary);
    out << to_json();
    out.close();
    if (!out) return failure(path + ": could not write the file");
    return {};
}

} // namespace vantri
