#pragma once
// The property-list vocabulary shared by the store and its file back end.
#include "XQFTStringHash.h"

#include <cstdint>
#include <cstring>
#include <tinyxml2.h>

// Element names of the format. The index doubles as the type code of the store's accessors.
enum EPlistTag : uint32_t {
    kTagString = 0,
    kTagInteger = 1,
    kTagReal = 2, // known, but no accessor reads or writes it
    kTagTrue = 3,
    kTagFalse = 4,
    kTagArray = 5,
    kTagDict = 6,
    kTagData = 7,
    kTagKey = 8,
    kPlistTagCount = 9
};

// The nine tag names, built on first use and kept for the life of the process.
const CXQFTStringHash& PlistTag(EPlistTag tag);

// Whether element is named tag, compared in full.
inline bool NameIs(const tinyxml2::XMLElement* element, EPlistTag tag)
{
    return PlistTag(tag) == element->Name();
}

// Whether element's name hashes as tag's: the quick test, which another name may pass too.
inline bool HashIs(const tinyxml2::XMLElement* element, EPlistTag tag)
{
    const char* name = element->Name();
    return PlistTag(tag) == XQFTHashFnv1(name, strlen(name));
}

// The whole text of a new settings file: declaration, document type, and an empty root dict.
extern const char kPlistTemplate[];
