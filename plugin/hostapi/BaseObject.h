// Objects and documents of the host's scene, through their handles.
#pragma once

#include "plugin/hostapi/C4DAtom.h"

class AliasTrans;
class HierarchyHelp;

/// Host object types the crowd code creates or recognises.
namespace HostObjectType {
constexpr int32_t Null = VT_OBJECT_TYPE_NULL;
constexpr int32_t Instance = VT_OBJECT_TYPE_INSTANCE;
} // namespace HostObjectType

/// The instance object's parameter that links the object it repeats.
namespace InstanceParameter {
constexpr int32_t Source = VT_INSTANCE_PARAMETER_SOURCE;
}

/// Flags of the generator's output request.
namespace CloneFlag {
constexpr int32_t Unchanged = VT_CLONE_FLAG_UNCHANGED;
}

class BaseObject : public ParameterNode {
  public:
    /// A new object of host type `type` outside any document, or null.
    static BaseObject* Alloc(int32_t type);
    /// Frees an object the caller owns, with its children, and sets the pointer to null.
    static void Free(BaseObject*& object);

    BaseObject* GetDown() const { return static_cast<BaseObject*>(GeListNode::GetDown()); }
    BaseObject* GetNext() const { return static_cast<BaseObject*>(GeListNode::GetNext()); }

    LMatrix GetMg() const;
    LMatrix GetMl() const;
    void SetMl(const LMatrix& m);
    /// The global matrix of the object's parent.
    LMatrix GetUpMg() const;
    LVector GetRelPos() const;
    void SetRelPos(const LVector& v);
    /// Heading, pitch, bank in radians, relative to the parent.
    LVector GetRelRot() const;
    void SetRelRot(const LVector& v);
    /// Half the size of the object's bounding box.
    LVector GetRad() const;
    /// The object's generated output, owned by the host, or null.
    BaseObject* GetCache() const;

    /// For a generator: its previous output when `child` and what follows are unchanged
    /// (owned by the host), else a new clone of them (owned by the caller), or null.
    BaseObject* GetAndCheckHierarchyClone(HierarchyHelp* hh, BaseObject* child, int32_t flags,
                                          Bool* dirty, AliasTrans* trans, Bool all_children);
};

class BaseDocument : public ParameterNode {
  public:
    BaseTime GetTime() const;
    BaseTime GetMinTime() const;
    int32_t GetFps() const;
};
