// The generator's crew builders: a fresh grid of agents, new instances around the existing
// records, and the instance object of one agent.
#include "plugin/object/CrowdGenerator.h"

#include "plugin/geometry/VectorMath.h"
#include "parameter_ids/ocrowdgenerator.h"

#include <cstdint>

namespace {

// A new null named "Agents" for the output, or null.
BaseObject* AllocAgentsNull() {
    BaseObject* root = BaseObject::Alloc(HostObjectType::Null);
    if (root == nullptr) return nullptr;
    const String name("Agents");
    if (!name.IsValid()) {
        BaseObject::Free(root);
        return nullptr;
    }
    root->SetName(name);
    return root;
}

BaseObject* SourceAt(AtomArray& sources, int64_t index) {
    const int32_t count = sources.GetCount();
    return static_cast<BaseObject*>(sources.GetIndex(static_cast<int32_t>(index % count)));
}

} // namespace

BaseObject* Crowdgenerator::Crea_Istanza(BaseObject* source) {
    BaseObject* instance = BaseObject::Alloc(HostObjectType::Instance);
    if (instance == nullptr) return nullptr;
    BaseLink* link = BaseLink::Alloc();
    if (link == nullptr) {
        BaseObject::Free(instance);
        return nullptr;
    }
    link->SetLink(source);
    const Bool linked = instance->SetParameter(DescID(InstanceParameter::Source), GeData(link));
    BaseLink::Free(link);
    if (!linked) BaseObject::Free(instance);
    return instance;
}

// Lays out X x Y x Z agents on a grid, i outermost and k innermost, so that the record of
// cell (i, j, k) stands at index i*Y*Z + j*Z + k. Positions are accumulated by adding the
// spacing, and every crew restarts the seeded random sequence, so the same parameters always
// give the same crew. Per agent the draws come in a fixed order (three jitter draws when the
// jitter is not 0, the speed draw, the random value), and they are taken even for an agent
// that cannot be made, so that the agents after it come out as they would without the
// failure. An agent without an instance, or whose record cannot be stored, is left out of
// both the output and the array, so that output children and records pair up by index.
BaseObject* Crowdgenerator::Create_Crew(BaseObject* op, AtomArray& sources) {
    if (op == nullptr || sources.GetCount() < 1) return nullptr;
    const BaseContainer* settings = op->GetDataInstance();
    if (settings == nullptr) return nullptr;
    const int32_t count_x = settings->GetLong(CROWDGEN_COUNT_X);
    const int32_t count_y = settings->GetLong(CROWDGEN_COUNT_Y);
    const int32_t count_z = settings->GetLong(CROWDGEN_COUNT_Z);
    const LVector spacing = settings->GetVector(CROWDGEN_SPACING);
    const double jitter = settings->GetReal(CROWDGEN_JITTER);
    const int32_t seed = settings->GetLong(CROWDGEN_SEED);

    random.Init(seed < 0 ? 0u - static_cast<uint32_t>(seed) : static_cast<uint32_t>(seed));

    BaseObject* root = AllocAgentsNull();
    if (root == nullptr) return nullptr;
    forward_axis = settings->GetLong(CROWDGEN_FORWARD_AXIS);
    agents.FreeArray();
    // Room for the whole crew at once; without it the records still come, a block at a time.
    const int64_t crew = static_cast<int64_t>(count_x) * count_y * count_z;
    if (count_x > 0 && count_y > 0 && count_z > 0 && crew <= INT32_MAX)
        agents.Reserve(static_cast<int32_t>(crew));

    // What every agent of the crew shares: making the instances changes none of it.
    const double speed = settings->GetReal(CROWDGEN_SPEED);
    const double variation = settings->GetReal(CROWDGEN_SPEED_VARIATION);
    const double acceleration = settings->GetReal(CROWDGEN_ACCELERATION);
    const double range = settings->GetReal(CROWDGEN_RANGE);
    const LVector size(settings->GetReal(CROWDGEN_SIZE_X), settings->GetReal(CROWDGEN_SIZE_Y),
                       settings->GetReal(CROWDGEN_SIZE_Z));
    const LMatrix global_mg = op->GetMg();
    const LMatrix parent_mg = op->GetUpMg() * op->GetMl();

    LVector p;
    for (int32_t i = 0; i < count_x; ++i) {
        p.y = 0.0;
        for (int32_t j = 0; j < count_y; ++j) {
            p.z = 0.0;
            for (int32_t k = 0; k < count_z; ++k) {
                const int64_t source_index = static_cast<int64_t>(i) +
                                             static_cast<int64_t>(j) * count_x +
                                             static_cast<int64_t>(k) * count_x * count_y;
                BaseObject* instance = Crea_Istanza(SourceAt(sources, source_index));

                LVector position = p;
                if (jitter != 0.0) {
                    const double r1 = random.Get11();
                    const double r2 = random.Get11();
                    const double r3 = random.Get11();
                    position = p + LVector(spacing.x * r1, spacing.y * r2, spacing.z * r3) * jitter;
                }
                LMatrix mg;
                if (instance != nullptr) {
                    instance->SetRelPos(position);
                    mg = instance->GetMl();
                }

                const double r = random.Get11();
                const double max_speed = speed + variation * r * 0.5 * speed;
                const double random_value = random.Get01();

                // A new record comes zero-filled with identity matrices, so only the fields the
                // crew sets are written.
                Agent_ID_Data* record = instance != nullptr ? agents.Push() : nullptr;
                if (record == nullptr) {
                    BaseObject::Free(instance);
                } else {
                    record->acceleration = acceleration;
                    record->look_ahead = range;
                    record->random_value = random_value;
                    record->size = size;
                    record->global_mg = global_mg;
                    record->mg = mg;
                    record->parent_mg = parent_mg;
                    record->object = instance;
                    record->max_speed = max_speed;
                    instance->InsertUnderLast(root);
                }
                p.z += spacing.z;
            }
            p.y += spacing.y;
        }
        p.x += spacing.x;
    }
    return root;
}

// New instances for the records as they are: record a shows source a mod n. Nothing but the
// records' objects changes, and no random number is drawn. A record whose instance cannot be
// made keeps no object.
BaseObject* Crowdgenerator::Update_Crew(BaseObject* op, AtomArray& sources) {
    if (op == nullptr || sources.GetCount() < 1) return nullptr;
    BaseObject* root = AllocAgentsNull();
    if (root == nullptr) return nullptr;
    const int32_t count = agents.GetCount();
    for (int32_t a = 0; a < count; ++a) {
        Agent_ID_Data& record = agents[a];
        BaseObject* instance = Crea_Istanza(SourceAt(sources, a));
        record.object = instance;
        if (instance == nullptr) continue;
        instance->SetMl(record.mg);
        instance->InsertUnderLast(root);
    }
    return root;
}
