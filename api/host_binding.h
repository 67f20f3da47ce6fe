// The plug-in's hold on the host: the service tables received at initialisation.
//
// Bound once, by the first initialise action, and kept until the module is unloaded. Every
// forwarding method of the API layer reaches the host through vt::Host().
#pragma once

#include "host_abi.h"

#include <cassert>

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

/// Checks the version and every table the plug-in needs, then keeps `api`. Returns the
/// host's version, or a value below VT_API_VERSION when `api` is null or a table is missing
/// or shorter than this build expects (nothing is kept then).
int32_t BindHost(HostApi* api);

/// Forgets the tables (for tests that bind the API layer to a host of their own).
void UnbindHost();

} // namespace vt
