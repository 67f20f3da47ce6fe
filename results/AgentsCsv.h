// agents.csv: one row per agent record per evaluated frame, with the agent's global
// position and its rotation, speed, top speed and waiting flag. Reals are written with 17
// significant digits so that they read back as the same doubles.
#pragma once

#include "results/AgentRecords.h"

#include <cstdio>
#include <string>

namespace vantri {

class AgentsCsv {
  public:
    AgentsCsv() = default;
    ~AgentsCsv();
    AgentsCsv(const AgentsCsv&) = delete;
    AgentsCsv& operator=(const AgentsCsv&) = delete;

    /// Creates the file and writes the header; false with the reason.
    bool open(const std::string& path, std::string& error);
    /// Writes one row per record; `generator_mg` is the generator's global matrix.
    void write_frame(int32_t frame, const std::string& generator,
                     const std::vector<VtAgentRecord>& records, const VtMatrix& generator_mg);
    /// Flushes and closes; false with the reason when anything could not be written.
    bool close(std::string& error);

    static const char* header();

  private:
    std::FILE* file_ = nullptr;
    std::string path_;
};

/// A generator's name as one CSV field: quoted when it holds a comma, quote or line break.
std::string csv_field(const std::string& text);

} // namespace vantri
