#pragma once
// An array of pointers that owns its pointees: removing an element or destroying the array
// deletes the records. Not copyable, as two owners would delete each record twice.
#include "XQFTArray.h"

template <typename T>
class CXQFTArrayManagedPointers : public CXQFTArray<T*>
{
    using Base = CXQFTArray<T*>;

public:
    CXQFTArrayManagedPointers() = default;
    explicit CXQFTArrayManagedPointers(uint32_t initialCapacity) : Base(initialCapacity) {}
    CXQFTArrayManagedPointers(const CXQFTArrayManagedPointers&) = delete;
    CXQFTArrayManagedPointers& operator=(const CXQFTArrayManagedPointers&) = delete;

    ~CXQFTArrayManagedPointers() override
    {
        for (uint32_t i = 0; i < this->size; ++i)
            delete this->data[i];
    }

    int Remove(uint32_t index) override
    {
        if (this->size == 0 || index >= this->size)
            return 1;
        delete this->data[index];
        for (uint32_t i = index + 1; i < this->size; ++i)
            this->data[i - 1] = this->data[i];
        this->data[--this->size] = nullptr;
        return 0;
    }

    int RemoveLast() override
    {
        if (this->size == 0)
            return 1;
        delete this->data[--this->size];
        this->data[this->size] = nullptr;
        return 0;
    }
};
