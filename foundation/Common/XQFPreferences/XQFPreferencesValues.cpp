// Key paths and the typed getters and setters of the preference store. A dictionary's child
// elements alternate: a <key> holding the entry's name, then the entry's value element.
#include "XQFPreferences.h"

#include "XQFBase64.h"
#include "XQFKeyIndex.h"
#include "XQFPlistFormat.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <tinyxml2.h>

using tinyxml2::XMLElement;
using tinyxml2::XMLNode;
using tinyxml2::XMLText;

namespace {

const XMLText* FirstText(const XMLElement* element)
{
    const XMLNode* child = element->FirstChild();
    return child ? child->ToText() : nullptr;
}

// Reads the text as formatted stream extraction of an unsigned int does, without the cost of a
// stream: leading white space is skipped, one sign is accepted (a minus wraps around), and
// reading stops at the first character that cannot continue the number, so "12abc" is 12.
// No digits, or a value beyond 32 bits, is no number (out untouched).
int ParseUnsigned(const char* text, uint32_t* out)
{
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    if (*p < '0' || *p > '9')
        return CXQFPreferences::kWrongType;
    uint64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + uint64_t(*p - '0');
        if (value > UINT32_MAX)
            return CXQFPreferences::kWrongType;
    }
    *out = negative ? uint32_t(0 - value) : uint32_t(value);
    return CXQFPreferences::kDone;
}

} // namespace

CXQFTArray<CXQFTString> CXQFPreferences::SplitKeyPath(const CXQFTString& key)
{
    CXQFTArray<CXQFTString> parts;
    ForEachKeyPart(key.CStr(), [&parts](const char* text, size_t length) {
        parts.Append(CXQFTString(text, length));
    });
    return parts;
}

XMLElement* CXQFPreferences::RootDictionary() const
{
    XMLElement* root = m_document ? m_document->FirstChildElement() : nullptr;
    return root ? root->FirstChildElement() : nullptr;
}

// The value of the pair in dict whose key's text is part i of path. The key element's own name
// is not checked: what matters is its text.
CXQFPreferences::EPair CXQFPreferences::FindPair(XMLElement* dict, const SKeyPath& path,
                                                 uint32_t i, XMLElement** value) const
{
    if (!dict)
        return EPair::kNotFound;
    XMLElement* key = m_index->Find(dict, {path.parts[i].text, path.parts[i].length});
    if (!key)
        return EPair::kNotFound;
    XMLElement* next = key->NextSiblingElement();
    if (!next)
        return EPair::kNoValue;
    *value = next;
    return EPair::kFound;
}

XMLElement* CXQFPreferences::FirstRootEntry() const
{
    XMLElement* dict = RootDictionary();
    return dict ? dict->FirstChildElement() : nullptr;
}

int CXQFPreferences::FindEntry(const SKeyPath& path, XMLElement** value) const
{
    return FindValue(path, 0, RootDictionary(), value);
}

int CXQFPreferences::FindValue(const SKeyPath& path, uint32_t first, XMLElement* dict,
                               XMLElement** value) const
{
    if (path.count == 0 || path.TooDeep())
        return kMissing;
    for (uint32_t i = first; i < path.count; ++i) {
        XMLElement* entry = nullptr;
        if (FindPair(dict, path, i, &entry) != EPair::kFound)
            return kMissing;
        if (i + 1 == path.count) {
            *value = entry;
            return kDone;
        }
        if (!NameIs(entry, kTagDict)) // arrays and other values are whole: no path goes inside
            return kMissing;
        dict = entry;
    }
    return kMissing;
}

int CXQFPreferences::CreatePath(const SKeyPath& path, uint32_t tag, XMLElement** value)
{
    XMLElement* dict = RootDictionary();
    if (!dict || path.count == 0 || path.TooDeep())
        return kNotLoaded;

    auto appendPair = [&](XMLElement* into, uint32_t part, const char* valueTag) {
        XMLElement* key = m_document->NewElement(PlistTag(kTagKey).CStr());
        const auto& name = path.parts[part];
        key->InsertEndChild(m_document->NewText(std::string(name.text, name.length).c_str()));
        into->InsertEndChild(key);
        XMLElement* element = m_document->NewElement(valueTag);
        into->InsertEndChild(element);
        m_index->Added(into, key);
        return element;
    };

    uint32_t last = path.count - 1;
    for (uint32_t i = 0; i < last; ++i) {
        XMLElement* next = nullptr;
        switch (FindPair(dict, path, i, &next)) {
        case EPair::kFound:
            // Writing keys into a string or an array would corrupt that value.
            if (!NameIs(next, kTagDict))
                return kNotLoaded;
            dict = next;
            break;
        case EPair::kNoValue:
            return kNotLoaded;
        case EPair::kNotFound:
            dict = appendPair(dict, i, PlistTag(kTagDict).CStr());
            break;
        }
    }
    XMLElement* element = appendPair(dict, last, PlistTag(EPlistTag(tag)).CStr());
    if (tag != kTagTrue && tag != kTagFalse)
        element->InsertEndChild(m_document->NewText(""));
    *value = element;
    return kDone;
}

int CXQFPreferences::PrepareSet(const CXQFTString& key, uint32_t tag, XMLElement** value)
{
    if (!m_document)
        return kNotLoaded;
    if (key.IsEmpty())
        return kEmptyKey;
    if (!ReloadIfChanged())
        return kNotLoaded;
    SKeyPath path(key.CStr());
    if (path.TooDeep())
        return kNotLoaded;
    // "/" or "a//" name no entry: a key without text could never be found again after a reload.
    if (path.parts[path.count - 1].length == 0)
        return kEmptyKey;
    if (FindEntry(path, value) == kDone)
        return kDone;
    return CreatePath(path, tag, value);
}

int CXQFPreferences::ReadText(const CXQFTString& key, uint32_t tag, const char** text)
{
    if (!m_document || !ReloadIfChanged())
        return kNotLoaded;
    XMLElement* value = nullptr;
    if (FindEntry(SKeyPath(key.CStr()), &value) != kDone)
        return kMissing;
    if (!NameIs(value, EPlistTag(tag)))
        return kWrongType;
    // The parser keeps no text node for "<string></string>", which is how an empty string or
    // empty data is written (by this store too): without it an empty value would read back as
    // missing, and a getter with a default would replace it.
    if (tag != kTagInteger && !value->FirstChild()) {
        *text = "";
        return kDone;
    }
    const XMLText* node = FirstText(value);
    if (!node)
        return kMissing;
    *text = node->Value();
    return kDone;
}

int CXQFPreferences::SetText(const CXQFTString& key, uint32_t tag, const char* text)
{
    XMLElement* value = nullptr;
    int result = PrepareSet(key, tag, &value);
    if (result != kDone)
        return result;
    XMLNode* child = value->FirstChild();
    if (!child) {
        value->InsertEndChild(m_document->NewText(text));
    } else if (XMLText* node = child->ToText()) {
        node->SetValue(text);
    } else {
        return kWrongType; // the value holds elements (a dict or an array): nothing was written
    }
    NoteChange(key);
    return kDone;
}

void CXQFPreferences::NoteChange(const CXQFTString& key)
{
    m_dirty = true;
    std::string path;
    ForEachKeyPart(key.CStr(), [&path](const char* text, size_t length) {
        if (!path.empty())
            path += '/';
        path.append(text, length);
    });
    // Set again, it moves to the end: the saves apply changes in the order they were made.
    for (auto it = m_changed.begin(); it != m_changed.end(); ++it) {
        if (*it == path) {
            m_changed.erase(it);
            break;
        }
    }
    m_changed.push_back(std::move(path));
}

bool CXQFPreferences::PutValue(const SKeyPath& path, const XMLElement& value)
{
    XMLElement* target = nullptr;
    if (FindEntry(path, &target) != kDone && CreatePath(path, kTagString, &target) != kDone)
        return false;
    XMLNode* dict = target->Parent();
    dict->InsertAfterChild(target, value.DeepClone(m_document.get()));
    // The replaced value may hold indexed dictionaries: their elements go with it.
    m_index->Clear();
    dict->DeleteChild(target);
    return true;
}

bool CXQFPreferences::TakeChanges(const CXQFPreferences& from)
{
    if (!m_document || !from.m_document)
        return false;
    for (const std::string& key : from.m_changed) {
        const SKeyPath path(key.c_str());
        const XMLElement* value = nullptr;
        XMLElement* found = nullptr;
        // Gone from the store since it was set (a later change put another kind of value above
        // it): that later change carries it.
        if (from.FindEntry(path, &found) != kDone)
            continue;
        value = found;
        // Where the way down is blocked here, the nearest dictionary above the key is taken
        // whole; every part of the path is a dictionary in from.
        bool placed = false;
        for (SKeyPath part = path; part.count > 0 && !placed; --part.count) {
            if (part.count < path.count) {
                if (from.FindEntry(part, &found) != kDone)
                    return false;
                value = found;
            }
            placed = PutValue(part, *value);
        }
        if (!placed)
            return false;
    }
    return true;
}

bool CXQFPreferences::HasKey(const CXQFTString& key)
{
    XMLElement* value = nullptr;
    return m_document && FindEntry(SKeyPath(key.CStr()), &value) == kDone;
}

int CXQFPreferences::GetInteger(const CXQFTString& key, uint32_t* out, uint32_t defaultValue)
{
    if (!m_document) {
        *out = defaultValue;
        return kNotLoaded;
    }
    const char* text = nullptr;
    int result = ReadText(key, kTagInteger, &text);
    if (result == kMissing || result == kWrongType)
        *out = defaultValue;
    return result == kDone ? ParseUnsigned(text, out) : result;
}

int CXQFPreferences::GetInteger(const CXQFTString& key, uint32_t* out)
{
    const char* text = nullptr;
    int result = ReadText(key, kTagInteger, &text);
    return result == kDone ? ParseUnsigned(text, out) : result;
}

int CXQFPreferences::GetBool(const CXQFTString& key, bool* out, bool defaultValue)
{
    if (!m_document)
        return kNotLoaded;
    int result = GetBool(key, out);
    if (result == kMissing || result == kWrongType)
        *out = defaultValue;
    return result;
}

int CXQFPreferences::GetBool(const CXQFTString& key, bool* out)
{
    if (!m_document)
        return kNotLoaded;
    XMLElement* value = nullptr;
    if (FindEntry(SKeyPath(key.CStr()), &value) != kDone)
        return kMissing;
    if (!HashIs(value, kTagTrue) && !HashIs(value, kTagFalse))
        return kWrongType;
    // The hash matched; the text decides (another name with the same hash is no boolean).
    if (PlistTag(kTagTrue) == value->Name())
        *out = true;
    else if (PlistTag(kTagFalse) == value->Name())
        *out = false;
    else
        return kWrongType;
    return kDone;
}

int CXQFPreferences::GetString(const CXQFTString& key, CXQFTString* out,
                               const CXQFTString& defaultValue)
{
    if (!m_document) {
        *out = defaultValue;
        return kNotLoaded;
    }
    int result = GetString(key, out);
    if (result == kMissing || result == kWrongType)
        *out = defaultValue;
    return result;
}

int CXQFPreferences::GetString(const CXQFTString& key, CXQFTString* out)
{
    const char* text = nullptr;
    int result = ReadText(key, kTagString, &text);
    if (result == kDone)
        out->Assign(text);
    return result;
}

int CXQFPreferences::GetStringArray(const CXQFTString& key, CXQFTArray<CXQFTString>* out)
{
    if (!m_document || !ReloadIfChanged())
        return kNotLoaded;
    XMLElement* value = nullptr;
    if (FindEntry(SKeyPath(key.CStr()), &value) != kDone)
        return kMissing;
    if (strcasecmp(value->Name(), PlistTag(kTagArray).CStr()) != 0)
        return kWrongType;
    for (XMLElement* item = value->FirstChildElement(); item; item = item->NextSiblingElement()) {
        const XMLText* text = FirstText(item);
        out->Append(text ? CXQFTString(text->Value()) : CXQFTString());
    }
    return kDone;
}

int CXQFPreferences::GetData(const CXQFTString& key, void** data, uint32_t* size)
{
    const char* text = nullptr;
    int result = ReadText(key, kTagData, &text);
    if (result != kDone)
        return result;
    std::vector<char> bytes;
    if (!DecodeBase64(text, &bytes) || bytes.size() > UINT32_MAX)
        return kNotLoaded;
    void* buffer = nullptr;
    if (!bytes.empty()) {
        buffer = malloc(bytes.size());
        if (!buffer)
            return kNotLoaded;
        memcpy(buffer, bytes.data(), bytes.size());
    }
    *data = buffer;
    *size = uint32_t(bytes.size());
    return kDone;
}

int CXQFPreferences::SetString(const CXQFTString& key, const CXQFTString& value)
{
    return SetText(key, kTagString, value.CStr());
}

int CXQFPreferences::SetString(const CXQFTString& key, const char* value)
{
    return SetText(key, kTagString, value ? value : "");
}

int CXQFPreferences::SetInteger(const CXQFTString& key, uint32_t value)
{
    char text[16];
    snprintf(text, sizeof text, "%u", value);
    return SetText(key, kTagInteger, text);
}

int CXQFPreferences::SetBool(const CXQFTString& key, bool value)
{
    EPlistTag tag = value ? kTagTrue : kTagFalse;
    XMLElement* element = nullptr;
    int result = PrepareSet(key, tag, &element);
    if (result != kDone)
        return result;
    // Renaming a dict or an array would hide its entries and leave a file other plist readers
    // reject; such a value is not a boolean to overwrite.
    if (element->FirstChildElement())
        return kWrongType;
    element->SetName(PlistTag(tag).CStr());
    NoteChange(key);
    return kDone;
}

int CXQFPreferences::SetStringArray(const CXQFTString& key, const CXQFTArray<CXQFTString>& value)
{
    XMLElement* element = nullptr;
    int result = PrepareSet(key, kTagArray, &element);
    if (result != kDone)
        return result;
    // Replacing the children of a dict or a string with <string> items would corrupt it.
    if (strcasecmp(element->Name(), PlistTag(kTagArray).CStr()) != 0)
        return kWrongType;
    m_index->Forget(element);
    element->DeleteChildren();
    for (uint32_t i = 0; i < value.size; ++i) {
        XMLElement* item = m_document->NewElement(PlistTag(kTagString).CStr());
        item->InsertEndChild(m_document->NewText(value[i].CStr()));
        element->InsertEndChild(item);
    }
    NoteChange(key);
    return kDone;
}

int CXQFPreferences::SetData(const CXQFTString& key, const void* data, uint32_t size)
{
    if (!m_document)
        return kNotLoaded;
    if (key.IsEmpty())
        return kEmptyKey;
    std::string text;
    if (!EncodeBase64(data, size, &text))
        return kNotLoaded;
    return SetText(key, kTagData, text.c_str());
}
