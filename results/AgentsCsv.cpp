#include "results/AgentsCsv.h"

#include "host/scene/Transform.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace vantri {

namespace {

// Rows are gathered in a buffer of this size and written when the next might not fit.
constexpr size_t kBufferSize = size_t(1) << 20;
// The longest shortest form of a double ("-2.2250738585072014e-308") and of an integer.
constexpr size_t kLongestNumber = 32;

} // namespace

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

Status AgentsCsv::open(const std::string& path) {
    path_ = path;
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr)
        return failure(path + ": cannot create the file: " + std::strerror(errno));
    buffer_.assign(kBufferSize, '\0');
    used_ = 0;
    std::fprintf(file_, "%s\n", header());
    return {};
}

void AgentsCsv::flush() {
    if (used_ > 0) std::fwrite(buffer_.data(), 1, used_, file_);
    used_ = 0;
}

// Each real goes out as the shortest decimal text that reads back as the same double
// (std::to_chars without a precision), integers as plain decimals.
void AgentsCsv::write_frame(int32_t frame, const std::string& generator,
                            const VtAgentRecord* records, size_t count,
                            const VtMatrix& generator_mg) {
    if (file_ == nullptr) return;
    const std::string name = csv_field(generator);
    // Room for one whole row, however long the name.
    const size_t longest_row = name.size() + 12 * kLongestNumber;
    if (longest_row > buffer_.size()) {
        flush();
        buffer_.resize(longest_row);
    }
    char frame_text[kLongestNumber];
    const size_t frame_length = static_cast<size_t>(
        std::to_chars(frame_text, frame_text + kLongestNumber, frame).ptr - frame_text);
    for (size_t i = 0; i < count; ++i) {
        const VtAgentRecord& r = records[i];
        const VtVector p = transform_point(generator_mg, r.mg.off);
        if (used_ + longest_row > buffer_.size()) flush();
        char* at = buffer_.data() + used_;
        const auto put = [&at](auto value) {
            at = std::to_chars(at, at + kLongestNumber, value).ptr;
            *at++ = ',';
        };
        at = std::copy_n(frame_text, frame_length, at);
        *at++ = ',';
        at = std::copy(name.begin(), name.end(), at);
        *at++ = ',';
        put(i);
        put(p.x);
        put(p.y);
        put(p.z);
        put(r.rotation.x);
        put(r.rotation.y);
        put(r.rotation.z);
        put(r.speed);
        put(r.max_speed);
        put(r.waiting);
        at[-1] = '\n';
        used_ = static_cast<size_t>(at - buffer_.data());
    }
}

Status AgentsCsv::close() {
    if (file_ == nullptr) return {};
    flush();
    const bool failed = std::ferror(file_) != 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    buffer_ = std::vector<char>();
    if (failed || !closed) return failure(path_ + ": could not write the file (is the disk full?)");
    return {};
}

} // namespace vantri
