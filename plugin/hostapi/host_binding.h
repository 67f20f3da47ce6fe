// The plug-in's hold on the host: the service tables received at initialisation.
//
// Bound once, by the first initialise action, and kept until the module is unloaded. The
// forwarding methods of the API layer reach the host's tables through the accessors below.
#pragma once

#include "abi/host_abi.h"

#include <cassert>
#include <cstddef>

namespace vt {

/// The tables the plug-in was bound to, or null before binding.
extern HostApi* g_host;

inline HostApi* Host() {
    return g_host;
}

/// The tables, for a forwarder that only runs once the plug-in is bound: every object
/// operation comes after the first initialise action. A call before it is a bug in the
/// plug-in, loud in a debug build.
inline HostApi* Tables() {
    assert(g_host != nullptr && "the host API is used before the plug-in was bound");
    return g_host;
}

/// One table of the bound host, for a forwarder. Null before binding, which is a bug in the
/// plug-in: loud in a debug build (Tables asserts); in release the forwarder then skips the
/// call and returns its failure value. Once bound, every table is there (BindHost checks).
template <typename Table> const Table* BoundTable(const Table* HostApi::*table) {
    HostApi* host = Tables();
    return host != nullptr ? host->*table : nullptr;
}
inline const VtAtomTable* AtomTable() {
    return BoundTable(&HostApi::atoms);
}
inline const VtObjectTable* ObjectTable() {
    return BoundTable(&HostApi::objects);
}
inline const VtContainerTable* ContainerTable() {
    return BoundTable(&HostApi::containers);
}
inline const VtDescriptionTable* DescriptionTable() {
    return BoundTable(&HostApi::descriptions);
}
inline const VtSplineTable* SplineTable() {
    return BoundTable(&HostApi::splines);
}
inline const VtRayTable* RayTable() {
    return BoundTable(&HostApi::rays);
}
inline const VtDrawTable* DrawTable() {
    return BoundTable(&HostApi::draw);
}
inline const VtBitmapTable* BitmapTable() {
    return BoundTable(&HostApi::bitmaps);
}
/// The job table, or null when the host has none (or one too short for parallel_for): the
/// plug-in then does all its work on the calling thread. Later entries may be missing.
inline const VtJobTable* JobTable() {
    HostApi* host = Host();
    const VtJobTable* table = host != nullptr ? host->jobs : nullptr;
    const size_t needed = offsetof(VtJobTable, parallel_for) + sizeof(table->parallel_for);
    return table != nullptr && table->size >= needed ? table : nullptr;
}

/// Checks the version and every table the plug-in needs, then keeps `api`. Returns the
/// host's version, or a value below VT_API_VERSION when `api` is null or a table is missing
/// or shorter than this build expects (nothing is kept then).
int32_t BindHost(HostApi* api);

/// Forgets the tables (for tests that bind the API layer to a host of their own).
void UnbindHost();

} // namespace vt
