// What an interrupted run leaves: nothing. On SIGINT, SIGTERM, SIGHUP or SIGQUIT the
// handler removes the run's staging folder and the parent folders the run created, then
// ends the process by the same signal (so the shell sees the usual status).
#pragma once

#include <string>
#include <vector>

namespace vantri {

/// Installs the handlers (once per process).
void install_interrupt_cleanup();

/// What the handler removes from now on: `staging` with everything in it, then the empty
/// `parents` (deepest last). An empty `staging` clears it.
void set_interrupt_cleanup(const std::string& staging, const std::vector<std::string>& parents);

} // namespace vantri
