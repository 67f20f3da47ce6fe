// The plug-in's own base classes for object types, and their registration with the host.
//
// A registered type hands the host a C table of callbacks; each callback turns the host's
// handles back into the plug-in's classes, calls the virtual operation, and catches every
// exception so that nothing crosses into the host. An operation a class does not override
// keeps the behaviour of these base classes.
#pragma once

#include "c4d_basedraw.h"
#include "c4d_bitmap.h"
#include "c4d_description.h"

class NodeData {
public:
    virtual ~NodeData() = default;
    virtual Bool Init(GeListNode* node);
    virtual Bool Message(GeListNode* node, LONG type, void* data);
    virtual Bool CopyTo(NodeData* dest, GeListNode* snode, GeListNode* dnode, COPYFLAGS flags,
                        AliasTrans* trans);
    virtual Bool GetDDescription(GeListNode* node, Description* description,
                                 DESCFLAGS_DESC& flags);
};

class ObjectData : public NodeData {
public:
    virtual DRAWRESULT Draw(BaseObject* op, DRAWPASS drawpass, BaseDraw* bd, BaseDrawHelp* bh);
    virtual Bool AddToExecution(BaseObject* op, PriorityList* list);
    virtual EXECUTIONRESULT Execute(BaseObject* op, BaseDocument* doc, BaseThread* bt,
                                    LONG priority, EXECUTIONFLAGS flags);
    virtual BaseObject* GetVirtualObjects(BaseObject* op, HierarchyHelp* hh);
};

typedef NodeData* DataAllocator();

/// Object-type flags.
enum {
    OBJECT_MODIFIER = 0x1,
    OBJECT_HIERARCHYMODIFIER = 0x2,
    OBJECT_GENERATOR = 0x4,
    OBJECT_INPUT = 0x8,
    OBJECT_CALL_ADDEXECUTION = 0x8000,
};

/// Registers an object type with the host. False when the host refuses it (or no more types
/// can be registered by this plug-in).
Bool RegisterObjectPlugin(LONG id, const String& name, LONG info, DataAllocator* alloc,
                          const String& description, BaseBitmap* icon, LONG disk_level);

/// How many types this plug-in can register.
enum { VT_MAX_OBJECT_TYPES = 16 };
