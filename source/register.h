// The registration of the plug-in's five object types, one function per type, each in the
// source of its type.
#pragma once

#include "c4d.h"

Bool RegisterCrowdworld();
Bool RegisterCrowdgenerator();
Bool RegisterCrowdBehav();
Bool RegisterCrowdObstacle();
Bool RegisterCrowdBlend();

/// Loads the type's display name and registers it; an empty name skips the type (true).
Bool RegisterCrowdObject(LONG id, LONG name_string, LONG flags, DataAllocator* alloc,
                         const char* description, const char* icon);

enum {
    ID_CROWDGENERATOR = 1027810,
    ID_CROWDWORLD = 1027811,
    ID_CROWDOBSTACLE = 1027812,
    ID_CROWDBEHAV = 1027813,
    ID_CROWDBLEND = 1027814,
};
