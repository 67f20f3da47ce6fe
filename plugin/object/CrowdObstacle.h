// CrowdObstacle: a sphere, box or linked geometry for agents to steer around. It holds only
// parameters; the world reads them through the container the obstacle hands out on
// message 23 and tests the agents' probe rays against the shape.
#pragma once

#include "plugin/hostapi/PluginApi.h"

class CrowdObstacle : public ObjectData {
  public:
    static NodeData* Alloc();

    /// A box of 100 x 100 x 100 (and a sphere radius of 100 for when the shape changes).
    Bool Init(GeListNode* node) override;
    /// Answers message 23 with the obstacle's parameter container.
    Bool Message(GeListNode* node, int32_t type, void* data) override;
    /// Shows and opens the group of the chosen shape and hides the other two.
    Bool GetDDescription(GeListNode* node, Description* description,
                         DESCFLAGS_DESC& flags) override;
    /// A red outline of the sphere or the box in the object pass.
    DrawResult Draw(BaseObject* op, DRAWPASS drawpass, BaseDraw* bd, BaseDrawHelp* bh) override;
};
