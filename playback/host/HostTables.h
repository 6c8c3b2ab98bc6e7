#pragma once
// The three host entry-point tables: a loaded host library followed by one entry point per
// recorded function in call-id order, so that a player reaches the entry point of call id n at slot
// n minus the API's first id. Each is a process-wide object built by its Instance function.
//
// Typed calls go through XQF_HOST(table, glFoo), which picks glFoo's slot at compile time (the names
// come from the call tables' rows, HostNames.h) and types it by the Khronos prototype that the
// calling file includes (<EGL/egl.h>, <GLES2/gl2.h> or <GLES/gl.h>). An empty slot (an entry point the
// host lacks) is called as a stub that does nothing and returns 0, never through a null pointer.
#include "HostLib.h"
#include "HostNames.h"
#include "record/XqftError.h"

#include <cstdint>
#include <type_traits>

// Extension entry points, filled by LoadHostExtensions (HostExtensions.h) for the extensions the host
// lists; null otherwise. Each table uses the members of its own probe rows.
struct SHostExtensionSlots
{
    void* glCurrentPaletteMatrixOES = nullptr;
    void* glLoadPaletteFromModelViewMatrixOES = nullptr;
    void* glMatrixIndexPointerOES = nullptr;
    void* glWeightPointerOES = nullptr;
    void* glMapBufferOES = nullptr;
    void* glUnmapBufferOES = nullptr;
    void* glGetBufferPointervOES = nullptr;
    void* glIsRenderbufferOES = nullptr;
    void* glBindRenderbufferOES = nullptr;
    void* glDeleteRenderbuffersOES = nullptr;
    void* glGenRenderbuffersOES = nullptr;
    void* glRenderbufferStorageOES = nullptr;
    void* glGetRenderbufferParameterivOES = nullptr;
    void* glIsFramebufferOES = nullptr;
    void* glBindFramebufferOES = nullptr;
    void* glDeleteFramebuffersOES = nullptr;
    void* glGenFramebuffersOES = nullptr;
    void* glCheckFramebufferStatusOES = nullptr;
    void* glFramebufferTexture2DOES = nullptr;
    void* glFramebufferRenderbufferOES = nullptr;
    void* glGetFramebufferAttachmentParameterivOES = nullptr;
    void* glGenerateMipmapOES = nullptr;
    void* glMultiDrawElementsEXT = nullptr;
    void* glMultiDrawArraysEXT = nullptr;
    void* glBindVertexArrayOES = nullptr;
    void* glDeleteVertexArraysOES = nullptr;
    void* glGenVertexArraysOES = nullptr;
    void* glIsVertexArrayOES = nullptr;
    void* glDiscardFramebufferEXT = nullptr;
    void* glFramebufferTexture2DMultisampleWZQ = nullptr;
    void* glRenderbufferStorageMultisampleWZQ = nullptr;
};

// The entry points of one table, by slot.
template <uint16_t FirstId, uint16_t Count, const auto& Names>
struct THostEntries
{
    static constexpr uint16_t kFirstId = FirstId;
    static constexpr uint16_t kCount = Count;
    static constexpr const auto& kNames = Names;
    static_assert(std::size(Names) == Count, "one name per slot");

    void* entries[Count] = {};

    // The entry point of a call id; null outside the table's ids.
    void* EntryOfId(uint32_t id) const { return id >= FirstId && id < FirstId + Count ? entries[id - FirstId] : nullptr; }
    uint32_t ResolvedCount() const
    {
        uint32_t n = 0;
        for (void* e : entries)
            n += e != nullptr;
        return n;
    }
};

struct SEglHost : SHostLib, THostEntries<kEglHostFirstId, kEglHostCount, kEglHostNames>
{
    // Builds the table on first use (the host-library settings first). Reports nothing itself.
    static SEglHost* Instance();

private:
    SEglHost();
};

struct SEs1Host : SHostLib, THostEntries<kEs1HostFirstId, kEs1HostCount, kEs1HostNames>
{
    SHostExtensionSlots ext;

    // Builds the table on first use; a failed table is reported ("Could not load Host library
    // OGLES1...") and returned all the same.
    static SEs1Host* Instance();

private:
    SEs1Host();
};

struct SEs2Host : SHostLib, THostEntries<kEs2HostFirstId, kEs2HostCount, kEs2HostNames>
{
    SHostExtensionSlots ext;
    // The host's own wireframe switch (1 on, 0 off), when its ES 2.0 library exports one.
    void (*Mirbex_ToggleWireframe)(uint8_t) = nullptr;

    // Builds the table on first use; a failed table is reported ("Could not load Host library
    // OGLES2...") and throws CXqftError("Missing Mirbex Libraries").
    static SEs2Host* Instance();

private:
    SEs2Host();
};

namespace hostcall {
// What an empty slot is called as: nothing happens, the result is 0.
template <class F>
struct TNullEntry;
template <class R, class... A>
struct TNullEntry<R (*)(A...)>
{
    static R Call(A...)
    {
        if constexpr (!std::is_void_v<R>)
            return R{};
    }
};

template <class F>
F Typed(void* entry)
{
    return entry ? reinterpret_cast<F>(entry) : &TNullEntry<F>::Call;
}
} // namespace hostcall

// The slot of entry point `fn` in a host table (a table object, not a pointer), as an lvalue.
#define XQF_HOST_SLOT(table, fn) ((table).entries[HostSlot(std::remove_cvref_t<decltype(table)>::kNames, #fn)])
// The entry point `fn` of a host table, typed by its prototype.
#define XQF_HOST(table, fn) (hostcall::Typed<decltype(&::fn)>(XQF_HOST_SLOT(table, fn)))
