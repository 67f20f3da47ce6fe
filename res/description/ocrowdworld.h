// Parameter ids of the crowd world (description "ocrowdworld").
#ifndef VANTRI_OCROWDWORLD_H
#define VANTRI_OCROWDWORLD_H

enum {
    CROWDWORLD_TERRAIN = 1000,   // object link: the ground the agents walk on
    CROWDWORLD_OBSTACLES = 1001, // in/exclude list of obstacle objects

    // Groups of the attribute manager (hold no value)
    CROWDWORLD_GROUP_SCENE = 1100,
};

#endif // VANTRI_OCROWDWORLD_H
