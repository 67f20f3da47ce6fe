// The generator object: its parameters, the messages it answers, copying, and the two
// per-frame callbacks (the output rebuild and the placement of the instances). The crew
// builders live in CrowdGeneratorCrew.cpp.
#include "plugin/object/CrowdGenerator.h"

#include "plugin/frame_time.h"
#include "plugin/messages.h"

#include "plugin/geometry/ForwardAxis.h"
#include "plugin/geometry/VectorMath.h"
#include "plugin/hostapi/HostJobs.h"
#include "parameter_ids/ocrowdgenerator.h"
#include "plugin/register.h"

#include <cmath>
#include <new>

NodeData* Crowdgenerator::Alloc() {
    return new (std::nothrow) Crowdgenerator;
}

Crowdgenerator::~Crowdgenerator() {
    agents.FreeArray();
}

Bool Crowdgenerator::Init(GeListNode* node) {
    if (node == nullptr) return FALSE;
    // The two single-precision constants of the original settings, widened to double.
    const double kAcceleration = 0.10000000149011612;
    const double kMaxTurn = 0.17453292649980456;
    node->SetParameter(DescID(CROWDGEN_FIXED_PITCH_BANK), GeData(static_cast<int32_t>(0)));
    node->SetParameter(DescID(CROWDGEN_MODE), GeData(static_cast<int32_t>(CROWDGEN_MODE_1009)));
    node->SetParameter(DescID(CROWDGEN_FORWARD_AXIS),
                       GeData(static_cast<int32_t>(CROWDGEN_AXIS_ZPOS)));
    node->SetParameter(DescID(CROWDGEN_COUNT_X), GeData(static_cast<int32_t>(1)));
    node->SetParameter(DescID(CROWDGEN_COUNT_Y), GeData(static_cast<int32_t>(1)));
    node->SetParameter(DescID(CROWDGEN_COUNT_Z), GeData(static_cast<int32_t>(1)));
    node->SetParameter(DescID(CROWDGEN_SPACING), GeData(LVector(100.0, 100.0, 100.0)));
    node->SetParameter(DescID(CROWDGEN_SPEED), GeData(5.0));
    node->SetParameter(DescID(CROWDGEN_ACCELERATION), GeData(kAcceleration));
    node->SetParameter(DescID(CROWDGEN_MAX_TURN), GeData(kMaxTurn));
    node->SetParameter(DescID(CROWDGEN_SPEED_VARIATION), GeData(0.0));
    node->SetParameter(DescID(CROWDGEN_RANGE), GeData(100.0));
    node->SetParameter(DescID(CROWDGEN_CHOICE_1027),
                       GeData(static_cast<int32_t>(CROWDGEN_CHOICE_1028)));
    node->SetParameter(DescID(CROWDGEN_VALUE_1031), GeData(100.0));
    node->SetParameter(DescID(CROWDGEN_SEED), GeData(static_cast<int32_t>(19691002)));
    rebuild_request = 1;
    return TRUE;
}

Bool Crowdgenerator::GetDDescription(GeListNode* node, Description* description,
                                     DESCFLAGS_DESC& flags) {
    if (node == nullptr || description == nullptr) return FALSE;
    if (!description->LoadDescription(node->GetType())) return FALSE;
    if (static_cast<ParameterNode*>(node)->GetDataInstance() == nullptr) return FALSE;
    flags |= DescriptionFlag::Loaded;
    return NodeData::GetDDescription(node, description, flags);
}

Bool Crowdgenerator::Message(GeListNode* node, int32_t type, void* data) {
    if (type == ObjectMessage::RenderNotification && data != nullptr) {
        render_running = static_cast<const VtRenderNotification*>(data)->start;
    } else if (type == ObjectMessage::PrivateData && data != nullptr) {
        // The world's request: answer, and tell it where the agents and the settings are.
        VtPrivateData* request = static_cast<VtPrivateData*>(data);
        request->answered = 1;
        if (Crowd_Data* entry = static_cast<Crowd_Data*>(request->data)) {
            entry->agents = &agents;
            entry->settings =
                node != nullptr ? static_cast<ParameterNode*>(node)->GetDataInstance() : nullptr;
        }
    }
    return TRUE;
}

Bool Crowdgenerator::CopyTo(NodeData* dest, GeListNode* snode, GeListNode* dnode, COPYFLAGS flags,
                            AliasTrans* trans) {
    Crowdgenerator* copy = static_cast<Crowdgenerator*>(dest);
    if (copy != nullptr && copy != this) {
        // The copy holds exactly this generator's records; a record that cannot be stored is
        // left out and the copy goes on with the next.
        copy->agents.FreeArray();
        copy->agents.Reserve(agents.GetCount());
        for (const Agent_ID_Data& record : agents)
            copy->agents.Push(record);
    }
    return NodeData::CopyTo(dest, snode, dnode, flags, trans);
}

Bool Crowdgenerator::AddToExecution(BaseObject* op, PriorityList* list) {
    if (op == nullptr || list == nullptr) return FALSE;
    list->Add(op, ExecutionPriority::Generator, ExecutionFlag::EveryFrame);
    return TRUE;
}

LVector Crowdgenerator::GetDirVect(LMatrix m, int code) {
    return ::GetDirVect(m, code);
}

void Crowdgenerator::ForgetInstances() {
    for (Agent_ID_Data& record : agents)
        record.object = nullptr;
}

// Decides whether the output must be rebuilt and with which builder. A fresh crew is made on
// the first rebuild after Init, whenever the children change while the document stands at
// its start frame, and when the time comes back to the start frame after having been beyond
// it. A change of the children at any later frame keeps the simulated records and only
// replaces the instances. Whenever the output becomes null, the host frees the previous one,
// so the records let go of their instances first.
BaseObject* Crowdgenerator::GetVirtualObjects(BaseObject* op, HierarchyHelp* hh) {
    if (op == nullptr) return nullptr;
    BaseObject* first = op->GetDown();
    BaseDocument* doc = op->GetDocument();

    AliasTrans* trans = AliasTrans::Alloc();
    // Freed however the build ends, a host call that throws included (the explicit frees below
    // leave it null, so this frees nothing twice).
    const HandleFreedAtExit<AliasTrans> trans_freed(trans);
    if (trans == nullptr || doc == nullptr || !trans->Init(doc)) {
        AliasTrans::Free(trans);
        ForgetInstances();
        return nullptr;
    }
    const BaseTime now = doc->GetTime();
    const int32_t fps = doc->GetFps();
    const BaseTime start_time = doc->GetMinTime();
    if (first == nullptr) {
        AliasTrans::Free(trans);
        ForgetInstances();
        return nullptr;
    }

    const int32_t current = FrameOf(now, fps);
    const int32_t start = FrameOf(start_time, fps);
    Bool back_at_start = FALSE;
    if (start < current) {
        past_start = 1;
    } else {
        back_at_start = past_start != 0;
        past_start = 0;
    }

    Bool dirty = FALSE;
    BaseObject* clone =
        op->GetAndCheckHierarchyClone(hh, first, CloneFlag::Unchanged, &dirty, trans, TRUE);
    if (clone == nullptr) {
        AliasTrans::Free(trans);
        ForgetInstances();
        return nullptr;
    }
    if (!back_at_start && !dirty) {
        AliasTrans::Free(trans);
        return clone;
    }

    trans->Translate(TRUE);
    // The host's previous output may come back instead of a clone; it stays the host's.
    BaseObject* fresh_clone = clone != op->GetCache() ? clone : nullptr;

    AtomArray* sources = AtomArray::Alloc();
    const HandleFreedAtExit<AtomArray> sources_freed(sources);
    Bool collected = sources != nullptr;
    for (BaseObject* child = first; collected && child != nullptr; child = child->GetNext())
        collected = sources->Append(child);

    BaseObject* result = nullptr;
    if (collected) {
        if (rebuild_request != 0 || current == start) {
            result = Create_Crew(op, *sources);
            // A crew that could not be made is still due at the next rebuild.
            if (result != nullptr) rebuild_request = 0;
        } else {
            result = Update_Crew(op, *sources);
        }
    }

    BaseObject::Free(fresh_clone);
    AtomArray::Free(sources);
    AliasTrans::Free(trans);
    if (result == nullptr) ForgetInstances();
    return result;
}

ExecutionResult Crowdgenerator::Execute(BaseObject* op, BaseDocument*, HostThread*, int32_t,
                                        EXECUTIONFLAGS) {
    if (op == nullptr) return ExecutionResult::Ok;
    BaseObject* cache = op->GetCache();
    if (cache == nullptr) return ExecutionResult::Ok;
    if (!CheckIsRunning(HostQuery::AnimationRunning) && render_running == 0)
        return ExecutionResult::Ok;
    const BaseContainer* settings = op->GetDataInstance();
    if (settings == nullptr) return ExecutionResult::Ok;
    const double max_turn = settings->GetReal(CROWDGEN_MAX_TURN);
    if (cache->GetType() == HostObjectType::Null)
        Upadate_Agent_Position(max_turn, cache->GetDown());
    return ExecutionResult::Ok;
}

namespace {

// Agents per share where the instances are placed on the host's threads; a crew of fewer than
// two shares is placed on the calling thread.
constexpr int32_t kPlacedPerShare = 1024;

} // namespace

// Carries the records over to their instances. The world writes a target rotation; the
// instance turns towards it by at most `max_turn` in heading and in pitch per frame (bank is
// free), and the record then takes back what the instance really has. Each agent's record and
// instance are its own, so the agents may be placed in any order: on the host's threads
// where the host lets a job's shares move objects.
void Crowdgenerator::Upadate_Agent_Position(double max_turn, BaseObject*) {
    const int32_t n = agents.GetCount();
    if (n >= 2 * kPlacedPerShare && HostJobs::ThreadCount() > 1 && HostJobs::SharesMoveObjects()) {
        // The host's object calls and the arithmetic throw nothing, as a share must not.
        auto share = [&](int32_t first, int32_t end) { Place(max_turn, first, end); };
        HostJobs::ParallelFor(n, kPlacedPerShare, share);
        return;
    }
    Place(max_turn, 0, n);
}

void Crowdgenerator::Place(double max_turn, int32_t first, int32_t end) {
    // The records lie far apart: asking for the lines of one some records ahead lets the
    // memory work while this one is carried over.
    constexpr int32_t kRecordsAhead = 8;
    for (int32_t i = first; i < end; ++i) {
        if (i + kRecordsAhead < end) {
            const Agent_ID_Data& next = agents[i + kRecordsAhead];
            __builtin_prefetch(&next.rotation);
            __builtin_prefetch(&next.global_mg);
            __builtin_prefetch(&next.global_mg.v3);
            __builtin_prefetch(&next.mg);
            __builtin_prefetch(&next.mg.v3);
            __builtin_prefetch(&next.parent_mg);
            __builtin_prefetch(&next.parent_mg.v3);
            __builtin_prefetch(&next.object);
        }
        Agent_ID_Data& record = agents[i];
        BaseObject* object = record.object;
        if (object == nullptr) continue;
        const LVector held = object->GetRelRot();
        const double heading_step = record.rotation.x - held.x;
        if (std::fabs(heading_step) > max_turn)
            record.rotation.x = held.x + Sign(heading_step) * max_turn;
        const double pitch_step = record.rotation.y - held.y;
        if (std::fabs(pitch_step) > max_turn)
            record.rotation.y = held.y + Sign(pitch_step) * max_turn;

        object->SetMl(record.mg);
        object->SetRelRot(record.rotation);
        record.mg = object->GetMl();
        record.global_mg = record.parent_mg * record.mg;
        record.direction = !GetDirVect(record.mg, forward_axis);
    }
}

Bool RegisterCrowdgenerator() {
    return RegisterCrowdObject(CrowdType::Generator, 1004, kPipelineTypeFlags,
                               Crowdgenerator::Alloc, "ocrowdgenerator", "Crowdgenerator.tif");
}
