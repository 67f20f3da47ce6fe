// CrowdBehav: holds the switches, weights and radii of one behaviour. The world reads them
// through the parameter container that the behaviour hands out on message 23.
#pragma once

#include "plugin/hostapi/PluginApi.h"

/// Compares two date-times field by field (year, month, day, hour, minute, second) and
/// returns a - b in the first field where they differ, 0 when all six are equal. The result
/// is a difference in that one field, not an elapsed time. Inline, so that it can be used
/// (and tested) without the object code around it.
inline int32_t CompareDateTime(const DateTime& a, const DateTime& b) {
    const int32_t fa[6] = {a.year, a.month, a.day, a.hour, a.minute, a.second};
    const int32_t fb[6] = {b.year, b.month, b.day, b.hour, b.minute, b.second};
    for (int i = 0; i < 6; ++i) {
        if (fa[i] == fb[i]) continue;
        // Kept inside the int32_t range for any field values.
        const int64_t d = static_cast<int64_t>(fa[i]) - static_cast<int64_t>(fb[i]);
        if (d > 2147483647) return 2147483647;
        if (d < -2147483647 - 1) return -2147483647 - 1;
        return static_cast<int32_t>(d);
    }
    return 0;
}

class CrowdBehav : public ObjectData {
  public:
    static NodeData* Alloc();

    Bool Init(GeListNode* node) override;
    Bool Message(GeListNode* node, int32_t type, void* data) override;
    /// The separation radius as a red circle for a while after it changed.
    DrawResult Draw(BaseObject* op, DRAWPASS drawpass, BaseDraw* bd, BaseDrawHelp* bh) override;

  private:
    /// When the separation radius was last seen to change.
    DateTime change_time{2000, 1, 1, 0, 0, 0};
    /// The separation radius as last drawn.
    double last_radius = 0.0;
    /// The time of the current draw.
    DateTime draw_time{2000, 1, 1, 0, 0, 0};
};
