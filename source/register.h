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
    ID_CROWDGENERATOR = VT_CROWD_TYPE_GENERATOR,
    ID_CROWDWORLD = VT_CROWD_TYPE_WORLD,
    ID_CROWDOBSTACLE = VT_CROWD_TYPE_OBSTACLE,
    ID_CROWDBEHAV = VT_CROWD_TYPE_BEHAVIOUR,
    ID_CROWDBLEND = VT_CROWD_TYPE_BLEND,
};

/// The flags of the two types that take part in the execution pipeline and build output
/// (32780), and of the three that only hold parameters (8).
constexpr int32_t kPipelineTypeFlags =
    ObjectTypeFlag::CallsAddToExecution | ObjectTypeFlag::Input | ObjectTypeFlag::Generator;
constexpr int32_t kParameterTypeFlags = ObjectTypeFlag::Input;
static_assert(kPipelineTypeFlags == 32780 && kParameterTypeFlags == 8, "registration flags");
