#include "host/eval/Player.h"

#include "host/Host.h"

namespace vantri {

std::optional<ExecutionFailure> play_range(Host& host, Document& document, int32_t first,
                                           int32_t last, PlayMode mode,
                                           const std::function<void(int32_t frame)>& after_frame) {
    const bool was_running = host.animation_running();
    FrameEvaluator evaluator(host, document);
    host.set_animation_running(mode == PlayMode::Play);
    if (mode == PlayMode::Render) evaluator.send_render_notification(true);
    std::optional<ExecutionFailure> failure;
    // Counted so that a last frame of INT32_MAX ends the loop instead of overflowing it.
    for (int64_t frame = first; frame <= last && !failure; ++frame) {
        failure = evaluator.evaluate(static_cast<int32_t>(frame));
        if (!failure && after_frame) after_frame(static_cast<int32_t>(frame));
    }
    if (mode == PlayMode::Render) evaluator.send_render_notification(false);
    host.set_animation_running(was_running);
    return failure;
}

} // namespace vantri
