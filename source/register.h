// The registration of the plug-in's five object types, one function per type, each in the
// source of its type.
#pragma once

#include "PluginApi.h"

Bool RegisterCrowdworld();
Bool RegisterCrowdgenerator();
Bool RegisterCrowdBehav();
Bool RegisterCrowdObstacle();
Bool RegisterCrowdBlend();

/// Loads the type's display name and registers it; an empty name skips the type (true).
Bool RegisterCrowdObject(int32_t id, int32_t name_string, int32_t flags, NodeAllocator* alloc,
                         const char* description, const char* icon);

enum {
    ID_CROWDGENERATOR = 1027810,
    ID_CROWDWORLD = 1027811,
    ID_CROWDOBSTACLE = 1027812,
    ID_CROWDBEHAV = 1027813,
    ID_CROWDBLEND = 1027814,
};
