// A node of the host's scene: an object or a document. Nodes form a tree; a node owns its
// children. Each node has a serial number by which weak links find it while it exists.
#pragma once

#include "host/scene/Container.h"

#include <string>

namespace vantri {

class Document;

class Atom {
  public:
    enum class Kind { Object, Document };

    Atom(Kind kind, int32_t type);
    virtual ~Atom();
    Atom(const Atom&) = delete;
    Atom& operator=(const Atom&) = delete;

    Kind kind() const { return kind_; }
    int32_t type() const { return type_; }
    uint64_t serial() const { return serial_; }
    Container& data() { return data_; }
    const Container& data() const { return data_; }
    const std::string& name() const { return name_; }
    void set_name(const std::string& name);

    Atom* parent() const { return parent_; }
    Atom* first_child() const { return first_child_; }
    Atom* next() const { return next_; }
    Atom* prev() const { return prev_; }
    /// Makes this node the last child of `parent`, leaving any tree it was in.
    void insert_under_last(Atom* parent);
    /// Leaves the tree; the caller owns the node afterwards.
    void remove();
    /// Frees every child.
    void free_children();

    /// The document whose tree holds this node (a document is its own), or null.
    virtual Document* document();

    /// A change counter: raised whenever the node's parameters, matrix or children change.
    uint64_t dirty() const { return dirty_; }
    void touch();
    /// Raised whenever a child is added or removed.
    uint64_t structure_dirty() const { return structure_dirty_; }
    /// The largest change counter in this node's subtree (itself included).
    uint64_t subtree_dirty() const;

    VtAtom* handle() { return reinterpret_cast<VtAtom*>(this); }
    static Atom* from(VtAtom* h) { return reinterpret_cast<Atom*>(h); }
    /// The node with this serial number, or null when it no longer exists.
    static Atom* find_serial(uint64_t serial);

  private:
    Kind kind_;
    int32_t type_;
    uint64_t serial_;
    uint64_t dirty_ = 0;
    uint64_t structure_dirty_ = 0;
    Container data_;
    std::string name_;
    Atom* parent_ = nullptr;
    Atom* first_child_ = nullptr;
    Atom* last_child_ = nullptr;
    Atom* next_ = nullptr;
    Atom* prev_ = nullptr;
};

/// Raises a global change clock and returns it (every touch gets a larger value); inside a
/// JobChanges scope, returns the job's stamp instead.
uint64_t next_change();

/// While it lives, what this thread changes is stamped with the change `stamp` instead of
/// raising the clock: the shares of one job change their objects at once, on several threads,
/// and all take the stamp the job took when it started. So no two threads race on the clock,
/// and the stamps do not depend on which thread ran which share.
class JobChanges {
  public:
    explicit JobChanges(uint64_t stamp);
    ~JobChanges();
    JobChanges(const JobChanges&) = delete;
    JobChanges& operator=(const JobChanges&) = delete;

  private:
    uint64_t outer_; ///< the stamp of the scope this one is inside, or 0
};

} // namespace vantri
