// Key paths and the typed getters and setters of the preference store. A dictionary's child
// elements alternate: a <key> holding the entry's name, then the entry's value element.
#include "XQFPreferences.h"

#include "XQFBase64.h"
#include "XQFPlistFormat.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <strings.h>
#include <tinyxml2.h>

using tinyxml2::XMLElement;
using tinyxml2::XMLNode;
using tinyxml2::XMLText;

namespace {

enum class EPair { kFound, kNotFound, kNoValue };

const XMLText* FirstText(const XMLElement* element)
{
    const XMLNode* child = element->FirstChild();
    return child ? child->ToText() : nullptr;
}

bool NameIs(const XMLElement* element, EPlistTag tag)
{
    return PlistTag(tag) == element->Name();
}

bool HashIs(const XMLElement* element, EPlistTag tag)
{
    const char* name = element->Name();
    return PlistTag(tag) == XQFTHashFnv1(name, strlen(name));
}

// Walks the key/value pairs that start at first for the key named part. The key element's own
// name is not checked: what matters is its text.
EPair FindPair(XMLElement* first, const CXQFTString& part, XMLElement** value)
{
    for (XMLElement* key = first; key;) {
        XMLElement* next = key->NextSiblingElement();
        const XMLText* text = FirstText(key);
        if (text && part == text->Value()) {
            if (!next)
                return EPair::kNoValue;
            *value = next;
            return EPair::kFound;
        }
        key = next ? next->NextSiblingElement() : nullptr;
    }
    return EPair::kNotFound;
}

// Stream extraction: leading white space is skipped and reading stops at the first character
// that cannot continue the number, so "12abc" is 12 and "abc" is no number (out untouched).
int ParseUnsigned(const char* text, uint32_t* out)
{
    std::istringstream in(text);
    unsigned int value = 0;
    in >> value;
    if (in.fail())
        return CXQFPreferences::kWrongType;
    *out = value;
    return CXQFPreferences::kDone;
}

} // namespace

CXQFTArray<CXQFTString> CXQFPreferences::SplitKeyPath(const CXQFTString& key)
{
    CXQFTString text(key);
    if (!text.IsEmpty() && text.At(0) == '/')
        text.Erase(0, 1);
    if (!text.IsEmpty() && text.At(text.Length() - 1) == '/')
        text.Erase(text.Length() - 1);

    CXQFTArray<CXQFTString> parts;
    size_t start = 0;
    for (;;) {
        size_t slash = start < text.Length() ? text.Find('/', start) : CXQFTString::npos;
        if (slash == CXQFTString::npos) {
            parts.Append(text.Substring(start));
            break;
        }
        if (slash > start)
            parts.Append(text.Substring(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

XMLElement* CXQFPreferences::FirstRootEntry() const
{
    XMLElement* root = m_document ? m_document->FirstChildElement() : nullptr;
    XMLElement* dict = root ? root->FirstChildElement() : nullptr;
    return dict ? dict->FirstChildElement() : nullptr;
}

int CXQFPreferences::FindEntry(const CXQFTArray<CXQFTString>& parts, XMLElement** value) const
{
    if (parts.size == 0 || parts.size > kMaxKeyPathParts)
        return kMissing;
    XMLElement* entry = nullptr;
    if (FindPair(FirstRootEntry(), parts[0], &entry) != EPair::kFound)
        return kMissing;
    if (parts.size == 1) {
        *value = entry;
        return kDone;
    }
    if (!NameIs(entry, kTagDict)) // arrays and other values are whole: no path goes inside
        return kMissing;
    return FindValue(parts, 1, entry->FirstChildElement(), value);
}

int CXQFPreferences::FindValue(const CXQFTArray<CXQFTString>& parts, uint32_t first,
                               XMLElement* firstChild, XMLElement** value) const
{
    for (uint32_t i = first; i < parts.size; ++i) {
        XMLElement* entry = nullptr;
        if (!firstChild || FindPair(firstChild, parts[i], &entry) != EPair::kFound)
            return kMissing;
        if (i + 1 == parts.size) {
            *value = entry;
            return kDone;
        }
        if (!NameIs(entry, kTagDict))
            return kMissing;
        firstChild = entry->FirstChildElement();
    }
    return kMissing;
}

int CXQFPreferences::CreatePath(const CXQFTArray<CXQFTString>& parts, uint32_t tag,
                                XMLElement** value)
{
    XMLElement* root = m_document->FirstChildElement();
    XMLElement* dict = root ? root->FirstChildElement() : nullptr;
    if (!dict || parts.size == 0)
        return kNotLoaded;

    auto appendPair = [&](XMLElement* into, const CXQFTString& name, const char* valueTag) {
        XMLElement* key = m_document->NewElement(PlistTag(kTagKey).CStr());
        key->InsertEndChild(m_document->NewText(name.CStr()));
        into->InsertEndChild(key);
        XMLElement* element = m_document->NewElement(valueTag);
        into->InsertEndChild(element);
        return element;
    };

    uint32_t last = parts.size - 1;
    for (uint32_t i = 0; i < last; ++i) {
        XMLElement* next = nullptr;
        switch (FindPair(dict->FirstChildElement(), parts[i], &next)) {
        case EPair::kFound:
            // Writing keys into a string or an array would corrupt that value.
            if (!NameIs(next, kTagDict))
                return kNotLoaded;
            dict = next;
            break;
        case EPair::kNoValue:
            return kNotLoaded;
        case EPair::kNotFound:
            dict = appendPair(dict, parts[i], PlistTag(kTagDict).CStr());
            break;
        }
    }
    XMLElement* element = appendPair(dict, parts[last], PlistTag(EPlistTag(tag)).CStr());
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
    CXQFTArray<CXQFTString> parts = SplitKeyPath(key);
    // "/" or "a//" name no entry: a key without text could never be found again after a reload.
    if (parts[parts.size - 1].IsEmpty())
        return kEmptyKey;
    if (parts.size > kMaxKeyPathParts)
        return kNotLoaded;
    if (FindEntry(parts, value) == kDone)
        return kDone;
    return CreatePath(parts, tag, value);
}

int CXQFPreferences::ReadText(const CXQFTString& key, uint32_t tag, const char** text)
{
    if (!m_document || !ReloadIfChanged())
        return kNotLoaded;
    XMLElement* value = nullptr;
    if (FindEntry(SplitKeyPath(key), &value) != kDone)
        return kMissing;
    if (!NameIs(value, EPlistTag(tag)))
        return kWrongType;
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
    m_dirty = true;
    return kDone;
}

bool CXQFPreferences::HasKey(const CXQFTString& key)
{
    XMLElement* value = nullptr;
    return m_document && FindEntry(SplitKeyPath(key), &value) == kDone;
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
    if (FindEntry(SplitKeyPath(key), &value) != kDone)
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
    if (FindEntry(SplitKeyPath(key), &value) != kDone)
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
    element->SetName(PlistTag(tag).CStr());
    m_dirty = true;
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
    element->DeleteChildren();
    for (uint32_t i = 0; i < value.size; ++i) {
        XMLElement* item = m_document->NewElement(PlistTag(kTagString).CStr());
        item->InsertEndChild(m_document->NewText(value[i].CStr()));
        element->InsertEndChild(item);
    }
    m_dirty = true;
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
