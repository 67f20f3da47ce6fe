// Crowdworld: runs the simulation of the generators under it.
//
// Once per frame, while the animation plays or a render runs, the world works out the time
// that passed since the last simulated frame, rebuilds its crowd list from its children (one
// entry per child, filled by the generators through message 23) and updates every agent of
// every crowd group: it sums the agent's direction with the steering vectors of the behaviours
// and blends its generator lists, turns the sum into a target heading, and moves the agent.
// The generators then place their instances from the updated records.
//
// The code is split by concern: CrowdWorld.cpp (the object and the frame execution),
// CrowdWorldFlocking.cpp (neighbour forces and the motion step), CrowdWorldBehaviour.cpp
// (behaviour and blend evaluation), CrowdWorldCollision.cpp (obstacles and agent
// avoidance), CrowdWorldSplines.cpp and CrowdWorldTerrain.cpp.
#pragma once

#include "plugin/hostapi/PluginApi.h"

#include "plugin/object/CrowdNeighbours.h"
#include "plugin/geometry/CrowdRecords.h"
#include "plugin/geometry/GeDynamicArray.h"
#include "plugin/geometry/NearestSampleSearch.h"
#include "plugin/geometry/Random.h"

class GeRayCollider;
class InExcludeData;

/// Fills `samples` with evenly spaced samples of every segment of `spline`, `step` apart along
/// the curve (none for a step of 0 or less); the weights are left for the caller.
void Sample_Spline_Points(SplineObject* spline, GeDynamicArray<SplineNfo>& samples, double step);

/// What the world answers to message 23: the agent being updated, its index in its crowd
/// group and the index of that group. Between crowd groups the agent is null and its index -1.
struct CrowdWorldState {
    Agent_ID_Data* agent;
    int32_t agent_index;
    int32_t crowd_index;
};

/// Brings positions and directions of another crowd group's agents into the space of an
/// agent's own generator; the identity for the agent's own group.
struct CrowdTransform {
    bool identity = true;
    LMatrix m; ///< inverse(own generator's global matrix) * (other generator's global matrix)

    LVector Point(const LVector& p) const { return identity ? p : m * p; }
    LVector Direction(const LVector& d) const {
        return identity ? d : m.v1 * d.x + m.v2 * d.y + m.v3 * d.z;
    }
};

/// The agents of a crowd group that a neighbour term must look at: every agent the term could
/// count, in ascending array order, as indices into the group's compact copies.
struct NeighbourQuery {
    CrowdNeighbours* data = nullptr; ///< the group's copies of positions and directions
    CellGrid* grid = nullptr;        ///< the grid searched
    const int32_t* index = nullptr;  ///< the agents found, ascending
    int32_t count = 0;               ///< how many
    double covered = 0.0;            ///< half-width searched around the centre, in the grid's space
    int32_t self = -1;               ///< the asking agent's index in the group, or -1
    SearchFrame frame;               ///< where the search looked
    double reach = 0.0;              ///< the half-width asked of the grid
    // The near list shared by the terms around one point, when asked for: every agent within
    // `near_reach` of the point, with its distance. It is made on the first call of TakeNear,
    // so that a term that needs no neighbours (a crew just made) does not pay for it. A query
    // for the near list leaves `index` empty until TakeAll.
    const int32_t* near = nullptr;
    const double* near_dist = nullptr;
    int32_t near_count = 0;
    double near_reach = 0.0;
    bool near_wanted = false; ///< Find_Neighbours was asked for the near list
    bool near_local = false;
    double near_asked = 0.0; ///< the term's own distance
    double near_made = 0.0;  ///< the reach a new list gets
    LVector near_centre;

    /// Makes the near list, or takes the one made for an earlier term around the same point;
    /// false (`near` stays null) when none was asked for.
    bool TakeNear();
    /// Fills `index`, `count` and `covered` with every agent the grid finds within `reach`.
    void TakeAll();
};

/// A behaviour's parameters as the evaluation uses them (radii converted to double).
struct BehaviourSettings {
    const BaseContainer* container = nullptr; ///< whose parameters these are
    double strength = 0.0;
    double others_weight = 0.0; ///< the weight of avoidance and of the other-group parts
    bool align = false;
    bool align_repel_others = false;
    bool cohesion = false;
    bool repel_others = false;
    bool separation = false;
    bool follow = false;
    bool keep_direction = false;
    bool spline = false;
    bool collision = false;
    bool avoidance = false;
    bool avoid_others = false;
    double align_weight = 0.0;
    double align_radius = 0.0;
    double cohesion_weight = 0.0;
    double cohesion_inner = 0.0;
    double cohesion_middle = 0.0;
    double cohesion_outer = 0.0;
    double separation_weight = 0.0;
    double separation_radius = 0.0;
    double follow_weight = 0.0;
    double follow_range = 0.0;
    double keep_direction_weight = 0.0;
    double spline_weight = 0.0;
    double collision_weight = 0.0;
};

/// An object of a generator's behaviour list with the parameter container it answers (null
/// for anything but a behaviour or blend) and its type.
struct SteeringItem {
    BaseObject* item = nullptr;
    BaseContainer* container = nullptr;
    int32_t type = 0;
};

class Crowdworld : public ObjectData {
  public:
    static NodeData* Alloc();

    ~Crowdworld() override;
    Bool Init(GeListNode* node) override;
    Bool Message(GeListNode* node, int32_t type, void* data) override;
    Bool AddToExecution(BaseObject* op, PriorityList* list) override;
    ExecutionResult Execute(BaseObject* op, BaseDocument* doc, HostThread* bt, int32_t priority,
                            EXECUTIONFLAGS flags) override;
    /// The world's axis cross in the object pass.
    DrawResult Draw(BaseObject* op, DRAWPASS drawpass, BaseDraw* bd, BaseDrawHelp* bh) override;

    /// Updates every agent of one crowd group: steering sum, target heading, motion, pitch.
    void Crowd_execution(BaseObject* op, Crowd_Data* crowd);
    /// Index in the crowd list of the entry whose generator is `object`, or -1.
    int32_t Identify_Crowd(BaseObject* object);
    /// Whether `array` holds `atom`.
    Bool BlendExists(AtomArray* array, C4DAtom* atom);

    /// The forward vector of `m` for the forward-axis code (not normalised).
    LVector GetDirVect(LMatrix& m, int& code);
    /// -1.0 for the negative axis codes 1012, 1014 and 1016, else +1.0.
    double GetDirVersus(int& code);

    // Neighbour and target forces: each returns a unit vector or (0, 0, 0).
    LVector Calc_Align(const double& radius, Crowd_Data* crowd, Agent_ID_Data* agent);
    LVector Calc_Cohesion(const double& inner, const double& middle, const double& outer,
                          Crowd_Data* crowd, Agent_ID_Data* agent);
    LVector Calc_Repulsion(const double& radius, Crowd_Data* crowd, Agent_ID_Data* agent);
    LVector Calc_Follow(const double& range, BaseObject* target, Agent_ID_Data* agent);
    /// The motion step: turns `agent` towards `evaluated`'s rotation and moves it by the
    /// world's time step.
    void Update_Agent_Vectors(Agent_ID_Data* agent, Agent_ID_Data* evaluated);

    /// One behaviour's steering for agent `k` of `crowd`, in the result's `direction`.
    Agent_ID_Data Behav_Eval(BaseObject* op, BaseObject* generator, Crowd_Data* crowd,
                             BaseContainer* behaviour, int32_t k);
    /// The steering vector of Behav_Eval, without the record around it.
    LVector Behav_Steer(BaseObject* op, BaseObject* generator, Crowd_Data* crowd,
                        BaseContainer* behaviour, int32_t k);
    /// One blend's steering; `visited` holds the blends being evaluated further up.
    Agent_ID_Data Blend_Eval(BaseObject* op, BaseObject* generator, Crowd_Data* crowd,
                             BaseContainer* blend, int32_t k, AtomArray* visited);
    /// The parameter container of a behaviour or blend, asked for with the private-data
    /// request; null for any other object or when none comes back. `type` gets its type.
    static BaseContainer* Steering_Settings(BaseObject* item, int32_t& type);

    /// Probes the agent's way with five rays against every obstacle of the list; a unit vector
    /// away from the surfaces it heads into, or (0, 0, 0). Writes the push-out of the hits into
    /// the agent's extra_velocity. The crowd is not read.
    LVector Calc_Collisions(BaseObject* generator, Crowd_Data* crowd, Agent_ID_Data* agent,
                            InExcludeData* obstacles);
    /// One probe ray from the agent's position along `probe`, as far as its length, against
    /// one obstacle: 1 on a hit (hit_point, hit_normal and hit_obstacle written), else 0.
    int32_t CollisionTest(BaseObject* obstacle, BaseObject* generator, Agent_ID_Data* agent,
                          LVector probe);
    LVector Agent_Avoidance(Crowd_Data* crowd, Agent_ID_Data* agent);
    /// Steering along the spline linked to a behaviour, pulled onto it, with the length of the
    /// nearest sample's profile weight; (0, 0, 0) when no sample lies within the capture
    /// distance or the object is not a spline. Writes the agent's spline_mg.
    LVector Calc_FollowSpline(BaseContainer* behaviour, SplineObject* spline, Agent_ID_Data* agent);
    /// Stands an agent's matrix on the terrain: sets its height to the ground found along its
    /// up axis and returns the heading, pitch and bank of the matrix tilted to the ground;
    /// (0, 0, 0) with `mg` unchanged when no ground lies within 100000 units.
    LVector Get_Terrain_Angle(LMatrix& mg, BaseObject* object);

  private:
    /// The transform that brings the agents of `crowd` into the space of `agent`'s group.
    CrowdTransform Crowd_Transform(Crowd_Data* crowd, Agent_ID_Data* agent);
    /// The next crowd group after list position `i` that the generator of `crowd` names in
    /// its list of other groups and that is neither missing nor `crowd` itself; null at the end.
    Crowd_Data* NextOtherGroup(InExcludeData* others, BaseDocument* doc, Crowd_Data* crowd,
                               int32_t& i);
    /// The parameters of `behaviour` as read at its first use in this frame, or read now
    /// when the table of the frame is full (valid until the next call).
    const BehaviourSettings& Behaviour_Settings(BaseContainer* behaviour);
    /// Empties the spline cache, freeing every sample list and sample search first.
    void FreeSplineCache();
    /// The nearest sample of cache entry `cached` (-1: not cached) to `position`, as the scan
    /// of Calc_FollowSpline finds it; false when the caller must scan.
    bool Find_Nearest_Sample(int32_t cached, const LMatrix& to_agent, const LVector& position,
                             double capture, int32_t& nearest, double& best);
    /// Finds the agents of `crowd` that may lie within `distance` (as the term computes it,
    /// after `transform`) of the point `p` of `agent`'s space, among the agents' generator
    /// positions (`local`) or global positions. False when the term must scan every agent.
    /// With `keep_near` and the identity transform, the query also gets the near list.
    bool Find_Neighbours(Crowd_Data* crowd, Agent_ID_Data* agent, const CrowdTransform& transform,
                         const LVector& p, double distance, bool local, NeighbourQuery& query,
                         bool keep_near = false);

    double time_step = 0.0;                  ///< seconds the current update covers
    GeRayCollider* collider = nullptr;       ///< ray collider for the terrain, made by Alloc
    GeDynamicArray<SplineList_Data> splines; ///< sampled splines, emptied every frame
    GeDynamicArray<Crowd_Data> crowds;       ///< one entry per child, rebuilt every frame
    int32_t render_running = 0;              ///< non-zero while the host renders
    int32_t last_frame = 0;                  ///< frame of the last update or idle frame
    int32_t ground_switch = 0;               ///< current group: leave pitch and bank alone
    int32_t forward_axis = 0;                ///< current group's forward-axis code
    LMatrix generator_in_terrain;            ///< terrain^-1 * generator
    LMatrix terrain_in_generator;            ///< generator^-1 * terrain
    BaseObject* terrain = nullptr;           ///< object linked as terrain, or null
    Random random;                           ///< draws the wait times
    Agent_ID_Data* current_agent = nullptr;  ///< agent being updated, null between groups
    int32_t current_agent_index = -1;        ///< its index in the group, -1 between groups
    int32_t current_crowd_index = 0;         ///< index of the group being updated
    NeighbourIndex neighbours;               ///< the neighbour search of the current frame
    /// The nearest-sample search of each spline cache entry, by index, emptied with the cache.
    GeDynamicArray<NearestSampleSearch> sample_searches;
    static constexpr int32_t kBehavioursKept = 8;
    static constexpr int32_t kSteeringKept = 16;           ///< list entries resolved once per group
    BehaviourSettings behaviour_settings[kBehavioursKept]; ///< read in the current frame
    int32_t behaviours_read = 0;                           ///< entries in use
    BehaviourSettings unkept_settings; ///< a behaviour read when the table is full
};
