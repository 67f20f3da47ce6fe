// Crowdgenerator: lays out a crew of agents as instances of its children.
//
// The generator owns one Agent_ID_Data record per agent. Its virtual output is a null named
// "Agents" with one instance object per agent; the world moves the agents by writing into
// the records, and the generator carries them over to the instances on every frame.
#pragma once

#include "plugin/hostapi/PluginApi.h"

#include "plugin/geometry/CrowdRecords.h"
#include "plugin/geometry/Random.h"

class Crowdgenerator : public ObjectData {
  public:
    /// A new generator from the host's allocator, or null.
    static NodeData* Alloc();

    ~Crowdgenerator() override;

    Bool Init(GeListNode* node) override;
    Bool Message(GeListNode* node, int32_t type, void* data) override;
    Bool CopyTo(NodeData* dest, GeListNode* snode, GeListNode* dnode, COPYFLAGS flags,
                AliasTrans* trans) override;
    Bool GetDDescription(GeListNode* node, Description* description,
                         DESCFLAGS_DESC& flags) override;
    Bool AddToExecution(BaseObject* op, PriorityList* list) override;
    ExecutionResult Execute(BaseObject* op, BaseDocument* doc, HostThread* bt, int32_t priority,
                            EXECUTIONFLAGS flags) override;
    BaseObject* GetVirtualObjects(BaseObject* op, HierarchyHelp* hh) override;
    /// The agents' guides in the object pass: sensing zones, bodies, numbers and steering.
    DrawResult Draw(BaseObject* op, DRAWPASS drawpass, BaseDraw* bd, BaseDrawHelp* bh) override;

    /// Lays out a fresh crew: refills the agent array and returns the new "Agents" null, or
    /// null (the array untouched) when the null cannot be allocated.
    BaseObject* Create_Crew(BaseObject* op, AtomArray& sources);
    /// New instances around the existing records; the "Agents" null, or null.
    BaseObject* Update_Crew(BaseObject* op, AtomArray& sources);
    /// A new instance object linked to `source`, owned by the caller; null on failure.
    BaseObject* Crea_Istanza(BaseObject* source);
    /// Applies every record with an object to its instance, turning by at most `max_turn`
    /// radians in heading and in pitch, and refreshes mg, global_mg and direction.
    void Upadate_Agent_Position(double max_turn, BaseObject* first_instance);

    /// The forward vector of `m` for a forward-axis code (not normalised).
    static LVector GetDirVect(LMatrix m, int code);

    Random random;               ///< the crew's random numbers; reseeded per crew
    AgentArray agents;           ///< one record per agent, in creation order
    int32_t forward_axis = 1015; ///< the forward-axis code of the last crew creation
    int32_t render_running = 0;  ///< set while a render runs
    int32_t past_start = 0;      ///< the time was beyond the start at the last rebuild
    int32_t rebuild_request = 0; ///< a fresh crew is due at the next rebuild

  private:
    /// Applies records `first` to `end` - 1 to their instances (Upadate_Agent_Position).
    void Place(double max_turn, int32_t first, int32_t end);

    // Points every record's object at nothing, for when the output that held the instances
    // goes away.
    void ForgetInstances();
};
