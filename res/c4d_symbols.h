// Ids of the plug-in's own strings (strings_us/c4d_strings.str): the display names of its
// five object types, loaded at registration.
#ifndef VANTRI_C4D_SYMBOLS_H
#define VANTRI_C4D_SYMBOLS_H

enum {
    IDS_CROWDGENERATOR = 1004,
    IDS_CROWDBEHAV = 1007,
    IDS_CROWDOBSTACLE = 1008,
    IDS_CROWDWORLD = 1009,
    IDS_CROWDBLEND = 1010,
};

#endif // VANTRI_C4D_SYMBOLS_H
