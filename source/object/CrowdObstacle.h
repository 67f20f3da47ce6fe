// CrowdObstacle: a sphere, box or linked geometry for agents to steer around.
#pragma once

#include "PluginApi.h"

class CrowdObstacle : public ObjectData {
public:
    static NodeData* Alloc();
};
