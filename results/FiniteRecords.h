// The guard against writing numbers that are not numbers: a scene whose values overflow
// (speeds, spacing or sizes near the largest double) gives inf or nan, which no reader of
// agents.csv can use, so a run stops at the first one instead of reporting success.
#pragma once

#include "results/AgentRecords.h"

#include <cstddef>
#include <vector>

namespace vantri {

struct NonFiniteField {
    size_t agent = 0;
    const char* field = ""; ///< the column of agents.csv
    double value = 0.0;
};

/// The first field of the `count` records at `records` that is not finite, as agents.csv would
/// write it (the position in world space through `generator_mg`); false when every field is finite.
bool find_non_finite(const VtAgentRecord* records, size_t count, const VtMatrix& generator_mg,
                     NonFiniteField& found);

} // namespace vantri
