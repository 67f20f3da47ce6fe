#include "c4d_atom.h"

#include "host_binding.h"

LONG C4DAtom::GetType() const { return vt::Host()->atoms->get_type(Handle()); }

Bool C4DAtom::GetParameter(const DescID& id, GeData& out, LONG flags) {
    VtData value{};
    if (!vt::Host()->atoms->get_parameter(Handle(), &id.Abi(), &value, flags)) {
        out = GeData();
        return FALSE;
    }
    out.AdoptFromHost(value);
    return TRUE;
}

Bool C4DAtom::SetParameter(const DescID& id, const GeData& value, LONG flags) {
    return vt::Host()->atoms->set_parameter(Handle(), &id.Abi(), &value.Abi(), flags) != 0;
}

Bool C4DAtom::Message(LONG type, void* data) {
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

BaseContainer* BaseList2D::GetDataInstance() const {
    return reinterpret_cast<BaseContainer*>(vt::Host()->atoms->get_data_instance(Handle()));
}

String BaseList2D::GetName() const { return String(vt::Host()->atoms->get_name(Handle())); }

void BaseList2D::SetName(const String& name) {
    vt::Host()->atoms->set_name(Handle(), name.GetCString());
}
