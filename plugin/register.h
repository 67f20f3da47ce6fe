// The registration of the plug-in's five object types, one function per type, each in the
// source of its type.
#pragma once

#include "plugin/hostapi/PluginApi.h"

Bool RegisterCrowdworld();
Bool RegisterCrowdgenerator();
Bool RegisterCrowdBehav();
Bool RegisterCrowdObstacle();
Bool RegisterCrowdBlend();

/// Loads the type's display name and registers it; an empty name skips the type (true).
Bool RegisterCrowdObject(int32_t id, int32_t name_string, int32_t flags, NodeAllocator* alloc,
                         const char* description, const char* icon);

/// The plug-in's own object types, as the host and the world compare them.
namespace CrowdType {
constexpr int32_t Generator = VT_CROWD_TYPE_GENERATOR;
constexpr int32_t World = VT_CROWD_TYPE_WORLD;
constexpr int32_t Obstacle = VT_CROWD_TYPE_OBSTACLE;
constexpr int32_t Behaviour = VT_CROWD_TYPE_BEHAVIOUR;
constexpr int32_t Blend = VT_CROWD_TYPE_BLEND;
} // namespace CrowdType

/// The flags of the two types that take part in the execution pipeline and build output
/// (32780), and of the three that only hold parameters (8).
constexpr int32_t kPipelineTypeFlags =
    ObjectTypeFlag::CallsAddToExecution | ObjectTypeFlag::Input | ObjectTypeFlag::Generator;
constexpr int32_t kParameterTypeFlags = ObjectTypeFlag::Input;
static_assert(kPipelineTypeFlags == 32780 && kParameterTypeFlags == 8, "registration flags");
