// The recorded-to-host name maps, the playback-window maps and the extension-word test: plain
// tables, no host library.
#include "host/HostExtensions.h"
#include "maps/NameMaps.h"
#include "windows/PlaybackWindows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SAbsentCase
{
    const char* map;
    uint32_t (*get)(uint32_t);
    void (*set)(uint32_t, uint32_t);
    uint32_t absent;
    bool zeroPaired;  // ResetNameMaps enters 0 -> 0
};

const SAbsentCase kMaps[] = {
    {"TextureNameMap", &TextureNameMap::Get, &TextureNameMap::Set, 0, true},
    {"RenderbufferNameMap", &RenderbufferNameMap::Get, &RenderbufferNameMap::Set, kNoHostName, true},
    {"FramebufferNameMap", &FramebufferNameMap::Get, &FramebufferNameMap::Set, kNoHostName, true},
    {"VertexArrayNameMap", &VertexArrayNameMap::Get, &VertexArrayNameMap::Set, 0, true},
    {"ProgramNameMap", &ProgramNameMap::Get, &ProgramNameMap::Set, 0, true},
    {"BufferNameMap", &BufferNameMap::Get, &BufferNameMap::Set, kNoHostName, true},
    {"Es1BufferNameMap", &Es1BufferNameMap::Get, &Es1BufferNameMap::Set, 0, false},
};

TEST(NameMaps, EachMapGivesItsOwnAbsentResultAndKeepsOneEntryPerKey)
{
    for (const SAbsentCase& c : kMaps) {
        SCOPED_TRACE(c.map);
        ResetNameMaps();
        Es1BufferNameMap::Reset();
        EXPECT_EQ(c.get(0), c.zeroPaired ? 0u : c.absent) << "recorded 0 after a reset";
        EXPECT_EQ(c.get(7), c.absent);
        c.set(7, 70);
        c.set(7, 71);  // an existing key is overwritten, not added again
        EXPECT_EQ(c.get(7), 71u);
    }
    ResetNameMaps();
    EXPECT_EQ(TextureNameMap::Table().Count(), 1) << "only 0 -> 0 after the reset";
    EXPECT_EQ(ShaderNameMap::Table().Count(), 0);
    EXPECT_EQ(UniformLocationMap::Table().Count(), 0);
}

TEST(NameMaps, EachShareGroupKeepsItsNamesWhileAnotherIsBound)
{
    ResetNameMaps();
    Es1BufferNameMap::Reset();
    BufferNameMap::Set(5, 50);  // before any group: the first group bound takes them
    BindNameMapGroup(0xA);
    ShaderNameMap::Set(6001, 61, 1, 0);
    Es1BufferNameMap::Set(3, 30);
    UniformLocationMap::SetCurrentProgram(7);

    BindNameMapGroup(0xB);
    EXPECT_EQ(BufferNameMap::Get(5), kNoHostName) << "a new group starts empty";
    EXPECT_EQ(BufferNameMap::Get(0), 0u) << "with 0 -> 0";
    EXPECT_EQ(ShaderNameMap::Get(6001).host, 0u);
    EXPECT_EQ(Es1BufferNameMap::Get(3), 0u);
    EXPECT_EQ(UniformLocationMap::CurrentProgram(), 0u);
    ShaderNameMap::Set(6001, 62, 0, 0);

    BindNameMapGroup(0xA);
    EXPECT_EQ(BufferNameMap::Get(5), 50u);
    EXPECT_EQ(ShaderNameMap::Get(6001).host, 61u);
    EXPECT_EQ(ShaderNameMap::Get(6001).attached, 1);
    EXPECT_EQ(Es1BufferNameMap::Get(3), 30u);
    EXPECT_EQ(UniformLocationMap::CurrentProgram(), 7u);

    DropNameMapGroup(0xB);  // kept aside: forgotten
    BindNameMapGroup(0xB);
    EXPECT_EQ(ShaderNameMap::Get(6001).host, 0u);

    DropNameMapGroup(0xB);  // bound: the live maps are emptied
    EXPECT_EQ(ShaderNameMap::Table().Count(), 0);
    EXPECT_EQ(BufferNameMap::Get(0), 0u);
    BindNameMapGroup(0xA);
    EXPECT_EQ(ShaderNameMap::Get(6001).host, 61u) << "a kept group gets its names back after a drop";
    EXPECT_EQ(BufferNameMap::Get(5), 50u);

    ResetNameMaps();
    BindNameMapGroup(0xC);
    BindNameMapGroup(0xA);
    EXPECT_EQ(ShaderNameMap::Get(6001).host, 0u) << "ResetNameMaps forgets the kept groups";
    ResetNameMaps();
    Es1BufferNameMap::Reset();
}

TEST(NameMaps, EraseMovesTheLastEntryAndIgnoresMissingKeys)
{
    ResetNameMaps();
    BufferNameMap::Set(5, 50);
    BufferNameMap::Set(6, 60);
    BufferNameMap::Erase(99);  // missing: nothing changes
    EXPECT_EQ(BufferNameMap::Table().Count(), 3);
    BufferNameMap::Erase(0);
    EXPECT_EQ(BufferNameMap::Table().KeyAt(0), 6u) << "the last entry takes the erased one's place";
    EXPECT_EQ(BufferNameMap::Get(0), kNoHostName);
    EXPECT_EQ(BufferNameMap::Get(5), 50u);
}

TEST(NameMaps, TenThousandNamesStayFindableThroughErasesAndAReset)
{
    ResetNameMaps();
    for (uint32_t i = 1; i <= 10000; ++i)
        TextureNameMap::Set(i * 3, i);
    for (uint32_t i = 1; i <= 10000; i += 2)
        TextureNameMap::Erase(i * 3);
    for (uint32_t i = 1; i <= 10000; ++i)
        ASSERT_EQ(TextureNameMap::Get(i * 3), i % 2 ? 0u : i) << i;
    const int32_t capacity = TextureNameMap::Table().Capacity();
    ResetNameMaps();
    EXPECT_EQ(TextureNameMap::Table().Capacity(), capacity) << "a reset keeps the capacity";
    EXPECT_EQ(TextureNameMap::Get(6), 0u);
}

TEST(NameMaps, ShaderEntriesCarryTheirFlags)
{
    ResetNameMaps();
    const SHostShader missing = ShaderNameMap::Get(3);
    EXPECT_EQ(missing.host, 0u);
    EXPECT_EQ(missing.attached, 0);
    EXPECT_EQ(missing.deletePending, 0);
    ShaderNameMap::Set(3, 30, 1, 0);
    SHostShader e = ShaderNameMap::Get(3);
    e.deletePending = 1;
    ShaderNameMap::SetEntry(3, e);
    EXPECT_EQ(ShaderNameMap::Get(3).host, 30u);
    EXPECT_EQ(ShaderNameMap::Get(3).attached, 1);
    EXPECT_EQ(ShaderNameMap::Get(3).deletePending, 1);
    ShaderNameMap::Erase(3);
    EXPECT_EQ(ShaderNameMap::Get(3).host, 0u);
}

TEST(NameMaps, ProgramReverseLookupTakesTheLaterEntry)
{
    ResetNameMaps();
    ProgramNameMap::Set(4, 40);
    ProgramNameMap::Set(5, 40);
    EXPECT_EQ(ProgramNameMap::FindRecorded(40), 5u);
    EXPECT_EQ(ProgramNameMap::FindRecorded(41), 0u);
}

TEST(NameMaps, UniformLocationsAreLookedUpInTheCurrentProgramOnly)
{
    ResetNameMaps();
    UniformLocationMap::Set(10, 2, 7);
    EXPECT_EQ(UniformLocationMap::Get(2), -1) << "current program 0";
    UniformLocationMap::SetCurrentProgram(11);
    EXPECT_EQ(UniformLocationMap::Get(2), -1) << "another program has the location";
    UniformLocationMap::SetCurrentProgram(10);
    EXPECT_EQ(UniformLocationMap::Get(2), 7);
    UniformLocationMap::ResetProgram(10);
    EXPECT_EQ(UniformLocationMap::Get(2), -1);
    UniformLocationMap::Set(10, 2, 8);
    ResetNameMaps();
    EXPECT_EQ(UniformLocationMap::CurrentProgram(), 0u);
    UniformLocationMap::SetCurrentProgram(10);
    EXPECT_EQ(UniformLocationMap::Get(2), -1) << "a reset frees every program's table";
}

TEST(NameMaps, Es1VertexArrayLookupEntersUnknownNamesAsZero)
{
    SEs1ExtensionState state;
    EXPECT_EQ(state.GetVertexArray(9), 0u);
    EXPECT_EQ(state.vertexArrays.Count(), 1);
    state.SetVertexArray(9, 90);
    EXPECT_EQ(state.GetVertexArray(9), 90u);
    Es1BufferNameMap::Set(1, 10);
    ResetEs1Names(state);
    EXPECT_EQ(state.vertexArrays.Count(), 0);
    EXPECT_EQ(Es1BufferNameMap::Get(1), 0u);
}

// A fake window back end that counts what it is asked for.
int g_creates = 0, g_resizes = 0, g_pumps = 0;
bool g_quit = false;
NativeHandle FakeCreate() { return 0x100 + ++g_creates; }
NativeHandle FakeResize(int32_t w, uint32_t h, const char* title, NativeHandle native)
{
    ++g_resizes;
    EXPECT_STREQ(title, "XQFTracePlayback");
    return native * 0x1000 + uint64_t(w) * 10 + h;
}
bool FakePump(NativeHandle window)
{
    ++g_pumps;
    return !(g_quit && window == 0);
}

TEST(PlaybackWindows, OneNativeWindowPerDisplayAndOneHostWindowPerRecordedWindow)
{
    PlaybackWindowMap::Table().Reset();
    EXPECT_EQ(GetPlaybackWindow(kFirstPlaybackWindow), 0u) << "all bits set on an empty map";
    EXPECT_EQ(GetPlaybackWindow(1), 0u);
    SNativeWindowFuncs fake{&FakeCreate, &FakeResize, nullptr, &FakePump};
    const NativeHandle native = GetNativeDisplayWindow(fake, 0xAA);
    EXPECT_EQ(GetNativeDisplayWindow(fake, 0xAA), native);
    EXPECT_EQ(g_creates, 1);
    const NativeHandle first = CreatePlaybackWindow(fake, SEglSurfaceWindow{0x51, 8, 4}, native);
    const NativeHandle second = CreatePlaybackWindow(fake, SEglSurfaceWindow{0x52, 6, 2}, native);
    EXPECT_NE(first, second) << "a second recorded window on the display";
    EXPECT_EQ(CreatePlaybackWindow(fake, SEglSurfaceWindow{0x51, 8, 4}, native), first)
        << "a known recorded window at its size is not resized again";
    EXPECT_EQ(g_resizes, 2);
    EXPECT_EQ(GetPlaybackWindow(kFirstPlaybackWindow), first);
    EXPECT_EQ(GetPlaybackWindow(0x52), second);
    // The same handle at another size (the next trace's window, or one the device resized) is sized
    // again and entered anew.
    const NativeHandle resized = CreatePlaybackWindow(fake, SEglSurfaceWindow{0x52, 99, 99}, native);
    EXPECT_EQ(g_resizes, 3);
    EXPECT_EQ(resized, native * 0x1000 + 99 * 10 + 99);
    EXPECT_EQ(GetPlaybackWindow(0x52), resized);
    EXPECT_EQ(CreatePlaybackWindow(fake, SEglSurfaceWindow{0x52, 99, 99}, native), resized);
    EXPECT_EQ(g_resizes, 3);

    g_pumps = 0;
    EXPECT_TRUE(PumpPlaybackWindows(fake));
    EXPECT_EQ(g_pumps, 3) << "each window, then the rest";
    g_quit = true;
    EXPECT_FALSE(PumpPlaybackWindows(fake));
    g_quit = false;
}

TEST(PlaybackWindows, OneByOneBecomesTheDefaultPlaybackSize)
{
    struct SCase
    {
        int32_t w;
        uint32_t h, wantW, wantH;
    } cases[] = {{1, 1, 1296, 790}, {1, 2, 1, 2}, {0, 0, 0, 0}, {800, 480, 800, 480}};
    for (const SCase& c : cases) {
        int32_t w = c.w;
        uint32_t h = c.h;
        PlaybackWindowSize(w, h);
        EXPECT_EQ(uint32_t(w), c.wantW);
        EXPECT_EQ(h, c.wantH);
    }
}

TEST(HostExtensions, NamesMatchOnlyAsWholeWords)
{
    struct SCase
    {
        const char* extensions;
        const char* name;
        bool found;
    } cases[] = {
        {"GL_OES_mapbuffer GL_EXT_x", "GL_OES_mapbuffer", true},          // first word
        {"GL_EXT_x GL_OES_mapbuffer", "GL_OES_mapbuffer", true},          // last word
        {"GL_EXT_x GL_OES_mapbuffer GL_y", "GL_OES_mapbuffer", true},     // inside
        {"GL_OES_mapbuffer_range GL_EXT_x", "GL_OES_mapbuffer", false},   // the start of a longer word
        {"XGL_OES_mapbuffer", "GL_OES_mapbuffer", false},                 // the end of a longer word
        {"GL_OES_mapbuffer_range GL_OES_mapbuffer", "GL_OES_mapbuffer", true},
        {"GL_OES_mapbufferGL_OES_mapbuffer", "GL_OES_mapbuffer", true},    // right after a rejected match
        {"", "GL_OES_mapbuffer", false},
        {nullptr, "GL_OES_mapbuffer", false},
        {"GL_OES_mapbuffer", "", false},
        {"GL_A GL_B", "GL_A GL_B", false},                                // a name with a blank
    };
    for (const SCase& c : cases)
        EXPECT_EQ(HasExtension(c.extensions, c.name), c.found)
            << (c.extensions ? c.extensions : "(null)") << " / " << c.name;
}

TEST(HostExtensions, AnApiOtherThanOneOrTwoProbesNothing)
{
    const uint8_t api = 3;
    EXPECT_FALSE(LoadHostExtensions(&api));
    EXPECT_FALSE(LoadHostExtensions(nullptr));
}

} // namespace
