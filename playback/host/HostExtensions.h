#pragma once
// Which of a fixed set of extensions the host offers, and their entry points fetched through the
// host's eglGetProcAddress into the extension slots of SEs1Host and SEs2Host. Run with a context of
// the API current.
#include "HostTables.h"
#include "apicall/EsVersion.h"

#include <cstdint>
#include <vector>

// Whether name is a whole blank-separated word of the extension string (false for a null string,
// an empty name or a name holding a blank).
bool HasExtension(const char* extensions, const char* name);

// Probes the extensions of API tag 1 (ES 1.1, which probes the ES 2.0 part too) or 2 (ES 2.0) and
// fills the slots of those the host lists (with whatever eglGetProcAddress returns). False for
// another tag or when the ES 1.1 host returns no extension string.
bool LoadHostExtensions(const uint8_t* apiTag);

// One row of the probe table: the API part (1 or 2), the extension and the slots it fills.
struct SExtensionProbe
{
    uint8_t api;
    const char* extension;
    struct SSlot
    {
        const char* name;
        void* SHostExtensionSlots::*member;
    };
    std::vector<SSlot> slots;
};
// The probe table in probing order.
const std::vector<SExtensionProbe>& ExtensionProbes();
