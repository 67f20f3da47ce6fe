#include "plugin/hostapi/C4DAtom.h"

#include "plugin/hostapi/host_binding.h"

int32_t C4DAtom::GetType() const {
    const VtAtomTable* atoms = vt::AtomTable();
    if (atoms == nullptr) return 0;
    return atoms->get_type(Handle());
}

Bool C4DAtom::GetParameter(const DescID& id, GeData& out, int32_t flags) {
    VtData value{};
    const VtAtomTable* atoms = vt::AtomTable();
    if (atoms == nullptr || !atoms->get_parameter(Handle(), &id.Abi(), &value, flags)) {
        out = GeData();
        return FALSE;
    }
    out.AdoptFromHost(value);
    return TRUE;
}

Bool C4DAtom::SetParameter(const DescID& id, const GeData& value, int32_t flags) {
    const VtAtomTable* atoms = vt::AtomTable();
    if (atoms == nullptr) return FALSE;
    return atoms->set_parameter(Handle(), &id.Abi(), &value.Abi(), flags) != 0;
}

Bool C4DAtom::Message(int32_t type, void* data) {
    const VtAtomTable* atoms = vt::AtomTable();
    if (atoms == nullptr) return FALSE;
    return atoms->send_message(Handle(), type, data) != 0;
}

GeListNode* GeListNode::GetDown() const {
    const VtAtomTable* atoms = vt::AtomTable();
    if (atoms == nullptr) return nullptr;
    return FromHandle<GeListNode>(atoms->get_down(Handle()));
}

GeListNode* GeListNode::GetNext() const {
    const VtAtomTable* atoms = vt::AtomTable();
    if (atoms == nullptr) return nullptr;
    return FromHandle<GeListNode>(atoms->get_next(Handle()));
}

BaseDocument* GeListNode::GetDocument() const {
    const VtAtomTable* atoms = vt::AtomTable();
    if (atoms == nullptr) return nullptr;
    return FromHandle<BaseDocument>(atoms->get_document(Handle()));
}

void GeListNode::InsertUnderLast(GeListNode* parent) {
    if (parent == nullptr) return;
    if (const VtAtomTable* atoms = vt::AtomTable())
        atoms->insert_under_last(Handle(), parent->Handle());
}

BaseContainer* ParameterNode::GetDataInstance() const {
    const VtAtomTable* atoms = vt::AtomTable();
    if (atoms == nullptr) return nullptr;
    return reinterpret_cast<BaseContainer*>(atoms->get_data_instance(Handle()));
}

void ParameterNode::SetName(const String& name) {
    if (const VtAtomTable* atoms = vt::AtomTable()) atoms->set_name(Handle(), name.GetCString());
}
