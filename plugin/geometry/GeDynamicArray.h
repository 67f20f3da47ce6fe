// GeDynamicArray: the growable array that holds the crowd records.
//
// The records sit in one block from the host's allocator, with free room kept at both ends:
//
//     block_ -> [ front room | count_ records | back room ]
//                 front_                        capacity_ - front_ - count_
//
// Storage grows and shrinks by whole blocks of BLOCK records. An insert in the front half of
// the array slides the records before it into the front room (growing the block at its front
// when that room is short); any other insert slides the records after it into the back room
// (growing the block at its back). A removal closes the gap from the shorter side and then
// gives back whole blocks of free room on the side that moved; removing the last record frees
// the block. Records are moved as raw bytes, so a record type must be relocatable: it may own
// memory (a nested array), but must not point into itself.
//
// New records are zero-filled and then default-constructed, unless GeArrayConstructs says
// that the zeroed bytes already are the record's empty state. Every allocation goes through
// GeAlloc and nothing throws: an operation that cannot get memory returns failure and leaves
// the array exactly as it was. Shrinking is best effort: a removal always succeeds, and keeps
// the larger block when a smaller one cannot be had.
#pragma once

#include "plugin/hostapi/MathTypes.h"
#include "plugin/hostapi/HostMemory.h"

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

/// Whether a growable array default-constructs its new records after zero-filling them
/// (true), or leaves them zero-filled (false).
template <typename T> struct GeArrayConstructs : std::true_type {};

/// A contiguous, growable array of records in host memory; see the comment at the top.
template <typename T, int32_t BLOCK = 4> class GeDynamicArray {
    static_assert(BLOCK > 0, "the block size must be positive");

  public:
    GeDynamicArray() = default;
    ~GeDynamicArray() { FreeArray(); }
    GeDynamicArray(const GeDynamicArray&) = delete;
    GeDynamicArray& operator=(const GeDynamicArray&) = delete;

    /// Number of records.
    int32_t GetCount() const { return count_; }
    /// Records by index, 0 <= i < GetCount().
    T& operator[](int32_t i) {
        assert(i >= 0 && i < count_);
        return block_[front_ + i];
    }
    const T& operator[](int32_t i) const {
        assert(i >= 0 && i < count_);
        return block_[front_ + i];
    }
    /// The first record, or null when the array is empty. Valid until the next change.
    T* GetArray() { return count_ > 0 ? block_ + front_ : nullptr; }
    const T* GetArray() const { return count_ > 0 ? block_ + front_ : nullptr; }
    T* begin() { return GetArray(); }
    T* end() { return GetArray() + count_; }
    const T* begin() const { return GetArray(); }
    const T* end() const { return GetArray() + count_; }

    /// Records the storage holds, and the free records before the first one.
    int32_t GetCapacity() const { return capacity_; }
    int32_t GetFrontRoom() const { return front_; }

    /// Inserts n >= 1 new records before index `at`. An `at` past the end first extends the
    /// array up to it with new records. Returns the first of the n records, or null (the array
    /// unchanged) when memory is short or the arguments are invalid.
    T* Insert(int32_t at, int32_t n = 1) {
        if (at < 0 || n < 1) return nullptr;
        const int32_t first = at;
        // Records to create: the gap up to `at`, if any, and the n asked for.
        const int64_t wanted = (at > count_ ? static_cast<int64_t>(at) - count_ : 0) + n;
        if (!Fits(wanted)) return nullptr;
        const int32_t fresh = static_cast<int32_t>(wanted);
        if (at > count_) at = count_;

        if (2 * static_cast<int64_t>(at) < count_) {
            if (front_ < fresh) {
                const int32_t grow = RoundUp(fresh - front_);
                if (!Reallocate(capacity_ + grow, grow, count_)) return nullptr;
            }
            MoveRecords(block_ + front_ - fresh, block_ + front_, at);
            front_ -= fresh;
        } else {
            const int32_t needed = front_ + count_ + fresh;
            if (needed > capacity_ && !Reallocate(RoundUp(needed), 0, count_)) return nullptr;
            T* base = block_ + front_;
            MoveRecords(base + at + fresh, base + at, count_ - at);
        }
        count_ += fresh;
        Initialise(block_ + front_ + at, fresh);
        return block_ + front_ + first;
    }

    /// Makes room behind the records for the array to hold `n` records in all without growing
    /// again, so that appending a known number of records one at a time copies the array
    /// once instead of once per block. The records stay as they are. False (the array
    /// unchanged) when memory is short or `n` is out of range.
    bool Reserve(int32_t n) {
        if (n < 0 || static_cast<int64_t>(front_) + n > kMaxRecords) return false;
        const int32_t needed = RoundUp(front_ + n);
        if (needed <= capacity_) return true;
        return Reallocate(needed, 0, count_);
    }

    /// Appends one new record; null when memory is short.
    T* Push() { return Insert(count_, 1); }

    /// Appends a copy of `value` (which may be a record of this array); false when memory is
    /// short.
    bool Push(const T& value) {
        static_assert(std::is_trivially_copyable<T>::value, "records are copied as bytes");
        const T copy = value;
        T* slot = Insert(count_, 1);
        if (slot == nullptr) return false;
        *slot = copy;
        return true;
    }

    /// Appends byte copies of n records that lie outside this array; false when memory is
    /// short (nothing appended) or the records lie inside this array.
    bool Append(const T* records, int32_t n) {
        static_assert(std::is_trivially_copyable<T>::value, "records are copied as bytes");
        if (n == 0) return true;
        if (records == nullptr || n < 0 || Holds(records)) return false;
        T* slot = Insert(count_, n);
        if (slot == nullptr) return false;
        std::memcpy(static_cast<void*>(slot), static_cast<const void*>(records), Bytes(n));
        return true;
    }

    /// Makes this array a byte copy of `other`; false (this array unchanged) when memory is
    /// short.
    bool CopyFrom(const GeDynamicArray& other) {
        static_assert(std::is_trivially_copyable<T>::value, "records are copied as bytes");
        if (&other == this) return true;
        if (!Resize(other.count_, false)) return false;
        if (count_ > 0) {
            std::memcpy(static_cast<void*>(block_ + front_),
                        static_cast<const void*>(other.block_ + other.front_), Bytes(count_));
        }
        return true;
    }

    /// Removes the n >= 1 records from index `at` on. False only for a range outside the
    /// array. Removing every record frees the storage.
    bool Remove(int32_t at, int32_t n = 1) {
        if (at < 0 || n < 1 || n > count_ - at) return false;
        if (n == count_) {
            FreeArray();
            return true;
        }
        T* base = block_ + front_;
        Destroy(base + at, n);
        const int32_t after = count_ - at - n;
        if (at < after) {
            MoveRecords(base + n, base, at);
            front_ += n;
            count_ -= n;
            if (front_ >= BLOCK) {
                const int32_t spare = front_ / BLOCK * BLOCK;
                Reallocate(capacity_ - spare, -spare, count_);
            }
        } else {
            MoveRecords(base + at, base + at + n, after);
            count_ -= n;
            const int32_t needed = RoundUp(front_ + count_);
            if (needed < capacity_) Reallocate(needed, 0, count_);
        }
        return true;
    }

    /// Makes the array hold exactly n records: the storage becomes the fewest whole blocks that
    /// hold the front room and n records. Records beyond the old count are zero-filled. With
    /// `construct`, every one of the n records is then default-constructed afresh. An n below
    /// 1 frees the storage. False (the array unchanged) when memory is short.
    bool Resize(int32_t n, bool construct = true) {
        if (n < 1) {
            FreeArray();
            return true;
        }
        if (n > count_ && !Fits(static_cast<int64_t>(n) - count_)) return false;
        const int32_t keep = n < count_ ? n : count_;
        const int32_t capacity = RoundUp(front_ + n);
        if (capacity != capacity_) {
            // Destroy the records that go only once the new block is certain.
            T* fresh = Allocate(capacity);
            if (fresh == nullptr) return false;
            Destroy(block_ + front_ + keep, count_ - keep);
            Adopt(fresh, capacity, 0, keep);
        } else {
            Destroy(block_ + front_ + keep, count_ - keep);
        }
        T* base = block_ + front_;
        std::memset(static_cast<void*>(base + keep), 0, Bytes(n - keep));
        count_ = n;
        if (construct) {
            Destroy(base, keep);
            for (int32_t i = 0; i < n; ++i)
                ::new (static_cast<void*>(base + i)) T();
        }
        return true;
    }

    /// Destroys every record and gives the storage back; the array is then empty.
    void FreeArray() {
        if (block_ != nullptr) Destroy(block_ + front_, count_);
        GeFreeBlock(block_);
        capacity_ = front_ = count_ = 0;
    }

  private:
    // The largest number of records an array may hold, so that indices and byte sizes stay
    // within range.
    // The most records an array may hold, so that a count rounded up to whole blocks still
    // fits a int32_t.
    static constexpr int64_t kMaxRecords = INT32_MAX - BLOCK;

    static int32_t RoundUp(int32_t records) { return (records + BLOCK - 1) / BLOCK * BLOCK; }
    static size_t Bytes(int32_t records) { return static_cast<size_t>(records) * sizeof(T); }

    // Whether `more` records can be added without passing the size limit.
    bool Fits(int64_t more) const {
        return more >= 0 && static_cast<int64_t>(front_) + count_ + more <= kMaxRecords;
    }

    bool Holds(const T* p) const {
        const uintptr_t at = reinterpret_cast<uintptr_t>(p);
        const uintptr_t lo = reinterpret_cast<uintptr_t>(block_);
        return block_ != nullptr && at >= lo && at < lo + Bytes(capacity_);
    }

    static T* Allocate(int32_t capacity) { return static_cast<T*>(GeAlloc(Bytes(capacity))); }

    static void MoveRecords(T* to, const T* from, int32_t n) {
        if (n > 0) std::memmove(static_cast<void*>(to), static_cast<const void*>(from), Bytes(n));
    }

    static void Destroy(T* first, int32_t n) {
        if (!std::is_trivially_destructible<T>::value) {
            for (int32_t i = 0; i < n; ++i)
                first[i].~T();
        }
    }

    static void Initialise(T* first, int32_t n) {
        std::memset(static_cast<void*>(first), 0, Bytes(n));
        if (GeArrayConstructs<T>::value) {
            for (int32_t i = 0; i < n; ++i)
                ::new (static_cast<void*>(first + i)) T();
        }
    }

    // Moves to a new block of `capacity` records: the first `keep` records go `shift` places
    // further from the block's start than they were. False (nothing changed) when the block
    // cannot be had.
    bool Reallocate(int32_t capacity, int32_t shift, int32_t keep) {
        T* fresh = Allocate(capacity);
        if (fresh == nullptr) return false;
        Adopt(fresh, capacity, shift, keep);
        return true;
    }

    void Adopt(T* fresh, int32_t capacity, int32_t shift, int32_t keep) {
        if (keep > 0) {
            std::memcpy(static_cast<void*>(fresh + front_ + shift),
                        static_cast<const void*>(block_ + front_), Bytes(keep));
        }
        GeFreeBlock(block_);
        block_ = fresh;
        capacity_ = capacity;
        front_ += shift;
    }

    // The header's layout is shared with the host (VtRecordArray); RecordLayoutCheck checks it.
    friend struct RecordLayoutCheck;
    T* block_ = nullptr;
    int32_t capacity_ = 0;
    int32_t front_ = 0;
    int32_t count_ = 0;
};
