#pragma once
// Growable tables of individually allocated entries {key; record}, searched linearly.
// The tracked GL state keys its objects by 32-bit names (CObjectTable), the EGL state by
// 64-bit recorded handles (CHandleTable). Entries stay packed in slots 0..count-1; erasing
// moves the last entry into the hole, so order is creation order until the first erase.
// Records are value types: a nested table, a string or an attribute copy inside a record is
// deep-copied with it; captured bytes are shared (see SharedBytes.h).
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

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

    TKeyedTable() : m_slots(NewSlots(kInitialCapacity)), m_count(0), m_capacity(kInitialCapacity) {}
    TKeyedTable(const TKeyedTable& src) : TKeyedTable() { *this = src; }
    TKeyedTable(TKeyedTable&& src) noexcept
        : m_slots(std::exchange(src.m_slots, nullptr)), m_count(std::exchange(src.m_count, 0)),
          m_capacity(std::exchange(src.m_capacity, 0))
    {
    }
    ~TKeyedTable() { Clear(); }

    // Deep copy that keeps the source's order and capacity. A source holding one key twice
    // (only possible through a careless Add) gives one entry carrying the later record.
    TKeyedTable& operator=(const TKeyedTable& src)
    {
        if (this == &src)
            return *this;
        TKeyedTable copy(src.m_capacity);
        if (src.HasDuplicateKeys()) {
            for (int32_t i = 0; i < src.m_count; ++i)
                copy[src.m_slots[i]->key] = src.m_slots[i]->record;
        } else {
            // The common case: keys are unique, so copy straight without the quadratic lookups.
            for (int32_t i = 0; i < src.m_count; ++i)
                copy.m_slots[i] = new Entry{src.m_slots[i]->key, src.m_slots[i]->record};
            copy.m_count = src.m_count;
        }
        Swap(copy);
        return *this;
    }
    TKeyedTable& operator=(TKeyedTable&& src) noexcept
    {
        if (this != &src) {
            Clear();
            Swap(src);
        }
        return *this;
    }

    int32_t Count() const { return m_count; }
    int32_t Capacity() const { return m_capacity; }
    bool IsEmpty() const { return m_count == 0; }

    // Index of the first entry with this key; Count() when there is none.
    int32_t Find(Key key) const
    {
        for (int32_t i = 0; i < m_count; ++i)
            if (m_slots[i]->key == key)
                return i;
        return m_count;
    }
    T* Get(Key key)
    {
        const int32_t i = Find(key);
        return i < m_count ? &m_slots[i]->record : nullptr;
    }
    const T* Get(Key key) const { return const_cast<TKeyedTable*>(this)->Get(key); }
    bool Contains(Key key) const { return Find(key) < m_count; }

    // Appends an entry with a fresh record; does not look for the key (callers find first).
    T* Add(Key key)
    {
        if (m_count + 1 > m_capacity)
            Grow();
        m_slots[m_count] = new Entry{key, T{}};
        return &m_slots[m_count++]->record;
    }

    // Find-or-add: the idiom every state update uses.
    T& operator[](Key key)
    {
        T* r = Get(key);
        return r ? *r : *Add(key);
    }

    // Removes the first entry with this key by moving the last entry into its place.
    bool Erase(Key key)
    {
        const int32_t i = Find(key);
        if (i == m_count)
            return false;
        const int32_t last = m_count - 1;
        if (i != last)
            std::swap(m_slots[i], m_slots[last]);
        delete m_slots[last];
        m_slots[last] = nullptr;
        --m_count;
        return true;
    }
    bool Remove(Key key) { return Erase(key); }

    // Frees every entry and keeps the capacity.
    void Reset()
    {
        for (int32_t i = 0; i < m_count; ++i) {
            delete m_slots[i];
            m_slots[i] = nullptr;
        }
        m_count = 0;
    }

    // Frees every entry and the slot array (capacity 0); a later Add grows it again.
    void Clear()
    {
        if (m_slots) {
            for (int32_t i = 0; i < m_count; ++i)
                delete m_slots[i];
            delete[] m_slots;
        }
        m_slots = nullptr;
        m_count = 0;
        m_capacity = 0;
    }

    Entry& EntryAt(int32_t i) { return *m_slots[i]; }
    const Entry& EntryAt(int32_t i) const { return *m_slots[i]; }
    Key KeyAt(int32_t i) const { return m_slots[i]->key; }
    T& At(int32_t i) { return m_slots[i]->record; }
    const T& At(int32_t i) const { return m_slots[i]->record; }

    // Range-for over the entries in slot order.
    template <class E, class S>
    struct TIter
    {
        S* p;
        E& operator*() const { return **p; }
        E* operator->() const { return *p; }
        TIter& operator++() { ++p; return *this; }
        bool operator!=(const TIter& o) const { return p != o.p; }
    };
    using iterator = TIter<Entry, Entry* const>;
    using const_iterator = TIter<const Entry, Entry* const>;
    iterator begin() { return {m_slots}; }
    iterator end() { return {m_slots + m_count}; }
    const_iterator begin() const { return {m_slots}; }
    const_iterator end() const { return {m_slots + m_count}; }

private:
    explicit TKeyedTable(int32_t capacity) : m_slots(NewSlots(capacity)), m_count(0), m_capacity(capacity) {}

    static Entry** NewSlots(int32_t n) { return n > 0 ? new Entry*[n]() : nullptr; }

    void Grow()
    {
        const int32_t capacity = m_capacity > 0 ? m_capacity * 2 : kInitialCapacity;
        Entry** slots = NewSlots(capacity);
        std::copy(m_slots, m_slots + m_count, slots);
        delete[] m_slots;
        m_slots = slots;
        m_capacity = capacity;
    }

    bool HasDuplicateKeys() const
    {
        if (m_count < 2)
            return false;
        std::vector<Key> keys;
        keys.reserve(m_count);
        for (int32_t i = 0; i < m_count; ++i)
            keys.push_back(m_slots[i]->key);
        std::sort(keys.begin(), keys.end());
        return std::adjacent_find(keys.begin(), keys.end()) != keys.end();
    }

    void Swap(TKeyedTable& o) noexcept
    {
        std::swap(m_slots, o.m_slots);
        std::swap(m_count, o.m_count);
        std::swap(m_capacity, o.m_capacity);
    }

    Entry** m_slots;
    int32_t m_count;
    int32_t m_capacity;
};

// GL objects keyed by their 32-bit name (or a level, face, location or attribute index).
template <class T>
using CObjectTable = TKeyedTable<uint32_t, T>;

// EGL objects keyed by the recorded handle, widened to 64 bits.
template <class T>
using CHandleTable = TKeyedTable<uint64_t, T>;
