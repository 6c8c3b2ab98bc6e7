#pragma once
// Finds a key among a dictionary's pairs without walking them: each dictionary is indexed on its
// first lookup, so a getter costs the same in a store of ten keys or of thousands. The index holds
// element pointers: whoever deletes elements must Forget their parent, or Clear all.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tinyxml2 {
class XMLElement;
}

class CXQFKeyIndex
{
public:
    // The first key element among dict's pairs whose text is name; null when there is none.
    tinyxml2::XMLElement* Find(tinyxml2::XMLElement* dict, std::string_view name);
    // key was appended to dict as the key of a new last pair.
    void Added(tinyxml2::XMLElement* dict, tinyxml2::XMLElement* key);
    void Forget(const tinyxml2::XMLElement* dict) { m_dicts.erase(dict); }
    void Clear() { m_dicts.clear(); }

private:
    struct SHash
    {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    struct SDict
    {
        std::unordered_map<std::string, tinyxml2::XMLElement*, SHash, std::equal_to<>> keys;
        bool open = false; // the last key has no value: a new pair would not line up
    };

    std::unordered_map<const tinyxml2::XMLElement*, SDict> m_dicts;
};
