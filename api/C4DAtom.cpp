#include "C4DAtom.h"

#include "host_binding.h"

int32_t C4DAtom::GetType() const { return vt::Host()->atoms->get_type(Handle()); }

Bool C4DAtom::GetParameter(const DescID& id, GeData& out, int32_t flags) {
    VtData value{};
    if (!vt::Host()->atoms->get_parameter(Handle(), &id.Abi(), &value, flags)) {
        out = GeData();
        return FALSE;
    }
    out.AdoptFromHost(value);
    return TRUE;
}

Bool C4DAtom::SetParameter(const DescID& id, const GeData& value, int32_t flags) {
    return vt::Host()->atoms->set_parameter(Handle(), &id.Abi(), &value.Abi(), flags) != 0;
}

Bool C4DAtom::Message(int32_t type, void* data) {
    return vt::Host()->atoms->send_message(Handle(), type, data) != 0;
}

GeListNode* GeListNode::GetDown() const {
    return FromHandle<GeListNode>(vt::Host()->atoms->get_down(Handle()));
}

GeListNode* GeListNode::GetNext() const {
    return FromHandle<GeListNode>(vt::Host()->atoms->get_next(Handle()));
}

GeListNode* GeListNode::GetUp() const {
    return FromHandle<GeListNode>(vt::Host()->atoms->get_up(Handle()));
}

BaseDocument* GeListNode::GetDocument() const {
    return FromHandle<BaseDocument>(vt::Host()->atoms->get_document(Handle()));
}

void GeListNode::InsertUnderLast(GeListNode* parent) {
    if (parent == nullptr) return;
    vt::Host()->atoms->insert_under_last(Handle(), parent->Handle());
}

BaseContainer* ParameterNode::GetDataInstance() const {
    return reinterpret_cast<BaseContainer*>(vt::Host()->atoms->get_data_instance(Handle()));
}

String ParameterNode::GetName() const { return String(vt::Host()->atoms->get_name(Handle())); }

void ParameterNode::SetName(const String& name) {
    vt::Host()->atoms->set_name(Handle(), name.GetCString());
}
