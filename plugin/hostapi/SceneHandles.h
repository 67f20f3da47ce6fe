// Small host services for object code: links, alias translators, atom arrays and the
// execution pipeline. Each class is a host handle.
#pragma once

#include "plugin/hostapi/BaseObject.h"

/// A weak link to a scene node.
class BaseLink {
  public:
    BaseLink() = delete;
    ~BaseLink() = delete;
    /// A new link, or null; owned by the caller until Free.
    static BaseLink* Alloc();
    static void Free(BaseLink*& link);
    void SetLink(C4DAtom* target);
    /// The target if it still exists in `doc` (null: any document).
    ParameterNode* GetLink(const BaseDocument* doc) const;
};

/// Carries links from an original hierarchy to its clone.
class AliasTrans {
  public:
    AliasTrans() = delete;
    ~AliasTrans() = delete;
    static AliasTrans* Alloc();
    static void Free(AliasTrans*& trans);
    Bool Init(const BaseDocument* doc);
    void Translate(Bool all);
};

/// An ordered list of atoms that it does not own.
class AtomArray {
  public:
    AtomArray() = delete;
    ~AtomArray() = delete;
    static AtomArray* Alloc();
    static void Free(AtomArray*& array);
    int32_t GetCount() const;
    C4DAtom* GetIndex(int32_t index) const;
    Bool Append(C4DAtom* atom);
    Bool Remove(C4DAtom* atom);
    /// Index of the first occurrence of `atom`, or -1.
    int32_t Find(C4DAtom* atom) const;
};

/// The execution pipeline being collected by the host.
class PriorityList {
  public:
    PriorityList() = delete;
    ~PriorityList() = delete;
    void Add(GeListNode* node, int32_t priority, int32_t flags);
};

/// The host's cache-building context, passed through to the host.
class HierarchyHelp {
  public:
    HierarchyHelp() = delete;
    ~HierarchyHelp() = delete;
};

/// The host thread running a call.
class HostThread {
  public:
    HostThread() = delete;
    ~HostThread() = delete;
};

/// Priorities and flags of an entry in the execution pipeline.
namespace ExecutionPriority {
constexpr int32_t Generator = VT_EXECUTION_PRIORITY_GENERATOR;
}
namespace ExecutionFlag {
constexpr int32_t EveryFrame = VT_EXECUTION_FLAG_EVERY_FRAME;
}

/// What Execute answers.
enum class ExecutionResult : int32_t {
    Ok = VT_EXECUTION_RESULT_OK,
    Failed = VT_EXECUTION_RESULT_FAILED,
};
typedef int32_t EXECUTIONFLAGS;
typedef int32_t COPYFLAGS;
