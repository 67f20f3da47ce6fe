// The host's service tables, one source file per table.
#pragma once

#include "abi/host_abi.h"

namespace vantri {

class Host;

/// The host whose tables are being called. The tables reach a plug-in only through a live
/// Host, so a call without one is a bug: loud in a debug build; in release each service then
/// returns its failure value.
Host* calling_host();

const VtSystemTable* system_table();
const VtResourceTable* resource_table();
const VtAtomTable* atom_table();
const VtObjectTable* object_table();
const VtContainerTable* container_table();
const VtDescriptionTable* description_table();
const VtSplineTable* spline_table();
const VtRayTable* ray_table();
const VtDrawTable* draw_table();
const VtBitmapTable* bitmap_table();
const VtPluginTable* plugin_table();
const VtJobTable* job_table();

/// A value as the plug-in reads it: custom data as a new copy that the plug-in owns (and
/// that counts as its block until freed), anything else as Value::to_abi.
struct Value;
bool value_to_plugin(const Value& value, VtData& out);

/// The host's own crash handler: records the report.
void host_crash_handler(char* crash_info);

} // namespace vantri
