// FlockAhead: the alignment and cohesion of a crowd group's agents, worked out on other
// threads while the calling thread updates the agents in array order.
//
// Alignment and cohesion of the own group read only the agents' global places and their
// directions, which the world does not change while it updates a group (an agent's update
// moves it in its generator's space and turns its rotation). So each agent's two terms come
// out the same whenever they are computed during the group's update, and they may be computed
// ahead, in any order, on any thread. The agents are cut into chunks of consecutive agents;
// the other threads take chunks from the front and fill in the terms of the group's
// behaviours, while the calling thread walks the agents in array order and, before it updates
// an agent, makes sure its chunk is done: it waits for a chunk another thread is working on,
// and does a chunk nobody has taken itself. The update then reads the terms kept here instead
// of computing them again, and adds them into the behaviour's sum at the same place.
//
// The memory is taken on the calling thread before the threads start, and kept from frame to
// frame; the threads take none.
#pragma once

#include "plugin/geometry/CrowdRecords.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

class BaseContainer;

class FlockAhead {
  public:
    FlockAhead() = default;
    ~FlockAhead();
    FlockAhead(const FlockAhead&) = delete;
    FlockAhead& operator=(const FlockAhead&) = delete;

    /// The most behaviours of one group whose terms are kept; the terms of any other are
    /// computed in the update, as without threads.
    static constexpr int32_t kMostBehaviours = 4;
    /// Agents per chunk.
    static constexpr int32_t kChunk = 32;

    /// What the terms of one behaviour are made with.
    struct Terms {
        const BaseContainer* behaviour = nullptr;
        double align_radius = 0.0;    ///< > 0 when the behaviour aligns
        double cohesion_inner = 0.0;  ///<
        double cohesion_middle = 0.0; ///< > 0 when the behaviour coheres
        double cohesion_outer = 0.0;  ///<
    };

    /// Starts a group of `agents` agents with the terms of `count` behaviours (at most
    /// kMostBehaviours; with none, the chunks only pace other work done ahead), and with
    /// `pitches` the pitches of the agents' instances; false, and nothing kept, when memory is
    /// short.
    bool Begin(const Crowd_Data* crowd, int32_t agents, const Terms* terms, int32_t count,
               bool pitches);
    /// Ends the group: nothing is kept from now on.
    void End();
    /// Gives back all memory.
    void Free();

    int32_t Behaviours() const { return count_; }
    /// Whether the pitches of the agents' instances are read ahead too.
    bool KeepsPitches() const { return keeps_pitches_; }
    /// Where the pitch of agent `k`'s instance is kept.
    double& Pitch(int32_t k) { return pitches_[k]; }
    const Terms& Of(int32_t b) const { return terms_[b]; }

    /// Takes chunk `c` if nobody has: true when the caller must now fill it and call Done.
    bool Claim(int32_t c);
    /// The other threads take no chunk before `c` from now on: the calling thread has caught
    /// up with them and fills the chunks they pass over itself.
    void MoveAhead(int32_t c);
    /// The next chunk nobody has taken, taken for the caller; -1 when none is left.
    int32_t ClaimNext();
    /// Chunk `c` is filled.
    void Done(int32_t c);
    /// Whether chunk `c` is filled (and its terms visible to the caller).
    bool IsDone(int32_t c) const;

    /// Where the alignment and cohesion of agent `k` for behaviour `b` are kept.
    LVector& Align(int32_t b, int32_t k) { return align_[static_cast<size_t>(b) * agents_ + k]; }
    LVector& Cohesion(int32_t b, int32_t k) {
        return cohesion_[static_cast<size_t>(b) * agents_ + k];
    }

    /// The kept alignment (or cohesion) of agent `k` of `crowd` for `behaviour`, or null when
    /// it is not kept: another group, or a behaviour whose terms are not kept.
    const LVector* KeptAlign(const Crowd_Data* crowd, const BaseContainer* behaviour,
                             int32_t k) const;
    const LVector* KeptCohesion(const Crowd_Data* crowd, const BaseContainer* behaviour,
                                int32_t k) const;

  private:
    int32_t Find(const Crowd_Data* crowd, const BaseContainer* behaviour) const;

    const Crowd_Data* crowd_ = nullptr; ///< the group whose terms are kept, or null
    Terms terms_[kMostBehaviours];
    int32_t count_ = 0;
    int32_t chunks_ = 0;
    /// The threads take chunks through `next_` while the update reads the fields around it
    /// at every agent's turn: on a line of its own, it takes no line from the update.
    unsigned char before_next_[64] = {};
    std::atomic<int32_t> next_{0}; ///< the first chunk that may be free
    unsigned char after_next_[64] = {};
    std::atomic<uint8_t>* state_ = nullptr; ///< per chunk: free, taken or done
    LVector* align_ = nullptr;              ///< count_ x agents_
    LVector* cohesion_ = nullptr;           ///< count_ x agents_
    double* pitches_ = nullptr;             ///< per agent
    bool keeps_pitches_ = false;
    int32_t agents_ = 0;         ///< the group's agents
    int32_t agent_capacity_ = 0; ///< agents the pitches and chunks have room for
    size_t slot_capacity_ = 0;   ///< terms of each kind the memory has room for
    void* block_ = nullptr;
};
