// The evaluation of one frame of a document, in the order the plug-in's objects expect:
// the time is set, generators rebuild their output (in hierarchy order), then the execution
// pipeline runs (by priority, then document order).
#pragma once

#include "host/scene/Document.h"

namespace vantri {

class Host;

class FrameEvaluator {
  public:
    FrameEvaluator(Host& host, Document& document) : host_(host), document_(document) {}

    /// Sets the document to `frame`, applies its animation and evaluates it.
    void evaluate(int32_t frame);
    /// Rebuilds the output of every generator object of the document.
    void build_caches();
    /// Collects the execution pipeline and runs it.
    void execute();
    /// Tells every plug-in object that a render starts (true) or ends (false).
    void send_render_notification(bool start);

  private:
    Host& host_;
    Document& document_;
};

} // namespace vantri
