// The host's general services: console, strings of the plug-in's resources, clock, and the
// state of the host's animation.
#pragma once

#include "plugin/hostapi/String.h"

/// Prints one line to the host's console.
void GePrint(const String& text);

/// The plug-in's resources (string table and descriptions), loaded from its folder.
class GeResource {
  public:
    /// Loads the resources from `path`/res. Replaces what was loaded before.
    Bool Init(const Filename& path);
    /// Loads them from the plug-in's own folder.
    Bool Init();
    void Free();
    const VtResource* Get() const { return handle_; }

  private:
    VtResource* handle_ = nullptr;
};

/// The plug-in's resource object, initialised by the plug-in at message 1.
extern GeResource resource;

/// String `id` of the plug-in's string table; empty when there is none.
String GeLoadString(int32_t id);

/// The folder from which the host loaded the plug-in (empty before initialisation).
Filename GeGetPluginPath();

/// A local date and time in whole seconds.
struct DateTime {
    int32_t year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    DateTime() = default;
    DateTime(int32_t y, int32_t mo, int32_t d, int32_t h, int32_t mi, int32_t s)
        : year(y), month(mo), day(d), hour(h), minute(mi), second(s) {}
};

/// The host's current local date and time.
void GetDateTimeNow(DateTime& out);

/// Host states that CheckIsRunning answers.
namespace HostQuery {
constexpr int32_t AnimationRunning = VT_QUERY_ANIMATION_RUNNING;
}

/// Whether the host is in the given state (HostQuery::AnimationRunning: playing).
Bool CheckIsRunning(int32_t what);
