// The messages the plug-in's objects exchange with each other and receive from the host.
#pragma once

#include "c4d.h"

enum {
    /// The private-data request: data is a VtPrivateData record {answered, pointer}.
    MSG_PRIVATE_DATA = 23,
    /// The host's render notification: data is a VtRenderNotification {document, start}.
    MSG_RENDER_NOTIFICATION = 1001071,
};
