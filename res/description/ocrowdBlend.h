// Parameter ids of the crowd blend (description "ocrowdBlend"). The mode values share the
// id space with the parameters: CROWDBLEND_MODE stores the id of the chosen mode.
#ifndef VANTRI_OCROWDBLEND_H
#define VANTRI_OCROWDBLEND_H

enum {
    CROWDBLEND_LIST = 1000, // in/exclude list of behaviours and blends
    CROWDBLEND_MODE = 1001,
    CROWDBLEND_MODE_SUM = 1002, // the default
    CROWDBLEND_MODE_FIRST = 1003,
    CROWDBLEND_MODE_STRONGEST = 1004,
    CROWDBLEND_MODE_SINGLE = 1006,
    CROWDBLEND_STRENGTH = 1005,
    CROWDBLEND_INDEX = 1007, // used in CROWDBLEND_MODE_SINGLE only

    // Groups of the attribute manager (hold no value)
    CROWDBLEND_GROUP_BLEND = 1100,
};

#endif // VANTRI_OCROWDBLEND_H
