// The execution pipeline of one evaluated frame, as objects enter it.
#pragma once

#include "host/scene/SceneObject.h"

#include <vector>

namespace vantri {

struct ExecutionEntry {
    SceneObject* object;
    int32_t priority;
    int32_t flags;
    size_t order; // document order of the object
};

/// What objects add with AddToExecution; the host runs the entries by priority and, within
/// one priority, in document order.
struct ExecutionList {
    std::vector<ExecutionEntry> entries;
    size_t current_order = 0;

    VtPriorityList* handle() { return reinterpret_cast<VtPriorityList*>(this); }
    static ExecutionList* from(VtPriorityList* h) { return reinterpret_cast<ExecutionList*>(h); }
};

/// The context of one output rebuild (the document being evaluated).
struct CacheBuild {
    class Document* document = nullptr;
    VtHierarchyHelp* handle() { return reinterpret_cast<VtHierarchyHelp*>(this); }
};

} // namespace vantri
