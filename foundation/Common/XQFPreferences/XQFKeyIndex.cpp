#include "XQFKeyIndex.h"

#include <tinyxml2.h>

namespace {

const char* KeyText(const tinyxml2::XMLElement* key)
{
    const tinyxml2::XMLNode* child = key->FirstChild();
    const tinyxml2::XMLText* text = child ? child->ToText() : nullptr;
    return text ? text->Value() : nullptr;
}

} // namespace

tinyxml2::XMLElement* CXQFKeyIndex::Find(tinyxml2::XMLElement* dict, std::string_view name)
{
    auto [slot, fresh] = m_dicts.try_emplace(dict);
    SDict& index = slot->second;
    if (fresh) {
        // Keys sit at every other element; the first of equal names wins, as in a walk.
        for (tinyxml2::XMLElement* key = dict->FirstChildElement(); key;) {
            if (const char* text = KeyText(key))
                index.keys.try_emplace(text, key);
            tinyxml2::XMLElement* value = key->NextSiblingElement();
            index.open = !value;
            key = value ? value->NextSiblingElement() : nullptr;
        }
    }
    auto found = index.keys.find(name);
    return found == index.keys.end() ? nullptr : found->second;
}

void CXQFKeyIndex::Added(tinyxml2::XMLElement* dict, tinyxml2::XMLElement* key)
{
    auto slot = m_dicts.find(dict);
    if (slot == m_dicts.end())
        return; // indexed on its first lookup
    if (slot->second.open) {
        m_dicts.erase(slot);
        return;
    }
    if (const char* text = KeyText(key))
        slot->second.keys.try_emplace(text, key);
}
