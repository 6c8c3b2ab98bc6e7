#pragma once
// A graph of items keyed by the FNV-1 hash of the item's own bytes (for a pointer item, the
// pointer value, lowest byte first on this little-endian target). It records nodes and
// dependencies only; nothing walks or orders it.
#include "XQFTArray.h"
#include "XQFTStringHash.h"

#include <cstdint>
#include <cstring>

template <typename T>
class CXQFTSkipGraphNode
{
public:
    T Data{};
    CXQFTArray<CXQFTSkipGraphNode*> Dependencies;   // the nodes this one depends on
    CXQFTArray<CXQFTSkipGraphNode*> Dependents;     // the nodes that depend on this one
};

template <typename T>
struct SXQFTHashElement
{
    uint32_t Hash = 0;
    CXQFTSkipGraphNode<T>* Node = nullptr;   // owned by the root
};

template <typename T>
class CXQFTSkipGraphRoot
{
public:
    CXQFTSkipGraphRoot() = default;
    CXQFTSkipGraphRoot(const CXQFTSkipGraphRoot&) = delete;
    CXQFTSkipGraphRoot& operator=(const CXQFTSkipGraphRoot&) = delete;
    ~CXQFTSkipGraphRoot()
    {
        for (uint32_t i = 0; i < m_entries.size; ++i)
            delete m_entries[i].Node;
    }

    static uint32_t KeyHash(const T& item)
    {
        unsigned char bytes[sizeof(T)];
        memcpy(bytes, &item, sizeof(T));
        return XQFTHashFnv1(bytes, sizeof(T));
    }

    // True also when an entry with the item's key hash exists already (nothing is added then).
    // Nodes live on the heap, so node pointers stay valid as the entry array grows.
    bool AddNode(const T& item)
    {
        uint32_t hash = KeyHash(item);
        if (FindByHash(hash))
            return true;
        SXQFTHashElement<T> entry;
        entry.Hash = hash;
        entry.Node = new CXQFTSkipGraphNode<T>;
        entry.Node->Data = item;
        if (m_entries.Append(entry) != 0) {
            delete entry.Node;
            return false;
        }
        return true;
    }

    // node depends on dependsOn. False for a node depending on itself or on nothing.
    bool AddDependency(CXQFTSkipGraphNode<T>* node, CXQFTSkipGraphNode<T>* dependsOn)
    {
        if (!node || !dependsOn || node == dependsOn)
            return false;
        if (Contains(node->Dependencies, dependsOn))
            return true;
        node->Dependencies.Append(dependsOn);
        if (!Contains(dependsOn->Dependents, node))
            dependsOn->Dependents.Append(node);
        return true;
    }

    // The node of an item: the first entry with the item's key hash.
    CXQFTSkipGraphNode<T>* Find(const T& item) const { return FindByHash(KeyHash(item)); }

    uint32_t Count() const { return m_entries.size; }
    CXQFTSkipGraphNode<T>* NodeAt(uint32_t i) const { return m_entries[i].Node; }

private:
    CXQFTSkipGraphNode<T>* FindByHash(uint32_t hash) const
    {
        for (uint32_t i = 0; i < m_entries.size; ++i)
            if (m_entries[i].Hash == hash)
                return m_entries[i].Node;
        return nullptr;
    }
    static bool Contains(const CXQFTArray<CXQFTSkipGraphNode<T>*>& list,
                         const CXQFTSkipGraphNode<T>* n)
    {
        for (uint32_t i = 0; i < list.size; ++i)
            if (list[i] == n)
                return true;
        return false;
    }

    CXQFTArray<SXQFTHashElement<T>> m_entries;
};
