// agents.csv: one row per agent record per evaluated frame, with the agent's global
// position and its rotation, speed, top speed and waiting flag. Reals are written as the
// shortest text that reads back as the same double. Rows are gathered in a large buffer and
// written a buffer at a time.
#pragma once

#include "host/Status.h"
#include "results/AgentRecords.h"

#include <cstdio>
#include <vector>
#include <string>

namespace vantri {

class AgentsCsv {
  public:
    AgentsCsv() = default;
    ~AgentsCsv();
    AgentsCsv(const AgentsCsv&) = delete;
    AgentsCsv& operator=(const AgentsCsv&) = delete;

    /// Creates the file and writes the header; false with the reason.
    Status open(const std::string& path);
    /// Writes one row per record; `generator_mg` is the generator's global matrix.
    void write_frame(int32_t frame, const std::string& generator, const VtAgentRecord* records,
                     size_t count, const VtMatrix& generator_mg);
    void write_frame(int32_t frame, const std::string& generator,
                     const std::vector<VtAgentRecord>& records, const VtMatrix& generator_mg) {
        write_frame(frame, generator, records.data(), records.size(), generator_mg);
    }
    /// Writes what is buffered, then closes; false with the reason when anything could not
    /// be written.
    Status close();

    static const char* header();

  private:
    void flush();

    std::FILE* file_ = nullptr;
    std::string path_;
    std::vector<char> buffer_;
    size_t used_ = 0;
};

/// A generator's name as one CSV field: quoted when it holds a comma, quote or line break.
std::string csv_field(const std::string& text);

} // namespace vantri
