#include "plugin/object/CrowdObstacle.h"

#include "plugin/messages.h"

#include "parameter_ids/ocrowdobstacle.h"
#include "plugin/register.h"

#include <new>

NodeData* CrowdObstacle::Alloc() {
    return new (std::nothrow) CrowdObstacle;
}

Bool CrowdObstacle::Init(GeListNode* node) {
    if (node == nullptr) return TRUE;
    node->SetParameter(DescID(CROWDOBSTACLE_SHAPE),
                       GeData(static_cast<int32_t>(CROWDOBSTACLE_SHAPE_BOX)), 0);
    node->SetParameter(DescID(CROWDOBSTACLE_SIZE_X), GeData(100.0), 0);
    node->SetParameter(DescID(CROWDOBSTACLE_SIZE_Y), GeData(100.0), 0);
    node->SetParameter(DescID(CROWDOBSTACLE_SIZE_Z), GeData(100.0), 0);
    node->SetParameter(DescID(CROWDOBSTACLE_RADIUS), GeData(100.0), 0);
    return TRUE;
}

Bool CrowdObstacle::Message(GeListNode* node, int32_t type, void* data) {
    if (type == ObjectMessage::PrivateData && data != nullptr && node != nullptr) {
        // The flag stays as the sender set it; only the container pointer is answered.
        static_cast<VtPrivateData*>(data)->data =
            static_cast<ParameterNode*>(node)->GetDataInstance();
    }
    return TRUE;
}

// A shape value outside the three hides all three groups.
Bool CrowdObstacle::GetDDescription(GeListNode* node, Description* description,
                                    DESCFLAGS_DESC& flags) {
    if (node == nullptr || description == nullptr) return FALSE;
    if (!description->LoadDescription(node->GetType())) return FALSE;
    const BaseContainer* data = static_cast<ParameterNode*>(node)->GetDataInstance();
    if (data == nullptr) return FALSE;

    const int32_t shape = data->GetLong(CROWDOBSTACLE_SHAPE);
    static const int32_t kGroups[3][2] = {
        {CROWDOBSTACLE_GROUP_SPHERE, CROWDOBSTACLE_SHAPE_SPHERE},
        {CROWDOBSTACLE_GROUP_BOX, CROWDOBSTACLE_SHAPE_BOX},
        {CROWDOBSTACLE_GROUP_OBJECT, CROWDOBSTACLE_SHAPE_OBJECT},
    };
    const DescID* single = description->GetSingleDescID();
    for (const auto& pair : kGroups) {
        const DescID group(DescIdLevel(pair[0], ParameterType::Group, 0));
        if (single != nullptr && !group.IsPartOf(*single, nullptr)) continue;
        BaseContainer* attributes = description->GetParameterI(group, nullptr);
        if (attributes == nullptr) continue;
        if (shape == pair[1]) {
            attributes->SetBool(DescriptionAttribute::Hidden, FALSE);
            attributes->SetBool(DescriptionAttribute::GroupOpen, TRUE);
        } else {
            attributes->SetBool(DescriptionAttribute::Hidden, TRUE);
        }
    }

    flags |= DescriptionFlag::Loaded;
    return ObjectData::GetDDescription(node, description, flags);
}

Bool RegisterCrowdObstacle() {
    return RegisterCrowdObject(CrowdType::Obstacle, 1008, kParameterTypeFlags, CrowdObstacle::Alloc,
                               "ocrowdobstacle", "Crowdobstacle.tif");
}
