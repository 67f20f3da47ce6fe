#include "plugin/object/CrowdWorld.h"

#include "abi/AngleConstants.h"

#include "plugin/frame_time.h"
#include "plugin/messages.h"

#include "plugin/geometry/ForwardAxis.h"
#include "plugin/geometry/RotationConversion.h"
#include "plugin/geometry/VectorMath.h"
#include "plugin/hostapi/HostJobs.h"
#include "plugin/hostapi/InExcludeData.h"
#include "parameter_ids/ocrowdgenerator.h"
#include "parameter_ids/ocrowdworld.h"
#include "plugin/register.h"

#include <cmath>
#include <new>

namespace {

constexpr int32_t kWorldSeed = 15678934;

} // namespace

// A world without its terrain collider could not stand agents on a terrain, so it is not
// made at all when the host cannot give one.
NodeData* Crowdworld::Alloc() {
    Crowdworld* world = new (std::nothrow) Crowdworld;
    if (world == nullptr) return nullptr;
    if (!world->terrain.Alloc()) {
        delete world;
        return nullptr;
    }
    return world;
}

// The members free the crowd list, the spline cache and the collider.
Crowdworld::~Crowdworld() = default;

Bool Crowdworld::Init(GeListNode*) {
    last_frame = 0;
    random.Init(kWorldSeed);
    return TRUE;
}

Bool Crowdworld::Message(GeListNode*, int32_t type, void* data) {
    if (type == ObjectMessage::RenderNotification && data != nullptr) {
        render_running = static_cast<VtRenderNotification*>(data)->start;
    } else if (type == ObjectMessage::PrivateData && data != nullptr) {
        VtPrivateData* request = static_cast<VtPrivateData*>(data);
        request->answered = 1;
        CrowdWorldState* state = static_cast<CrowdWorldState*>(request->data);
        if (state != nullptr) *state = current;
    }
    return TRUE;
}

Bool Crowdworld::AddToExecution(BaseObject* op, PriorityList* list) {
    list->Add(op, ExecutionPriority::Generator, ExecutionFlag::EveryFrame);
    return TRUE;
}

// One frame of the simulation. The time step is the time since the last simulated frame:
// going back to the first frame restarts with a step of 0 (agents turn but do not move), any
// other frame at or before the last one is skipped, and a later frame covers the whole gap.
// While the animation is stopped and nothing renders, the world only remembers the frame, so
// that playing again starts from where the user scrubbed to.
ExecutionResult Crowdworld::Execute(BaseObject* op, BaseDocument* doc, HostThread*, int32_t,
                                    EXECUTIONFLAGS) {
    if (doc == nullptr) doc = op->GetDocument();
    if (doc == nullptr) return ExecutionResult::Ok;
    const int32_t fps = doc->GetFps();
    const int32_t frame = FrameOf(doc->GetTime(), fps);
    if (!CheckIsRunning(HostQuery::AnimationRunning) && render_running == 0) {
        last_frame = frame;
        return ExecutionResult::Ok;
    }

    const int32_t first = FrameOf(doc->GetMinTime(), fps);
    if (frame == first && frame <= last_frame) {
        time_step = 0.0;
    } else if (frame <= last_frame) {
        return ExecutionResult::Ok;
    } else {
        time_step =
            static_cast<double>(static_cast<float>(frame - last_frame) / static_cast<float>(fps));
    }
    last_frame = frame;
    behaviour_settings.Reset();

    BaseContainer* data = op->GetDataInstance();
    terrain.Link(data != nullptr ? static_cast<BaseObject*>(data->GetLink(CROWDWORLD_TERRAIN, doc))
                                 : nullptr);

    crowds.FreeArray();
    spline_cache.Clear();

    // One entry per child, whatever its type; generators fill in their agents and settings.
    for (BaseObject* child = op->GetDown(); child != nullptr; child = child->GetNext()) {
        const int32_t index = crowds.GetCount();
        Crowd_Data* entry = crowds.Push();
        if (entry == nullptr) continue;
        entry->index = index;
        entry->generator = child;
        if (child->GetType() == CrowdType::Generator) {
            VtPrivateData request{0, entry};
            child->Message(ObjectMessage::PrivateData, &request);
            if (request.answered != 1) entry->agents = nullptr;
        }
    }

    // The list is complete: pointers into it stay valid for the rest of the frame.
    neighbours.BeginFrame();
    for (int32_t i = 0; i < crowds.GetCount(); ++i) {
        Crowd_Data* crowd = &crowds[i];
        if (crowd->generator->GetType() != CrowdType::Generator || crowd->agents == nullptr ||
            crowd->settings == nullptr) {
            continue;
        }
        terrain.PlaceGenerator(crowd->generator);
        current.agent = nullptr;
        current.agent_index = -1;
        current.crowd_index = crowd->index;

        BaseContainer* settings = crowd->settings;
        ground_switch = settings->GetBool(CROWDGEN_FIXED_PITCH_BANK) ? 1 : 0;
        forward_axis = settings->GetLong(CROWDGEN_FORWARD_AXIS);
        crowd->side_radius =
            (forward_axis == CROWDGEN_AXIS_ZPOS || forward_axis == CROWDGEN_AXIS_ZNEG)
                ? settings->GetReal(CROWDGEN_SIZE_X)
                : settings->GetReal(CROWDGEN_SIZE_Z);
        Crowd_execution(op, crowd);
    }
    // No record pointer outlives the frame's updates.
    current.agent = nullptr;
    current.agent_index = -1;
    return ExecutionResult::Ok;
}

// The update of one crowd group. Each agent's steering sum starts from its own direction, so
// an agent whose behaviours all give nothing walks straight on. A zero sum has no heading of
// its own: the agent then keeps its rotation instead of turning nose-down.
void Crowdworld::Crowd_execution(BaseObject* op, Crowd_Data* crowd) {
    BaseDocument* doc = op->GetDocument();
    InExcludeData* list = static_cast<InExcludeData*>(
        crowd->settings->GetCustomDataType(CROWDGEN_BEHAVIOURS, CustomDataId::InExcludeList));
    const int32_t count = list != nullptr ? list->GetObjectCount() : 0;
    if (count <= 0) return;
    AtomArray* visited = AtomArray::Alloc();
    if (visited == nullptr) return;

    // The list and what its objects answer stay the same for the whole group, so a short list
    // is resolved once; a longer one is resolved again for every agent.
    SteeringItem resolved[kSteeringKept];
    const bool resolved_once = count <= kSteeringKept;
    for (int32_t i = 0; resolved_once && i < count; ++i) {
        SteeringItem& entry = resolved[i];
        entry.item = static_cast<BaseObject*>(list->ObjectFromIndex(doc, i));
        entry.container = SteeringParameters(entry.item, entry.type);
    }

    // With several threads: in waves where the group's terms allow it and enough threads
    // make it pay, else with the flocking terms worked out ahead on the other threads, else
    // in array order on this thread alone.
    const SteeringItem* once = resolved_once ? resolved : nullptr;
    const int32_t threads = HostJobs::ThreadCount();
    if (threads >= kFewestThreadsForWaves && UpdateInWaves(op, crowd, once, count)) {
        AtomArray::Free(visited);
        return;
    }
    if (threads >= 2 && UpdateWithFlockAhead(op, crowd, list, once, count, visited)) {
        ++ScheduleCounts().ahead;
    } else {
        if (threads >= 2) ++ScheduleCounts().single;
        UpdateInOrder(op, crowd, list, once, count, visited, false);
    }
    AtomArray::Free(visited);
}

void Crowdworld::UpdateInOrder(BaseObject* op, Crowd_Data* crowd, InExcludeData* list,
                               const SteeringItem* resolved, int32_t count, AtomArray* visited,
                               bool flock_ahead_running) {
    // Only the rotation of the evaluated record is read, and every agent sets it.
    Agent_ID_Data target;
    AgentArray& agents = *crowd->agents;
    const int32_t slot = static_cast<int32_t>(crowd - crowds.GetArray());
    for (int32_t k = 0; k < agents.GetCount(); ++k) {
        // The agent's record is the other threads' to read until its terms are filled in.
        if (flock_ahead_running) AwaitFlockAhead(crowd, k);
        Agent_ID_Data* agent = &agents[k];
        current.agent = agent;
        current.agent_index = k;
        agent->crowd_index = crowd->index;
        agent->crowd = crowd;
        if (agent->object == nullptr) continue;

        if (flock_ahead_running) near_ahead.SetCurrent(k);
        SteerAgent(op, crowd, k, list, resolved, count, visited, target);

        if (ground_switch == 0) {
            if (terrain.Linked()) {
                const LVector angle = Get_Terrain_Angle(agent->mg, agent->object);
                agent->rotation.y = angle.y;
                agent->rotation.z = angle.z;
            } else if (flock_ahead_running && flock_ahead.KeepsPitches()) {
                agent->rotation.y = flock_ahead.Pitch(k);
            } else {
                agent->rotation.y = agent->object->GetRelRot().y;
            }
        }
        // The neighbour search sees the agent where it now stands; while other threads read
        // the global places and directions, only the place in the generator's space changes.
        if (flock_ahead_running) {
            near_ahead.Moved(k, agent->mg.off);
            Guess(next_guess, *agent, crowd->side_radius);
            neighbours.MovedLocally(slot, k, *agent);
        } else {
            neighbours.Moved(slot, k, *agent);
        }
    }
}

void Crowdworld::SteerAgent(BaseObject* op, Crowd_Data* crowd, int32_t k, InExcludeData* list,
                            const SteeringItem* resolved, int32_t count, AtomArray* visited,
                            Agent_ID_Data& target) {
    Agent_ID_Data* agent = &(*crowd->agents)[k];
    LVector sum = agent->direction;
    for (int32_t i = 0; i < count; ++i) {
        SteeringItem entry;
        if (resolved != nullptr) {
            entry = resolved[i];
        } else {
            entry.item = static_cast<BaseObject*>(list->ObjectFromIndex(op->GetDocument(), i));
            entry.container = SteeringParameters(entry.item, entry.type);
        }
        BaseObject* item = entry.item;
        const int32_t type = entry.type;
        BaseContainer* container = entry.container;
        if (container == nullptr) continue;
        if (type == CrowdType::Behaviour) {
            sum += BehaviourSteering(op, crowd->generator, crowd, container, k);
        } else if (visited->Append(item)) {
            const Agent_ID_Data result =
                Blend_Eval(op, crowd->generator, crowd, container, k, visited);
            visited->Remove(item);
            sum += result.direction;
        }
    }

    if (sum == LVector(0.0, 0.0, 0.0)) {
        target.rotation = agent->rotation;
    } else {
        target.rotation = VectorToHPB(sum);
        if (forward_axis == CROWDGEN_AXIS_XNEG) {
            target.rotation.x += angle::kThreeHalfPi;
        } else if (forward_axis == CROWDGEN_AXIS_ZNEG) {
            target.rotation.x += angle::kPi;
        } else if (forward_axis == CROWDGEN_AXIS_XPOS) {
            target.rotation.x += angle::kHalfPi;
        }
    }
    Update_Agent_Vectors(agent, &target);
}

int32_t Crowdworld::Identify_Crowd(BaseObject* object) {
    if (object == nullptr || object->GetType() != CrowdType::Generator) return -1;
    for (int32_t i = 0; i < crowds.GetCount(); ++i) {
        if (crowds[i].generator == object) return i;
    }
    return -1;
}

Bool Crowdworld::BlendExists(AtomArray* array, C4DAtom* atom) {
    const int32_t count = array->GetCount();
    for (int32_t i = 0; i < count; ++i) {
        if (array->GetIndex(i) == atom) return TRUE;
    }
    return FALSE;
}

LVector Crowdworld::GetDirVect(LMatrix& m, int& code) {
    return GetDirVectRef(m, code);
}

double Crowdworld::GetDirVersus(int& code) {
    return ::GetDirVersus(code);
}

LVector Crowdworld::Get_Terrain_Angle(LMatrix& mg, BaseObject*) {
    return terrain.Stand(mg, forward_axis);
}

Bool RegisterCrowdworld() {
    return RegisterCrowdObject(CrowdType::World, 1009, kPipelineTypeFlags, Crowdworld::Alloc,
                               "ocrowdworld", "Crowdworld.tif");
}
