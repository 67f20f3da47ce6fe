// The evaluation of one frame of a document, in the order the plug-in's objects expect:
// the time is set, generators rebuild their output (in hierarchy order), then the execution
// pipeline runs (by priority, then document order).
#pragma once

#include "host/scene/Document.h"

#include <optional>
#include <string>

namespace vantri {

class Host;

/// An object whose Execute reported that it failed: the frame it failed in is wrong.
struct ExecutionFailure {
    int32_t frame = 0;
    std::string object; ///< the object's name
    std::string type;   ///< its type's description name (ocrowdworld, ...)
};

class FrameEvaluator {
  public:
    FrameEvaluator(Host& host, Document& document) : host_(host), document_(document) {}

    /// Sets the document to `frame`, applies its animation and evaluates it. The first
    /// object whose Execute fails ends the frame's pipeline and is returned.
    std::optional<ExecutionFailure> evaluate(int32_t frame);
    /// Rebuilds the output of every generator object of the document.
    void build_caches();
    /// Collects the execution pipeline and runs it, up to the first object that fails.
    std::optional<ExecutionFailure> execute();
    /// Tells every plug-in object that a render starts (true) or ends (false).
    void send_render_notification(bool start);

  private:
    Host& host_;
    Document& document_;
};

} // namespace vantri
