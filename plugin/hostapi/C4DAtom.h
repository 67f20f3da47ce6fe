// Scene nodes through their host handles: atoms, list nodes and named nodes.
//
// None of these classes is ever constructed by the plug-in: a pointer to one is the host's
// opaque handle, and every method is a call through the host's tables.
#pragma once

#include "plugin/hostapi/BaseContainer.h"

class BaseDocument;

class C4DAtom {
  public:
    C4DAtom() = delete;
    ~C4DAtom() = delete;

    int32_t GetType() const;
    Bool GetParameter(const DescID& id, GeData& out, int32_t flags = 0);
    Bool SetParameter(const DescID& id, const GeData& value, int32_t flags = 0);
    /// Sends a message to the node's object code; its answer.
    Bool Message(int32_t type, void* data = nullptr);

    VtAtom* Handle() const { return reinterpret_cast<VtAtom*>(const_cast<C4DAtom*>(this)); }
};

class GeListNode : public C4DAtom {
  public:
    GeListNode* GetDown() const;
    GeListNode* GetNext() const;
    BaseDocument* GetDocument() const;
    /// Makes this node the last child of `parent`; the parent's tree then owns it.
    void InsertUnderLast(GeListNode* parent);
};

class ParameterNode : public GeListNode {
  public:
    /// The node's parameter container, owned by the node.
    BaseContainer* GetDataInstance() const;
    void SetName(const String& name);
};

template <typename T> inline T* FromHandle(VtAtom* atom) {
    return reinterpret_cast<T*>(atom);
}
