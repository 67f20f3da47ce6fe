#include "plugin/hostapi/ObjectData.h"

#include "plugin/hostapi/host_binding.h"

Bool NodeData::Init(GeListNode*) {
    return TRUE;
}

Bool NodeData::Message(GeListNode*, int32_t, void*) {
    return TRUE;
}

Bool NodeData::CopyTo(NodeData*, GeListNode*, GeListNode*, COPYFLAGS, AliasTrans*) {
    return TRUE;
}

Bool NodeData::GetDDescription(GeListNode*, Description*, DESCFLAGS_DESC&) {
    return TRUE;
}

DrawResult ObjectData::Draw(BaseObject*, DRAWPASS, BaseDraw*, BaseDrawHelp*) {
    return DrawResult::Skip;
}

Bool ObjectData::AddToExecution(BaseObject*, PriorityList*) {
    return FALSE;
}

ExecutionResult ObjectData::Execute(BaseObject*, BaseDocument*, HostThread*, int32_t,
                                    EXECUTIONFLAGS) {
    return ExecutionResult::Ok;
}

BaseObject* ObjectData::GetVirtualObjects(BaseObject*, HierarchyHelp*) {
    return nullptr;
}

namespace {

// One slot per registered type: the host hands the slot back to the alloc callback.
struct TypeSlot {
    NodeAllocator* alloc;
};
TypeSlot g_slots[VT_MAX_OBJECT_TYPES];
int g_slot_count = 0;

NodeData* Data(VtNodeData* data) {
    return reinterpret_cast<NodeData*>(data);
}
ObjectData* Object(VtNodeData* data) {
    return static_cast<ObjectData*>(Data(data));
}
template <typename T> T* Node(VtAtom* atom) {
    return reinterpret_cast<T*>(atom);
}

VtNodeData* CallAlloc(void* type_data) {
    try {
        const TypeSlot* slot = static_cast<const TypeSlot*>(type_data);
        if (slot == nullptr || slot->alloc == nullptr) return nullptr;
        return reinterpret_cast<VtNodeData*>(slot->alloc());
    } catch (...) {
        return nullptr;
    }
}

void CallFree(VtNodeData* data) {
    try {
        delete Data(data);
    } catch (...) {
    }
}

int32_t CallInit(VtNodeData* data, VtAtom* node) {
    try {
        return Data(data)->Init(Node<GeListNode>(node)) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int32_t CallMessage(VtNodeData* data, VtAtom* node, int32_t type, void* message_data) {
    try {
        return Data(data)->Message(Node<GeListNode>(node), type, message_data) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int32_t CallGetDescription(VtNodeData* data, VtAtom* node, VtDescription* desc, int32_t* flags) {
    try {
        DESCFLAGS_DESC local = flags != nullptr ? *flags : 0;
        const Bool ok = Data(data)->GetDDescription(Node<GeListNode>(node),
                                                    reinterpret_cast<Description*>(desc), local);
        if (flags != nullptr) *flags = local;
        return ok ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int32_t CallCopyTo(VtNodeData* data, VtNodeData* dest, VtAtom* snode, VtAtom* dnode, int32_t flags,
                   VtAliasTrans* trans) {
    try {
        return Data(data)->CopyTo(Data(dest), Node<GeListNode>(snode), Node<GeListNode>(dnode),
                                  flags, reinterpret_cast<AliasTrans*>(trans))
                   ? 1
                   : 0;
    } catch (...) {
        return 0;
    }
}

VtAtom* CallGetVirtualObjects(VtNodeData* data, VtAtom* op, VtHierarchyHelp* hh) {
    try {
        BaseObject* result = Object(data)->GetVirtualObjects(Node<BaseObject>(op),
                                                             reinterpret_cast<HierarchyHelp*>(hh));
        return result != nullptr ? result->Handle() : nullptr;
    } catch (...) {
        return nullptr;
    }
}

int32_t CallAddToExecution(VtNodeData* data, VtAtom* op, VtPriorityList* list) {
    try {
        return Object(data)->AddToExecution(Node<BaseObject>(op),
                                            reinterpret_cast<PriorityList*>(list))
                   ? 1
                   : 0;
    } catch (...) {
        return 0;
    }
}

int32_t CallExecute(VtNodeData* data, VtAtom* op, VtAtom* doc, VtThread* thread, int32_t priority,
                    int32_t flags) {
    try {
        return static_cast<int32_t>(
            Object(data)->Execute(Node<BaseObject>(op), Node<BaseDocument>(doc),
                                  reinterpret_cast<HostThread*>(thread), priority, flags));
    } catch (...) {
        return VT_EXECUTION_RESULT_FAILED;
    }
}

int32_t CallDraw(VtNodeData* data, VtAtom* op, int32_t drawpass, VtDraw* draw, VtDrawHelp* help) {
    try {
        return static_cast<int32_t>(Object(data)->Draw(Node<BaseObject>(op), drawpass,
                                                       reinterpret_cast<BaseDraw*>(draw),
                                                       reinterpret_cast<BaseDrawHelp*>(help)));
    } catch (...) {
        return VT_DRAW_RESULT_ERROR;
    }
}

const VtObjectCallbacks g_callbacks = {
    sizeof(VtObjectCallbacks),
    CallAlloc,
    CallFree,
    CallInit,
    CallMessage,
    CallGetDescription,
    CallCopyTo,
    CallGetVirtualObjects,
    CallAddToExecution,
    CallExecute,
    CallDraw,
};

} // namespace

Bool RegisterObjectPlugin(int32_t id, const String& name, int32_t info, NodeAllocator* alloc,
                          const String& description, BaseBitmap* icon, int32_t disk_level) {
    HostApi* host = vt::Host();
    if (host == nullptr || alloc == nullptr || g_slot_count >= VT_MAX_OBJECT_TYPES) return FALSE;
    TypeSlot* slot = &g_slots[g_slot_count];
    slot->alloc = alloc;
    VtObjectRegistration registration{};
    registration.size = sizeof registration;
    registration.id = id;
    registration.name = name.GetCString();
    registration.info_flags = info;
    registration.description = description.GetCString();
    registration.icon = reinterpret_cast<const VtBitmap*>(icon);
    registration.disk_level = disk_level;
    registration.callbacks = &g_callbacks;
    registration.type_data = slot;
    if (!host->plugins->register_object(&registration)) {
        slot->alloc = nullptr;
        return FALSE;
    }
    ++g_slot_count;
    return TRUE;
}
