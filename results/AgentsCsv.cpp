#include "results/AgentsCsv.h"

#include "scene/Transform.h"

#include <cerrno>
#include <cstring>

namespace vantri {

const char* AgentsCsv::header() {
    return "frame,generator,agent,x,y,z,heading,pitch,bank,speed,max_speed,waiting";
}

std::string csv_field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

AgentsCsv::~AgentsCsv() {
    if (file_ != nullptr) std::fclose(file_);
}

bool AgentsCsv::open(const std::string& path, std::string& error) {
    path_ = path;
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr) {
        error = path + ": cannot create the file: " + std::strerror(errno);
        return false;
    }
    std::fprintf(file_, "%s\n", header());
    return true;
}

void AgentsCsv::write_frame(int32_t frame, const std::string& generator,
                            const std::vector<VtAgentRecord>& records,
                            const VtMatrix& generator_mg) {
    if (file_ == nullptr) return;
    const std::string name = csv_field(generator);
    for (size_t i = 0; i < records.size(); ++i) {
        const VtAgentRecord& r = records[i];
        const VtVector p = transform_point(generator_mg, r.mg.off);
        std::fprintf(file_, "%d,%s,%zu,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%d\n", frame,
                     name.c_str(), i, p.x, p.y, p.z, r.rotation.x, r.rotation.y, r.rotation.z,
                     r.speed, r.max_speed, r.waiting);
    }
}

bool AgentsCsv::close(std::string& error) {
    if (file_ == nullptr) return true;
    const bool failed = std::ferror(file_) != 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (failed || !closed) {
        error = path_ + ": could not write the file (is the disk full?)";
        return false;
    }
    return true;
}

} // namespace vantri
