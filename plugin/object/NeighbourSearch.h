// The choice between the world's two neighbour searches, and the plug-in message that makes
// it. The grid search is the normal one; the scan of every pair of agents is kept as the
// reference that the grids must match to the bit. The same choice picks how a spline follower
// finds its nearest sample: in a tree of boxes, or by the scan of every sample. Tests and
// benchmarks switch between them; nothing else does, and a user never sees the choice.
#pragma once

#include "abi/host_abi.h"

#include <cstdint>

/// The search that the world's neighbour terms use.
enum class NeighbourSearch : int32_t {
    Grid = VT_NEIGHBOUR_SEARCH_GRID, ///< cell grids and the spline sample tree; the default
    AllPairs = VT_NEIGHBOUR_SEARCH_ALL_PAIRS, ///< every pair and every sample, the references
};

namespace VantriMessage {
/// Plug-in message (c4d_main action 6) that chooses the search of every world in the process.
/// Its data points to an int32_t holding a NeighbourSearch value. Hosts do not send it; tests
/// and benchmarks do, to compare the two searches. The answer is true for a known value.
constexpr int32_t NeighbourSearch = VT_CROWD_MESSAGE_NEIGHBOUR_SEARCH;
} // namespace VantriMessage

NeighbourSearch CurrentNeighbourSearch();
/// Chooses the search; false (nothing changed) for an unknown value.
bool SetNeighbourSearch(int32_t value);
