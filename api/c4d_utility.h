// Small host services for object code: links, alias translators, atom arrays and the
// execution pipeline. Each class is a host handle.
#pragma once

#include "c4d_baseobject.h"

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
    BaseList2D* GetLink(const BaseDocument* doc) const;
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
    LONG GetCount() const;
    C4DAtom* GetIndex(LONG index) const;
    Bool Append(C4DAtom* atom);
    Bool Remove(C4DAtom* atom);
    void Flush();
    /// Index of the first occurrence of `atom`, or -1.
    LONG Find(C4DAtom* atom) const;
};

/// The execution pipeline being collected by the host.
class PriorityList {
public:
    PriorityList() = delete;
    ~PriorityList() = delete;
    void Add(GeListNode* node, LONG priority, LONG flags);
};

/// The host's cache-building context, passed through to the host.
class HierarchyHelp {
public:
    HierarchyHelp() = delete;
    ~HierarchyHelp() = delete;
};

/// The host thread running a call.
class BaseThread {
public:
    BaseThread() = delete;
    ~BaseThread() = delete;
};

enum { EXECUTIONPRIORITY_GENERATOR = 5000, EXECUTIONFLAGS_EXPRESSION = 4 };
enum { EXECUTIONRESULT_OK = 0 };
typedef LONG EXECUTIONRESULT;
typedef LONG EXECUTIONFLAGS;
typedef LONG COPYFLAGS;
