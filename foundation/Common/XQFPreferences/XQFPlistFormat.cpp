#include "XQFPlistFormat.h"

const CXQFTStringHash& PlistTag(EPlistTag tag)
{
    static const CXQFTStringHash tags[kPlistTagCount] = {
        CXQFTStringHash("string"), CXQFTStringHash("integer"), CXQFTStringHash("real"),
        CXQFTStringHash("true"),   CXQFTStringHash("false"),   CXQFTStringHash("array"),
        CXQFTStringHash("dict"),   CXQFTStringHash("data"),    CXQFTStringHash("key"),
    };
    return tags[tag];
}

const char kPlistTemplate[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n"
    "<dict>\n"
    "</dict>\n"
    "</plist>\n";
