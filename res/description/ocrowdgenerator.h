// Parameter ids of the crowd generator (description "ocrowdgenerator"). Cycle option values
// share the id space with the parameters: a cycle parameter stores the id of its option.
#ifndef VANTRI_OCROWDGENERATOR_H
#define VANTRI_OCROWDGENERATOR_H

enum {
    // Grid of agents
    CROWDGEN_COUNT_X = 1001,
    CROWDGEN_COUNT_Y = 1002,
    CROWDGEN_COUNT_Z = 1003,
    CROWDGEN_SPACING = 1004,
    CROWDGEN_JITTER = 1020,
    CROWDGEN_SEED = 1021,

    // Stored with the scene, not acted on
    CROWDGEN_MODE = 1006,
    CROWDGEN_MODE_1007 = 1007,
    CROWDGEN_MODE_1008 = 1008,
    CROWDGEN_MODE_1009 = 1009, // the default
    CROWDGEN_VALUE_1019 = 1019,
    CROWDGEN_VALUE_1023 = 1023,
    CROWDGEN_CHOICE_1027 = 1027,
    CROWDGEN_CHOICE_1028 = 1028, // the default
    CROWDGEN_CHOICE_1029 = 1029,
    CROWDGEN_CHOICE_1030 = 1030,
    CROWDGEN_VALUE_1031 = 1031,

    // Orientation and motion
    CROWDGEN_FORWARD_AXIS = 1010,
    CROWDGEN_AXIS_XPOS = 1011,
    CROWDGEN_AXIS_XNEG = 1012,
    CROWDGEN_AXIS_YPOS = 1013,
    CROWDGEN_AXIS_YNEG = 1014,
    CROWDGEN_AXIS_ZPOS = 1015, // the default
    CROWDGEN_AXIS_ZNEG = 1016,
    CROWDGEN_FIXED_PITCH_BANK = 1018,
    CROWDGEN_MAX_TURN = 1022, // radians
    CROWDGEN_SPEED = 1024,
    CROWDGEN_SPEED_VARIATION = 1025,
    CROWDGEN_ACCELERATION = 1042,

    // Sensing zone and body
    CROWDGEN_RANGE = 1026,
    CROWDGEN_SIZE_X = 1034,
    CROWDGEN_SIZE_Y = 1035,
    CROWDGEN_SIZE_Z = 1036,

    // Links to other objects
    CROWDGEN_BEHAVIOURS = 1017,
    CROWDGEN_OTHER_GROUPS = 1037,

    // Viewport display
    CROWDGEN_SHOW_RANGE = 1039,
    CROWDGEN_SHOW_BODY = 1040,
    CROWDGEN_SHOW_INFO = 1041,

    // Groups of the attribute manager (hold no value)
    CROWDGEN_GROUP_GRID = 1100,
    CROWDGEN_GROUP_MOTION = 1101,
    CROWDGEN_GROUP_BODY = 1102,
    CROWDGEN_GROUP_LINKS = 1103,
    CROWDGEN_GROUP_DISPLAY = 1104,
    CROWDGEN_GROUP_STORED = 1105,
};

#endif // VANTRI_OCROWDGENERATOR_H
