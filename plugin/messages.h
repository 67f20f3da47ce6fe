// The messages the plug-in's objects exchange with each other and receive from the host.
#pragma once

#include "plugin/hostapi/PluginApi.h"

namespace ObjectMessage {
/// The private-data request: data is a VtPrivateData record {answered, pointer}.
constexpr int32_t PrivateData = VT_OBJECT_MESSAGE_PRIVATE_DATA;
/// The host's render notification: data is a VtRenderNotification {document, start}.
constexpr int32_t RenderNotification = VT_OBJECT_MESSAGE_RENDER_NOTIFICATION;
} // namespace ObjectMessage
