// Crowdworld: runs the simulation of the generators under it.
#pragma once

#include "c4d.h"

class Crowdworld : public ObjectData {
public:
    static NodeData* Alloc();
};
