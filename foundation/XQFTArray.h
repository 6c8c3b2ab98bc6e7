#pragma once
// Growable array holding its elements by value in one block. All `capacity` elements are
// constructed at all times; removing an element does not destroy it. Storage never shrinks.
#include <cstdint>
#include <new>

template <typename T>
class CXQFTArray
{
public:
    static constexpr uint32_t kDefaultCapacity = 16;

    CXQFTArray() : size(0), capacity(kDefaultCapacity), data(new T[kDefaultCapacity]()) {}
    // A capacity of 0 still allocates one element, so data is never null.
    explicit CXQFTArray(uint32_t initialCapacity)
        : size(0), capacity(initialCapacity ? initialCapacity : 1), data(new T[capacity]())
    {
    }

    CXQFTArray(const CXQFTArray& other)
        : size(other.size), capacity(other.capacity), data(new T[other.capacity]())
    {
        for (uint32_t i = 0; i < size; ++i)
            data[i] = other.data[i];
    }

    CXQFTArray& operator=(const CXQFTArray& other)
    {
        if (&other != this)
            CopyFrom(other);
        return *this;
    }

    virtual ~CXQFTArray() { delete[] data; }

    // Replaces the contents with a copy of other (same capacity and size). On allocation
    // failure the array is left as it was.
    void CopyFrom(const CXQFTArray& other)
    {
        T* fresh = new (std::nothrow) T[other.capacity]();
        if (!fresh)
            return;
        for (uint32_t i = 0; i < other.size; ++i)
            fresh[i] = other.data[i];
        delete[] data;
        data = fresh;
        capacity = other.capacity;
        size = other.size;
    }

    // Grows to the larger of n and twice the capacity; 0 also when no growth was needed,
    // 1 when the storage cannot be allocated (the array is then unchanged).
    int SetCapacity(uint32_t n)
    {
        if (n <= capacity)
            return 0;
        uint64_t doubled = uint64_t(capacity) * 2;
        uint32_t grown = doubled > n ? (doubled > UINT32_MAX ? UINT32_MAX : uint32_t(doubled)) : n;
        T* fresh = new (std::nothrow) T[grown]();
        if (!fresh)
            return 1;
        for (uint32_t i = 0; i < size; ++i)
            fresh[i] = data[i];
        delete[] data;
        data = fresh;
        capacity = grown;
        return 0;
    }

    // Appends by the two steps every user follows: grow by one, then assign into data[size].
    int Append(const T& value)
    {
        if (size == UINT32_MAX || SetCapacity(size + 1) != 0)
            return 1;
        data[size++] = value;
        return 0;
    }

    // Moves the later elements down by assignment; the old last place keeps a copy of the
    // last element. 1 when the array is empty or index is not below the size.
    virtual int Remove(uint32_t index)
    {
        if (size == 0 || index >= size)
            return 1;
        if (index == size - 1)
            return RemoveLast();
        for (uint32_t i = index + 1; i < size; ++i)
            data[i - 1] = data[i];
        --size;
        return 0;
    }

    virtual int RemoveLast()
    {
        if (size == 0)
            return 1;
        --size;
        return 0;
    }

    T& operator[](uint32_t i) { return data[i]; }
    const T& operator[](uint32_t i) const { return data[i]; }

    uint32_t size;
    uint32_t capacity;
    T* data;
};
