#pragma once
// Map built from two parallel arrays: values[i] belongs to keys[i]. Only constructed, copied and
// destroyed by its users (texture metadata); no keyed lookup is needed yet.
#include "XQFTArray.h"

template <typename K, typename V>
class CXQFTMap
{
public:
    CXQFTMap() : size(0) {}

    CXQFTMap(const CXQFTMap& other) : size(0) { *this = other; }

    CXQFTMap& operator=(const CXQFTMap& other)
    {
        if (&other == this)
            return *this;
        keys.CopyFrom(other.keys);
        values.CopyFrom(other.values);
        size = other.size;
        return *this;
    }

    ~CXQFTMap()
    {
        size = 0;
        keys.size = 0;
        values.size = 0;
    }

    CXQFTArray<K> keys;
    CXQFTArray<V> values;
    uint32_t size;
};
