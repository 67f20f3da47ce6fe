#include "host/scene/Atom.h"

#include <unordered_map>

namespace vantri {

namespace {

std::unordered_map<uint64_t, Atom*>& registry() {
    static std::unordered_map<uint64_t, Atom*> atoms;
    return atoms;
}

uint64_t g_next_serial = 1;
uint64_t g_change_clock = 0;
thread_local uint64_t t_job_change = 0; ///< the stamp of the job this thread runs a share of

} // namespace

uint64_t next_change() {
    if (t_job_change != 0) return t_job_change;
    return ++g_change_clock;
}

JobChanges::JobChanges(uint64_t stamp) : outer_(t_job_change) {
    t_job_change = stamp;
}

JobChanges::~JobChanges() {
    t_job_change = outer_;
}

Atom::Atom(Kind kind, int32_t type) : kind_(kind), type_(type), serial_(g_next_serial++) {
    registry()[serial_] = this;
    dirty_ = next_change();
}

Atom::~Atom() {
    free_children();
    remove();
    registry().erase(serial_);
}

Atom* Atom::find_serial(uint64_t serial) {
    if (serial == 0) return nullptr;
    auto it = registry().find(serial);
    return it == registry().end() ? nullptr : it->second;
}

void Atom::set_name(const std::string& name) {
    name_ = name;
    touch();
}

void Atom::touch() {
    dirty_ = next_change();
}

uint64_t Atom::subtree_dirty() const {
    uint64_t most = dirty_ > structure_dirty_ ? dirty_ : structure_dirty_;
    for (const Atom* child = first_child_; child != nullptr; child = child->next_) {
        const uint64_t d = child->subtree_dirty();
        if (d > most) most = d;
    }
    return most;
}

void Atom::remove() {
    if (parent_ == nullptr) return;
    if (prev_ != nullptr)
        prev_->next_ = next_;
    else
        parent_->first_child_ = next_;
    if (next_ != nullptr)
        next_->prev_ = prev_;
    else
        parent_->last_child_ = prev_;
    parent_->structure_dirty_ = next_change();
    parent_ = nullptr;
    next_ = prev_ = nullptr;
}

void Atom::insert_under_last(Atom* parent) {
    if (parent == nullptr || parent == this) return;
    remove();
    parent_ = parent;
    prev_ = parent->last_child_;
    if (prev_ != nullptr)
        prev_->next_ = this;
    else
        parent->first_child_ = this;
    parent->last_child_ = this;
    parent->structure_dirty_ = next_change();
}

// Each child is deleted while it is still in the tree (its object may ask for its document
// as it goes); the child's own destructor unlinks it, which advances the loop.
void Atom::free_children() {
    while (first_child_ != nullptr)
        delete first_child_; // NOLINT(clang-analyzer-cplusplus.NewDelete)
}

} // namespace vantri
