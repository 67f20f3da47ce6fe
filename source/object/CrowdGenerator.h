// Crowdgenerator: lays out a crew of agents as instances of its children.
#pragma once

#include "c4d.h"

class Crowdgenerator : public ObjectData {
public:
    static NodeData* Alloc();
};
