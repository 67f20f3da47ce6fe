// The plug-in's own base classes for object types, and their registration with the host.
//
// A registered type hands the host a C table of callbacks; each callback turns the host's
// handles back into the plug-in's classes, calls the virtual operation, and catches every
// exception so that nothing crosses into the host. An operation a class does not override
// keeps the behaviour of these base classes.
#pragma once

#include "plugin/hostapi/BaseDraw.h"
#include "plugin/hostapi/BaseBitmap.h"
#include "plugin/hostapi/Description.h"

class NodeData {
  public:
    virtual ~NodeData() = default;
    virtual Bool Init(GeListNode* node);
    virtual Bool Message(GeListNode* node, int32_t type, void* data);
    virtual Bool CopyTo(NodeData* dest, GeListNode* snode, GeListNode* dnode, COPYFLAGS flags,
                        AliasTrans* trans);
    virtual Bool GetDDescription(GeListNode* node, Description* description, DESCFLAGS_DESC& flags);
};

class ObjectData : public NodeData {
  public:
    virtual DrawResult Draw(BaseObject* op, DRAWPASS drawpass, BaseDraw* bd, BaseDrawHelp* bh);
    virtual Bool AddToExecution(BaseObject* op, PriorityList* list);
    virtual ExecutionResult Execute(BaseObject* op, BaseDocument* doc, HostThread* bt,
                                    int32_t priority, EXECUTIONFLAGS flags);
    virtual BaseObject* GetVirtualObjects(BaseObject* op, HierarchyHelp* hh);
};

typedef NodeData* NodeAllocator();

/// Object-type flags.
namespace ObjectTypeFlag {
constexpr int32_t Modifier = VT_TYPE_FLAG_MODIFIER;
constexpr int32_t HierarchyModifier = VT_TYPE_FLAG_HIERARCHY_MODIFIER;
constexpr int32_t Generator = VT_TYPE_FLAG_GENERATOR;
constexpr int32_t Input = VT_TYPE_FLAG_INPUT;
constexpr int32_t CallsAddToExecution = VT_TYPE_FLAG_CALLS_ADD_TO_EXECUTION;
} // namespace ObjectTypeFlag

/// Registers an object type with the host. False when the host refuses it (or no more types
/// can be registered by this plug-in).
Bool RegisterObjectPlugin(int32_t id, const String& name, int32_t info, NodeAllocator* alloc,
                          const String& description, BaseBitmap* icon, int32_t disk_level);

/// How many types this plug-in can register.
enum { VT_MAX_OBJECT_TYPES = 16 };
