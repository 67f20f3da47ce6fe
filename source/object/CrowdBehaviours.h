// CrowdBehav: holds the switches, weights and radii of one behaviour.
#pragma once

#include "c4d.h"

class CrowdBehav : public ObjectData {
public:
    static NodeData* Alloc();
};
