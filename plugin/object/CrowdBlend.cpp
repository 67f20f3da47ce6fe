#include "plugin/object/CrowdBlend.h"

#include "plugin/messages.h"

#include "parameter_ids/ocrowdBlend.h"
#include "plugin/register.h"

#include <new>

namespace {} // namespace

NodeData* CrowdBlend::Alloc() {
    return new (std::nothrow) CrowdBlend;
}

Bool CrowdBlend::Init(GeListNode* node) {
    if (node == nullptr) return TRUE;
    node->SetParameter(DescID(CROWDBLEND_MODE), GeData(static_cast<int32_t>(CROWDBLEND_MODE_SUM)),
                       0);
    node->SetParameter(DescID(CROWDBLEND_STRENGTH), GeData(1.0), 0);
    return TRUE;
}

Bool CrowdBlend::Message(GeListNode* node, int32_t type, void* data) {
    if (type == ObjectMessage::PrivateData && data != nullptr && node != nullptr) {
        // The flag stays as the sender set it; only the container pointer is answered.
        static_cast<VtPrivateData*>(data)->data =
            static_cast<ParameterNode*>(node)->GetDataInstance();
    }
    return TRUE;
}

Bool CrowdBlend::GetDDescription(GeListNode* node, Description* description,
                                 DESCFLAGS_DESC& flags) {
    if (node == nullptr || description == nullptr) return FALSE;
    if (!description->LoadDescription(node->GetType())) return FALSE;
    const BaseContainer* data = static_cast<ParameterNode*>(node)->GetDataInstance();
    if (data == nullptr) return FALSE;

    const int32_t mode = data->GetLong(CROWDBLEND_MODE);
    const DescID index(DescIdLevel(CROWDBLEND_INDEX, ParameterType::Integer, 0));
    const DescID* single = description->GetSingleDescID();
    if (single == nullptr || index.IsPartOf(*single, nullptr)) {
        BaseContainer* attributes = description->GetParameterI(index, nullptr);
        if (attributes != nullptr)
            attributes->SetBool(DescriptionAttribute::Hidden, mode != CROWDBLEND_MODE_SINGLE);
    }

    flags |= DescriptionFlag::Loaded;
    return ObjectData::GetDDescription(node, description, flags);
}

Bool RegisterCrowdBlend() {
    return RegisterCrowdObject(CrowdType::Blend, 1010, kParameterTypeFlags, CrowdBlend::Alloc,
                               "ocrowdBlend", "CrowdBlend.tif");
}
