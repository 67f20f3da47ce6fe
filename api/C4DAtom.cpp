#include "C4DAtom.h"

#include "host_binding.h"

int32_t C4DAtom::GetType() const {
    return vt::Tables()->atoms->get_type(Handle());
}

Bool C4DAtom::GetParameter(const DescID& id, GeData& out, int32_t flags) {
    VtData value{};
    if (!vt::Tables()->atoms->get_parameter(Handle(), &id.Abi(), &value, flags)) {
        out = GeData();
        return FALSE;
    }
    out.AdoptFromHost(value);
    return TRUE;
}

Bool C4DAtom::SetParameter(const DescID& id, const GeData& value, int32_t flags) {
    return vt::Tables()->atoms->set_parameter(Handle(), &id.Abi(), &value.Abi(), flags) != 0;
}

Bool C4DAtom::Message(int32_t type, void* data) {
    return vt::Tables()->atoms->send_message(Handle(), type, data) != 0;
}

GeListNode* GeListNode::GetDown() const {
    return FromHandle<GeListNode>(vt::Tables()->atoms->get_down(Handle()));
}

GeListNode* GeListNode::GetNext() const {
    return FromHandle<GeListNode>(vt::Tables()->atoms->get_next(Handle()));
}

GeListNode* GeListNode::GetUp() const {
    return FromHandle<GeListNode>(vt::Tables()->atoms->get_up(Handle()));
}

BaseDocument* GeListNode::GetDocument() const {
    return FromHandle<BaseDocument>(vt::Tables()->atoms->get_document(Handle()));
}

void GeListNode::InsertUnderLast(GeListNode* parent) {
    if (parent == nullptr) return;
    vt::Tables()->atoms->insert_under_last(Handle(), parent->Handle());
}

BaseContainer* ParameterNode::GetDataInstance() const {
    return reinterpret_cast<BaseContainer*>(vt::Tables()->atoms->get_data_instance(Handle()));
}

String ParameterNode::GetName() const {
    return String(vt::Tables()->atoms->get_name(Handle()));
}

void ParameterNode::SetName(const String& name) {
    vt::Tables()->atoms->set_name(Handle(), name.GetCString());
}
