// Crowdworld: runs the simulation of the generators under it.
//
// Once per frame, while the animation plays or a render runs, the world works out the time
// that passed since the last simulated frame, rebuilds its crowd list from its children (one
// entry per child, filled by the generators through message 23) and updates every agent of
// every crowd group: it sums the agent's direction with the steering vectors of the behaviours
// and blends its generator lists, turns the sum into a target heading, and moves the agent.
// The generators then place their instances from the updated records.
//
// The host sees only the object's operations. The work is split by concern: CrowdWorld.cpp
// (the object and the frame execution), CrowdWorldFlocking.cpp (neighbour forces and the
// motion step), CrowdWorldBehaviour.cpp (behaviour and blend evaluation),
// CrowdWorldObstacles.cpp and CrowdWorldCollision.cpp (obstacles and agent avoidance),
// CrowdWorldSplines.cpp (spline following) and CrowdWorldDraw.cpp. The state that outlives a
// call is kept by parts of its own: the neighbour search (NeighbourIndex, NeighbourQuery), the
// spline cache (SplineCache), the terrain (CrowdWorldTerrain) and the behaviour settings of
// the frame (BehaviourSettingsTable).
#pragma once

#include "plugin/hostapi/PluginApi.h"

#include "plugin/object/CrowdNeighbours.h"
#include "plugin/object/CrowdTransform.h"
#include "plugin/object/CrowdWorldTerrain.h"
#include "plugin/object/FlockAhead.h"
#include "plugin/object/FrameSchedule.h"
#include "plugin/object/NearAhead.h"
#include "plugin/object/SplineCache.h"
#include "plugin/object/SteeringSettings.h"
#include "plugin/geometry/CrowdRecords.h"
#include "plugin/geometry/GeDynamicArray.h"
#include "plugin/geometry/Random.h"

class InExcludeData;

/// What the world answers to message 23: the agent being updated, its index in its crowd
/// group and the index of that group. Between crowd groups the agent is null and its index -1.
struct CrowdWorldState {
    Agent_ID_Data* agent;
    int32_t agent_index;
    int32_t crowd_index;
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

  private:
    /// Updates every agent of one crowd group: steering sum, target heading, motion, pitch.
    void Crowd_execution(BaseObject* op, Crowd_Data* crowd);
    /// Crowd_execution's walk over the agents in array order. With `flock_ahead_running`,
    /// other threads are filling in the group's flocking terms (FlockAhead.h): each agent
    /// waits for its own, and the neighbour search leaves the global places alone.
    void UpdateInOrder(BaseObject* op, Crowd_Data* crowd, InExcludeData* list,
                       const SteeringItem* resolved, int32_t count, AtomArray* visited,
                       bool flock_ahead_running);
    /// Updates the agents of `crowd` in array order on this thread while the host's other
    /// threads work out the alignment and cohesion of the group's behaviours ahead of it
    /// (FlockAhead.h); the results are those of one thread. False, with nothing changed, when
    /// the group's behaviour list is not resolved once (`resolved` is null), no behaviour of
    /// it aligns or coheres, the grid search is not chosen, or memory is short.
    bool UpdateWithFlockAhead(BaseObject* op, Crowd_Data* crowd, InExcludeData* list,
                              const SteeringItem* resolved, int32_t count, AtomArray* visited);
    /// What the near lists made ahead (NearAhead) are made for: the widest avoidance ellipse
    /// (when the group avoids) and the longest move guessed.
    struct AheadGuess {
        bool avoids = false;
        double reach = 0.0;
        double move = 0.0;
    };
    /// Starts the near lists made ahead for `crowd` on `threads` threads, where memory allows,
    /// for the widest `separation` of its behaviours and, when it `avoids`, its ellipses.
    void StartNearAhead(Crowd_Data* crowd, double separation, bool avoids, int32_t threads);
    /// Widens `guess` to `agent`'s avoidance ellipse (of side radius `side`) and guessed move.
    void Guess(AheadGuess& guess, const Agent_ID_Data& agent, double side) const;
    /// A share of the work of UpdateWithFlockAhead: on the calling thread the update in array
    /// order (once), on every thread the chunks of flocking terms nobody has taken yet.
    static void RunFlockShare(void* job, int32_t begin, int32_t end, int32_t lane);
    struct FlockJob;
    /// Builds the grids the threads search (the near lists' and the global one) once per
    /// job, on whichever thread comes first; the others wait until they are built.
    void BuildGridsAhead(FlockJob& job);
    /// Fills chunk `c` of the flocking terms of `crowd`.
    void FillFlockChunk(Crowd_Data* crowd, int32_t c);
    /// Returns once the flocking terms of agent `k` of `crowd` are filled in, filling in its
    /// chunk here when nobody has taken it.
    void AwaitFlockAhead(Crowd_Data* crowd, int32_t k);
    /// The alignment of agent `k` of `crowd` for `behaviour`: kept by FlockAhead, or computed.
    LVector AlignTerm(const BaseContainer* behaviour, const double& radius, Crowd_Data* crowd,
                      Agent_ID_Data* agent, int32_t k);
    /// The cohesion of agent `k` of `crowd` for `behaviour`: kept by FlockAhead, or computed.
    LVector CohesionTerm(const BaseContainer* behaviour, const BehaviourSettings& s,
                         Crowd_Data* crowd, Agent_ID_Data* agent, int32_t k);
    /// The steering sum, target heading and motion step of agent `k` of `crowd`, with the
    /// group's behaviour list (`resolved` when it was resolved once for the group); `target`
    /// is the motion step's evaluated record, of which only the rotation is read.
    void SteerAgent(BaseObject* op, Crowd_Data* crowd, int32_t k, InExcludeData* list,
                    const SteeringItem* resolved, int32_t count, AtomArray* visited,
                    Agent_ID_Data& target);
    /// Updates the agents of `crowd` in waves on the host's threads (FrameSchedule.h), with
    /// the group's behaviour list resolved once (`resolved`; null when it is not), when
    /// that gives exactly what the update in array order gives: true when it did. False, with
    /// every agent as it was, when the group must be updated in array order: the host has one
    /// thread, the group's behaviours ask the host or other groups for more than the agents'
    /// places, the schedule finds no safe order or gets no memory, or an agent moved further
    /// than the schedule allowed.
    bool UpdateInWaves(BaseObject* op, Crowd_Data* crowd, const SteeringItem* resolved,
                       int32_t count);
    /// The reach within which the agents of `crowd` may see each other this frame, widened by
    /// the most any agent may move (the schedule's moves, each plus `rounding`); false when it
    /// has no bound or the group's behaviours read more than the agents' places and their
    /// follow targets (which it looks up into wave_targets).
    bool WaveReach(BaseDocument* doc, Crowd_Data* crowd, const SteeringItem* resolved,
                   int32_t count, double rounding, double& reach);
    /// UpdateInWaves once the host has several threads.
    bool RunWaves(BaseObject* op, Crowd_Data* crowd, const SteeringItem* resolved, int32_t count);
    /// A share of one wave: the agents job->order[begin] to job->order[end - 1].
    static void RunWaveShare(void* job, int32_t begin, int32_t end, int32_t lane);

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
    /// Calc_Follow for a target at the global position `target`.
    LVector FollowPosition(const double& range, const LVector& target, Agent_ID_Data* agent);
    /// How far `agent` may move in this frame's motion step, guessed from its speed and last
    /// frame's push; NaN or infinite when its values are.
    double GuessedMove(const Agent_ID_Data& agent) const;
    /// The motion step: turns `agent` towards `evaluated`'s rotation and moves it by the
    /// world's time step.
    void Update_Agent_Vectors(Agent_ID_Data* agent, Agent_ID_Data* evaluated);
    /// The transform that brings the agents of `crowd` into the space of `agent`'s group.
    CrowdTransform TransformFor(Crowd_Data* crowd, Agent_ID_Data* agent);

    /// One behaviour's steering for agent `k` of `crowd`, in the result's `direction`.
    Agent_ID_Data Behav_Eval(BaseObject* op, BaseObject* generator, Crowd_Data* crowd,
                             BaseContainer* behaviour, int32_t k);
    /// The steering vector of Behav_Eval, without the record around it.
    LVector BehaviourSteering(BaseObject* op, BaseObject* generator, Crowd_Data* crowd,
                              BaseContainer* behaviour, int32_t k);
    /// One blend's steering; `visited` holds the blends being evaluated further up.
    Agent_ID_Data Blend_Eval(BaseObject* op, BaseObject* generator, Crowd_Data* crowd,
                             BaseContainer* blend, int32_t k, AtomArray* visited);
    /// The next crowd group after list position `i` that the generator of `crowd` names in
    /// its list of other groups and that is neither missing nor `crowd` itself; null at the end.
    Crowd_Data* NextOtherGroup(InExcludeData* others, BaseDocument* doc, Crowd_Data* crowd,
                               int32_t& i);

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
    /// Stands an agent's matrix on the terrain (CrowdWorldTerrain::Stand) for the current
    /// group's forward axis; the object is not read.
    LVector Get_Terrain_Angle(LMatrix& mg, BaseObject* object);

    double time_step = 0.0;                      ///< seconds the current update covers
    GeDynamicArray<Crowd_Data> crowds;           ///< one entry per child, rebuilt every frame
    int32_t render_running = 0;                  ///< non-zero while the host renders
    int32_t last_frame = 0;                      ///< frame of the last update or idle frame
    int32_t ground_switch = 0;                   ///< current group: leave pitch and bank alone
    int32_t forward_axis = 0;                    ///< current group's forward-axis code
    Random random;                               ///< draws the wait times
    CrowdWorldTerrain terrain;                   ///< the terrain agents stand on, if any
    SplineCache spline_cache;                    ///< sampled splines, emptied every frame
    NeighbourIndex neighbours;                   ///< the neighbour search of the current frame
    BehaviourSettingsTable behaviour_settings;   ///< behaviours read in the current frame
    static constexpr int32_t kSteeringKept = 16; ///< list entries resolved once per group
    FrameSchedule schedule;                      ///< the waves of the group being updated
    FlockAhead flock_ahead; ///< the flocking terms worked out ahead, for the group being updated
    NearAhead near_ahead;   ///< the near lists made ahead, for the group being updated
    /// The fewest threads with which a group is updated in waves: on two, the schedule and the
    /// waves' scattered reads cost more than the second thread gives, and the flocking terms
    /// worked out ahead give more.
    static constexpr int32_t kFewestThreadsForWaves = 4;
    /// A behaviour's follow target, looked up before the waves: the threads ask no host.
    struct WaveTarget {
        const BaseContainer* behaviour;
        bool linked;      ///< the behaviour links a target
        LVector position; ///< its global position
    };
    WaveTarget wave_targets[kSteeringKept] = {};
    int32_t wave_target_count = -1; ///< -1 unless a group is being updated in waves
    /// While a group is updated in waves: per agent, 1 when its wait time is to be drawn after
    /// the waves, in array order. Null otherwise: the motion step draws it at once.
    uint8_t* draws_pending = nullptr;
    const Agent_ID_Data* draws_base = nullptr; ///< the group's first agent, while in waves

    /// What the update in array order writes at every agent's turn, while other threads read
    /// the fields above, lies on lines of its own: its writes then take no line from them.
    unsigned char before_turns[64] = {};
    /// The agent being updated (null between groups), its index (-1 between groups) and the
    /// index of its group.
    CrowdWorldState current{nullptr, -1, 0};
    AheadGuess next_guess; ///< what the next near lists of the group being updated need
    unsigned char after_turns[64] = {};
};
