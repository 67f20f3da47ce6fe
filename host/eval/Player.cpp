#include "host/eval/Player.h"

#include "host/Host.h"

#include <cstdint>

namespace vantri {

std::optional<ExecutionFailure> play_range(Host& host, Document& document, int32_t first,
                                           int32_t last, PlayMode mode,
                                           const std::function<void(int32_t frame)>& after_frame) {
    std::optional<ExecutionFailure> failure;
    const Status played = play_frames(
        host, document, first, last, mode,
        [&after_frame](int32_t frame) {
            if (after_frame) after_frame(frame);
            return Status();
        },
        [&failure](const ExecutionFailure& failed) {
            failure = failed;
            return Status(vantri::failure("the plug-in failed to execute an object"));
        });
    (void)played; // fails exactly when `failure` is set
    return failure;
}

Status play_frames(Host& host, Document& document, int32_t first, int32_t last, PlayMode mode,
                   const std::function<Status(int32_t frame)>& after_frame,
                   const std::function<Status(const ExecutionFailure&)>& when_execute_fails) {
    const bool was_running = host.animation_running();
    FrameEvaluator evaluator(host, document);
    host.set_animation_running(mode == PlayMode::Play);
    if (mode == PlayMode::Render) evaluator.send_render_notification(true);
    Status status;
    // Counted so that a last frame of INT32_MAX ends the loop instead of overflowing it.
    for (int64_t frame = first; frame <= last && status.ok(); ++frame) {
        if (const std::optional<ExecutionFailure> failed =
                evaluator.evaluate(static_cast<int32_t>(frame)))
            status = when_execute_fails(*failed);
        else if (after_frame)
            status = after_frame(static_cast<int32_t>(frame));
    }
    if (mode == PlayMode::Render) evaluator.send_render_notification(false);
    host.set_animation_running(was_running);
    return status;
}

} // namespace vantri
