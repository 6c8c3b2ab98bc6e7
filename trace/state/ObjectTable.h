#pragma once
// Growable tables of individually allocated entries {key; record}. The tracked GL state keys its
// objects by 32-bit names (CObjectTable), the EGL state by 64-bit recorded handles
// (CHandleTable). Entries stay packed in slots 0..count-1; erasing moves the last entry into the
// hole, so order is creation order until the first erase.
//
// Copies are cheap: a copy shares the source's slot array and entries, and whichever side changes
// first takes a private copy (copy on write), at two levels: a change to a shared table copies
// its slot array (the entries stay shared), and a write access to a shared entry copies that
// entry alone. So a frame snapshot of a state costs a few shared handles, and a change after it
// copies only what it touches. Records are value types to the user: what a copy shows never
// changes through the original. Captured bytes are shared by reference count as well (see
// SharedBytes.h).
//
// A table of more than a few entries keeps a key index (open addressing, linear probing) in step
// with Add and Erase, so lookups do not walk the table.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// The bytes the copies on write made on this thread so far: slot arrays, key indexes and entries
// (the heap a record owns beyond its own size is not counted). A copy is made only because some
// other table shares the body or entry, so the growth while a running state is updated is what
// keeping its last snapshot costs: the trace weighs that against the calls between snapshots.
inline uint64_t& TableCopyBytes()
{
    static thread_local uint64_t bytes = 0;
    return bytes;
}

template <class Key, class T>
class TKeyedTable
{
public:
    struct Entry
    {
        Key key;
        T record;
    };

    static constexpr int32_t kInitialCapacity = 10;
    // Tables up to this many entries are searched linearly: cheaper than hashing, and no index memory.
    static constexpr int32_t kLinearUpTo = 8;
    // What an allocation costs beyond its size (allocator header, shared count), as counted in
    // TableCopyBytes.
    static constexpr size_t kAllocationBytes = 16;

    TKeyedTable() = default;
    TKeyedTable(const TKeyedTable& src) { CopyFrom(src); }
    TKeyedTable(TKeyedTable&& src) noexcept
        : m_body(std::move(src.m_body)), m_emptyCapacity(std::exchange(src.m_emptyCapacity, 0))
    {
    }
    ~TKeyedTable() = default;

    // A copy that keeps the source's order and capacity. A source holding one key twice (only
    // possible through a careless Add) gives one entry carrying the later record.
    TKeyedTable& operator=(const TKeyedTable& src)
    {
        if (this != &src)
            CopyFrom(src);
        return *this;
    }
    TKeyedTable& operator=(TKeyedTable&& src) noexcept
    {
        if (this != &src) {
            m_body = std::move(src.m_body);
            m_emptyCapacity = std::exchange(src.m_emptyCapacity, 0);
        }
        return *this;
    }

    int32_t Count() const { return m_body ? m_body->count : 0; }
    int32_t Capacity() const { return m_body ? m_body->capacity : m_emptyCapacity; }
    bool IsEmpty() const { return Count() == 0; }

    // Index of the first entry with this key; Count() when there is none.
    int32_t Find(Key key) const { return m_body ? m_body->Find(key) : 0; }
    T* Get(Key key)
    {
        const int32_t i = Find(key);
        return i < Count() ? &Own().OwnEntry(i).record : nullptr;
    }
    const T* Get(Key key) const
    {
        const int32_t i = Find(key);
        return i < Count() ? &m_body->slots[i]->entry.record : nullptr;
    }
    bool Contains(Key key) const { return Find(key) < Count(); }

    // Appends an entry with a fresh record; does not look for the key (callers find first).
    T* Add(Key key)
    {
        SBody& b = Own();
        if (b.count + 1 > b.capacity)
            b.Grow();
        b.slots[b.count] = new SNode{{key, T{}}};
        b.Indexed(key, b.count);
        return &b.slots[b.count++]->entry.record;
    }

    // Find-or-add: the idiom every state update uses.
    T& operator[](Key key)
    {
        const int32_t i = Find(key);
        return i < Count() ? Own().OwnEntry(i).record : *Add(key);
    }

    // Removes the first entry with this key by moving the last entry into its place.
    bool Erase(Key key)
    {
        const int32_t i = Find(key);
        if (i == Count())
            return false;
        Own().EraseAt(i);
        return true;
    }
    bool Remove(Key key) { return Erase(key); }

    // Frees every entry and keeps the capacity.
    void Reset()
    {
        if (!m_body)
            return;
        if (m_body.use_count() > 1)
            m_body = std::make_shared<SBody>(m_body->capacity);
        else
            Own().Reset();
    }

    // Frees every entry and the slot array (capacity 0); a later Add grows it again.
    void Clear()
    {
        m_body.reset();
        m_emptyCapacity = 0;
    }

    Entry& EntryAt(int32_t i) { return Own().OwnEntry(i); }
    const Entry& EntryAt(int32_t i) const { return m_body->slots[i]->entry; }
    Key KeyAt(int32_t i) const { return m_body->slots[i]->entry.key; }
    T& At(int32_t i) { return Own().OwnEntry(i).record; }
    const T& At(int32_t i) const { return m_body->slots[i]->entry.record; }

private:
    // An entry with the count of the slot arrays that hold it.
    struct SNode
    {
        Entry entry;
        std::atomic<int32_t> refs{1};
    };

public:
    // Range-for over the entries in slot order. Iterating a table that is not const makes every
    // entry private to it first.
    template <class E>
    struct TIter
    {
        SNode* const* p;
        E& operator*() const { return (*p)->entry; }
        E* operator->() const { return &(*p)->entry; }
        TIter& operator++() { ++p; return *this; }
        bool operator!=(const TIter& o) const { return p != o.p; }
    };
    using iterator = TIter<Entry>;
    using const_iterator = TIter<const Entry>;
    iterator begin()
    {
        if (!m_body)
            return {nullptr};
        SBody& b = Own();
        for (int32_t i = 0; i < b.count; ++i)
            b.OwnEntry(i);
        return {b.slots};
    }
    iterator end()
    {
        if (!m_body)
            return {nullptr};
        SBody& b = Own();  // the same slot array as begin() gives, whichever is called first
        return {b.slots + b.count};
    }
    const_iterator begin() const { return {m_body ? m_body->slots : nullptr}; }
    const_iterator end() const { return {m_body ? m_body->slots + m_body->count : nullptr}; }

private:
    // Bucket of the key index; slot -1 marks an empty bucket.
    struct SBucket
    {
        Key key;
        int32_t slot;
    };

    struct SBody
    {
        explicit SBody(int32_t n) : capacity(n) { slots = NewSlots(n); }
        SBody(const SBody& src)
            : count(0), capacity(src.capacity), index(src.index), shift(src.shift), duplicates(src.duplicates)
        {
            slots = NewSlots(src.capacity);
            TableCopyBytes() += kAllocationBytes + sizeof(SBody) + index.size() * sizeof(SBucket) +
                                (slots != inlineSlots ? size_t(capacity) * sizeof(SNode*) : 0);
            std::copy(src.keys, src.keys + std::min(src.count, kLinearUpTo), keys);
            for (; count < src.count; ++count) {
                slots[count] = src.slots[count];
                slots[count]->refs.fetch_add(1, std::memory_order_relaxed);
            }
        }
        SBody& operator=(const SBody&) = delete;
        ~SBody()
        {
            for (int32_t i = 0; i < count; ++i)
                Release(slots[i]);
            FreeSlots();
        }

        static void Release(SNode* node)
        {
            if (node->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
                delete node;
        }

        // The entry at slot i, copied first when another slot array shares it.
        Entry& OwnEntry(int32_t i)
        {
            SNode*& node = slots[i];
            if (node->refs.load(std::memory_order_acquire) > 1) {
                TableCopyBytes() += kAllocationBytes + sizeof(SNode);
                SNode* copy = new SNode{node->entry};
                Release(node);
                node = copy;
            }
            return node->entry;
        }

        // Slot arrays of the initial capacity live inside the body: most tables stay that small,
        // and a lookup then follows one pointer less.
        SNode** NewSlots(int32_t n)
        {
            if (n == kInitialCapacity)
                return std::fill_n(inlineSlots, n, nullptr) - n;
            return n > 0 ? new SNode*[n]() : nullptr;
        }
        void FreeSlots()
        {
            if (slots != inlineSlots)
                delete[] slots;
        }

        void Reset()
        {
            for (int32_t i = 0; i < count; ++i) {
                Release(slots[i]);
                slots[i] = nullptr;
            }
            count = 0;
            index.clear();
            duplicates = false;
        }

        void Grow()
        {
            const int32_t n = capacity > 0 ? capacity * 2 : kInitialCapacity;
            SNode** grown = NewSlots(n);
            std::copy(slots, slots + count, grown);
            FreeSlots();
            slots = grown;
            capacity = n;
        }

        bool UsesIndex() const { return !index.empty(); }

        size_t Home(Key key) const
        {
            return size_t((uint64_t(key) * 0x9E3779B97F4A7C15ull) >> shift);
        }
        size_t Mask() const { return index.size() - 1; }

        int32_t Find(Key key) const
        {
            if (!UsesIndex()) {
                if (count <= kLinearUpTo) {
                    for (int32_t i = 0; i < count; ++i)
                        if (keys[i] == key)
                            return i;
                    return count;
                }
                for (int32_t i = 0; i < count; ++i)
                    if (slots[i]->entry.key == key)
                        return i;
                return count;
            }
            for (size_t b = Home(key);; b = (b + 1) & Mask()) {
                const SBucket& bucket = index[b];
                if (bucket.slot < 0)
                    return count;
                if (bucket.key == key)
                    return bucket.slot;
            }
        }

        // Bucket holding the key, or the empty bucket where it would go.
        size_t BucketOf(Key key) const
        {
            size_t b = Home(key);
            while (index[b].slot >= 0 && index[b].key != key)
                b = (b + 1) & Mask();
            return b;
        }

        // Keeps the index in step with an entry just placed at `slot`. A repeated key turns the
        // index off for good (Find must then give the first entry, which only a walk knows).
        void Indexed(Key key, int32_t slot)
        {
            if (slot < kLinearUpTo)
                keys[slot] = key;
            if (duplicates)
                return;
            if (!UsesIndex()) {
                if (slot + 1 > kLinearUpTo) {
                    Rebuild(size_t(slot + 1));
                } else {
                    for (int32_t i = 0; i < slot; ++i)
                        if (keys[i] == key)
                            duplicates = true;
                }
                return;
            }
            if (size_t(slot + 1) * 2 > index.size()) {
                Rebuild(size_t(slot + 1));
                return;
            }
            const size_t b = BucketOf(key);
            if (index[b].slot >= 0) {
                DropIndex();
                return;
            }
            index[b] = {key, slot};
        }

        // Indexes slots[0, n) in buckets at most half full.
        void Rebuild(size_t n)
        {
            size_t buckets = 16;
            int bits = 4;
            while (buckets < n * 2) {
                buckets *= 2;
                ++bits;
            }
            index.assign(buckets, SBucket{Key{}, -1});
            shift = 64 - bits;
            for (size_t i = 0; i < n; ++i) {
                const Key key = slots[i]->entry.key;
                const size_t b = BucketOf(key);
                if (index[b].slot >= 0) {
                    DropIndex();
                    return;
                }
                index[b] = {key, int32_t(i)};
            }
        }

        void DropIndex()
        {
            duplicates = true;
            index.clear();
            index.shrink_to_fit();
        }

        // Empties bucket `hole`, moving later entries of its probe run back (no tombstones).
        void Unindex(size_t hole)
        {
            size_t j = hole;
            for (;;) {
                j = (j + 1) & Mask();
                if (index[j].slot < 0)
                    break;
                const size_t home = Home(index[j].key);
                const bool stays = hole <= j ? (hole < home && home <= j) : (hole < home || home <= j);
                if (stays)
                    continue;
                index[hole] = index[j];
                hole = j;
            }
            index[hole].slot = -1;
        }

        void EraseAt(int32_t i)
        {
            const int32_t last = count - 1;
            if (UsesIndex()) {
                Unindex(BucketOf(slots[i]->entry.key));
                if (i != last)
                    index[BucketOf(slots[last]->entry.key)].slot = i;
            }
            Release(slots[i]);
            slots[i] = slots[last];
            slots[last] = nullptr;
            if (i < kLinearUpTo && i != last)
                keys[i] = slots[i]->entry.key;
            --count;
        }

        // What a lookup reads comes first, so a small table is searched within one cache line.
        SNode** slots = nullptr;
        int32_t count = 0;
        int32_t capacity = 0;
        Key keys[kLinearUpTo];  // keys of the first slots: small tables are searched without following pointers
        std::vector<SBucket> index;  // empty: linear search
        int shift = 60;
        bool duplicates = false;  // some key was added twice: the index is off
        SNode* inlineSlots[kInitialCapacity];
    };

    // The body, made private to this table before a change.
    SBody& Own()
    {
        if (!m_body)
            m_body = std::make_shared<SBody>(m_emptyCapacity > 0 ? m_emptyCapacity : kInitialCapacity);
        else if (m_body.use_count() > 1)
            m_body = std::make_shared<SBody>(*m_body);
        else
            // Sole owner: the other owners' last reads happened before their release of the body.
            std::atomic_thread_fence(std::memory_order_acquire);
        return *m_body;
    }

    // src may live inside this table's own entries: everything is taken from it before the
    // old body goes.
    void CopyFrom(const TKeyedTable& src)
    {
        const int32_t emptyCapacity = src.m_emptyCapacity;
        std::shared_ptr<SBody> body = src.m_body;
        if (body && body->duplicates) {
            TKeyedTable copy;
            copy.m_body = std::make_shared<SBody>(body->capacity);
            for (int32_t i = 0; i < body->count; ++i)
                copy[body->slots[i]->entry.key] = body->slots[i]->entry.record;
            body = std::move(copy.m_body);
        }
        m_body = std::move(body);
        m_emptyCapacity = emptyCapacity;
    }

    std::shared_ptr<SBody> m_body;  // null: no entry and no slot array yet
    int32_t m_emptyCapacity = kInitialCapacity;  // Capacity() while there is no body
};

// GL objects keyed by their 32-bit name (or a level, face, location or attribute index).
template <class T>
using CObjectTable = TKeyedTable<uint32_t, T>;

// EGL objects keyed by the recorded handle, widened to 64 bits.
template <class T>
using CHandleTable = TKeyedTable<uint64_t, T>;
