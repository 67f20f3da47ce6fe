// CrowdBlend: combines behaviours and blends. The world reads its list, mode, strength and
// index through the parameter container that the blend hands out on message 23.
#pragma once

#include "plugin/hostapi/PluginApi.h"

class CrowdBlend : public ObjectData {
  public:
    static NodeData* Alloc();

    Bool Init(GeListNode* node) override;
    Bool Message(GeListNode* node, int32_t type, void* data) override;
    /// Shows the index parameter only in the single-entry mode.
    Bool GetDDescription(GeListNode* node, Description* description,
                         DESCFLAGS_DESC& flags) override;
};
