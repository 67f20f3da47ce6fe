// Plays a frame range of a document: with the animation running, or as a render (the
// render notification on at the start and off at the end, the animation not running).
#pragma once

#include "host/eval/FrameEvaluator.h"

#include <functional>

namespace vantri {

enum class PlayMode { Play, Render };

/// Evaluates every frame from `first` to `last` (both included) and calls `after_frame`
/// after each. A frame in which an object's Execute fails ends the range there, without its
/// `after_frame`, and the failure is returned. Restores the host's running state at the end.
std::optional<ExecutionFailure>
play_range(Host& host, Document& document, int32_t first, int32_t last, PlayMode mode,
           const std::function<void(int32_t frame)>& after_frame = {});

} // namespace vantri
