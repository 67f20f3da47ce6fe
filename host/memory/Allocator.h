// The host's allocator: every block and every object the plug-in asks for.
//
// It counts what is live, so a test can check that the plug-in gave back everything it
// took, and it can refuse a chosen allocation (the Nth from now) or every allocation that
// would pass a memory limit, so a test can walk the plug-in through each failure.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantri {

class Allocator {
  public:
    /// A zero-filled block, or null when refused or when memory is short.
    void* allocate(size_t bytes);
    /// Gives back a block from allocate; null is ignored.
    void release(void* block);

    /// Counts an object that the host creates for the plug-in (an object, a link, an
    /// array). Returns false when this allocation is refused; nothing is counted then.
    bool admit(size_t bytes);
    /// The counterpart of a successful admit, when that object is freed.
    void retire(size_t bytes);

    /// Blocks and objects currently held.
    int64_t live() const { return live_; }
    /// Bytes currently held.
    int64_t live_bytes() const { return live_bytes_; }
    /// The most bytes held at once since the start or the last reset_peak.
    int64_t peak_bytes() const { return peak_bytes_; }
    /// Starts a new peak from the bytes held now.
    void reset_peak() { peak_bytes_ = live_bytes_; }
    /// Allocation requests seen so far, refused ones included.
    uint64_t requests() const { return requests_; }
    /// Requests refused so far.
    uint64_t refusals() const { return refusals_; }

    /// Refuses the `n`-th request from now (1 is the next one); 0 refuses none.
    void fail_nth(uint64_t n);
    /// Refuses any request that would raise the live bytes above `bytes`; 0 is no limit.
    void set_limit(size_t bytes) { limit_ = bytes; }
    size_t limit() const { return limit_; }

  private:
    bool decide(size_t bytes);

    int64_t live_ = 0;
    int64_t live_bytes_ = 0;
    int64_t peak_bytes_ = 0;
    uint64_t requests_ = 0;
    uint64_t refusals_ = 0;
    uint64_t fail_at_ = 0;
    size_t limit_ = 0;
};

/// The process's host allocator (the service tables have no context argument).
Allocator& allocator();

} // namespace vantri
