// Every (EGL id, format version) pair through the factory: the class it makes, its name, id and
// category, and the names of the arguments it lists in order, with and without recorded data.
#include <gtest/gtest.h>

#include <cxxabi.h>
#include <memory>
#include <string>
#include <vector>

#include "CallQueries.h"
#include "LoadFixture.h"
#include "apicall/ApiCall.h"
#include "EglFactory.h"
#include "apicall/CallInfo.h"
#include "record/Trace.h"
#include "state/EglState.h"
#include "stream/IOManager.h"

namespace {
using Names = std::vector<std::string>;

struct SRow
{
    uint16_t id;
    uint32_t from, to;  // format versions that make this class
    const char* cls;
    const char* function;
    Names withData;     // verbose listing, return value not included
    Names withoutData;  // empty: the same as withData
};

constexpr uint32_t kAny = 99;

// Written from the record table of the EGL calls.
const SRow kRows[] = {
    {1001, 1, kAny, "CEgl_eglChooseConfig_v1", "eglChooseConfig", {"dpy", "attrib_list", "configs", "config_size", "num_config"}, {}},
    {1002, 1, 5, "CEgl_eglCopyBuffers_v1", "eglCopyBuffers", {"dpy", "surface", "target"}, {}},
    {1002, 6, kAny, "CEgl_eglCopyBuffers_v6", "eglCopyBuffers", {"dpy", "surface", "target"}, {}},
    {1003, 1, kAny, "CEgl_eglCreateContext_v1", "eglCreateContext",
     {"dpy", "config", "share_context", "attrib_list_contex", "attrib_list_config"},
     {"dpy", "config", "share_context", "attrib_list", "attrib_list_config"}},
    {1004, 6, kAny, "CEgl_eglCreatePbufferSurface_v6", "eglCreatePbufferSurface",
     {"dpy", "config", "attrib_list", "SurfaceDesc"}, {"dpy", "config", "attrib_list"}},
    {1005, 6, kAny, "CEgl_eglCreatePixmapSurface_v6", "eglCreatePixmapSurface", {"dpy", "config", "pixmap", "attrib_list"}, {}},
    {1006, 6, 6, "CEgl_eglCreateWindowSurface_v6", "eglCreateWindowSurface", {"dpy", "config", "win", "attrib_list"}, {}},
    {1006, 7, kAny, "CEgl_eglCreateWindowSurface_v7", "eglCreateWindowSurface",
     {"dpy", "config", "win", "attrib_list", "attrib_list"}, {}},
    {1007, 1, kAny, "CEgl_eglDestroyContext_v1", "eglDestroyContext", {"dpy", "ctx"}, {}},
    {1008, 1, kAny, "CEgl_eglDestroySurface_v1", "eglDestroySurface", {"dpy", "surface"}, {}},
    {1009, 1, kAny, "CEgl_eglGetConfigAttrib_v1", "eglGetConfigAttrib", {"dpy", "config", "attribute", "value"}, {}},
    {1010, 1, kAny, "CEgl_eglGetConfigs_v1", "eglGetConfigs", {"dpy", "configs", "config_size", "num_config"}, {}},
    {1011, 1, kAny, "CEgl_eglGetCurrentContext_v1", "eglGetCurrentContext", {}, {}},
    {1012, 1, kAny, "CEgl_eglGetCurrentDisplay_v1", "eglGetCurrentDisplay", {}, {}},
    {1013, 1, kAny, "CEgl_eglGetCurrentSurface_v1", "eglGetCurrentSurface", {"readdraw"}, {}},
    {1014, 1, 5, "CEgl_eglGetDisplay_v1", "eglGetDisplay", {"display_id"}, {}},
    {1014, 6, kAny, "CEgl_eglGetDisplay_v6", "eglGetDisplay", {"NativeDisplayType"}, {}},
    {1015, 1, kAny, "CEgl_eglGetError_v1", "eglGetError", {}, {}},
    {1016, 1, kAny, "CEgl_eglGetProcAddress_v1", "eglGetProcAddress", {"procname"}, {}},
    {1017, 6, 6, "CEgl_eglInitialize_v6", "eglInitialize", {"dpy", "major_v", "minor_v"}, {}},
    {1017, 7, kAny, "CEgl_eglInitialize_v7", "eglInitialize", {"dpy", "major_v", "minor_v"}, {}},
    {1018, 7, 8, "CEgl_eglMakeCurrent_v1", "eglMakeCurrent", {"dpy", "draw", "read", "ctx"}, {}},
    {1018, 9, kAny, "CEgl_eglMakeCurrent_v2", "eglMakeCurrent", {"dpy", "draw", "read", "ctx"}, {}},
    {1019, 1, kAny, "CEgl_eglQueryContext_v1", "eglQueryContext", {"dpy", "ctx", "attribute", "value"}, {}},
    {1020, 1, kAny, "CEgl_eglQueryString_v1", "eglQueryString", {"dpy", "name"}, {}},
    {1021, 1, kAny, "CEgl_eglQuerySurface_v1", "eglQuerySurface", {"dpy", "surface", "attribute", "value"}, {}},
    {1022, 1, 5, "CEgl_eglSwapBuffers_v1", "eglSwapBuffers", {"dpy", "surface"}, {}},
    {1022, 6, 8, "CEgl_eglSwapBuffers_v6", "eglSwapBuffers", {"dpy", "surface"}, {}},
    {1022, 9, 9, "CEgl_eglSwapBuffers_v9", "eglSwapBuffers", {"dpy", "surface"}, {}},
    {1022, 10, kAny, "CEgl_eglSwapBuffers_v10", "eglSwapBuffers", {"dpy", "surface", "frame", "width", "height", "frameData"}, {}},
    {1023, 1, kAny, "CEgl_eglTerminate_v1", "eglTerminate", {"dpy"}, {}},
    {1024, 1, kAny, "CEgl_eglWaitGL_v1", "eglWaitGL", {}, {}},
    {1025, 1, kAny, "CEgl_eglWaitNative_v1", "eglWaitNative", {"engine"}, {}},
    {1026, 1, kAny, "CEgl_eglBindTexImage_v1", "eglBindTexImage", {"dpy", "surface", "buffer"}, {}},
    {1027, 1, kAny, "CEgl_eglReleaseTexImage_v1", "eglReleaseTexImage", {"dpy", "surface", "buffer"}, {}},
    {1028, 1, kAny, "CEgl_eglSurfaceAttrib_v1", "eglSurfaceAttrib", {"dpy", "surface", "attribute", "value"}, {}},
    {1029, 1, kAny, "CEgl_eglSwapInterval_v1", "eglSwapInterval", {"dpy", "interval"}, {}},
    {1030, 1, kAny, "CEgl_eglBindAPI_v1", "eglBindAPI", {"api"}, {}},
    {1031, 1, kAny, "CEgl_eglCreatePbufferFromClientBuffer_v1", "eglCreatePbufferFromClientBuffer",
     {"dpy", "buftype", "buffer", "config", "attrib_list"}, {}},
    {1032, 1, kAny, "CEgl_eglQueryAPI_v1", "eglQueryAPI", {}, {}},
    {1033, 1, kAny, "CEgl_eglReleaseThread_v1", "eglReleaseThread", {}, {}},
    {1034, 1, kAny, "CEgl_eglWaitClient_v1", "eglWaitClient", {}, {}},
    {1100, 1, kAny, "CEgl_eglSetSwapRectangleANDROID_v1", "eglSetSwapRectangleANDROID",
     {"dpy", "draw", "left", "top", "width", "height"}, {}},
    {1101, 1, kAny, "CEgl_eglGetRenderBufferANDROID_v1", "eglGetRenderBufferANDROID", {"dpy", "draw"}, {}},
    {1102, 1, kAny, "CEgl_eglLockSurfaceKHR_v1", "eglLockSurfaceKHR", {"display", "surface", "attrib_list"}, {}},
    {1103, 1, kAny, "CEgl_eglUnlockSurfaceKHR_v1", "eglUnlockSurfaceKHR", {"display", "surface"}, {}},
    {1104, 1, kAny, "CEgl_eglCreateImageKHR_v1", "eglCreateImageKHR", {"dpy", "ctx", "target", "buffer", "attrib_list"}, {}},
    {1105, 1, kAny, "CEgl_eglDestroyImageKHR_v1", "eglDestroyImageKHR", {"dpy", "image"}, {}},
};

std::string ClassName(const CApiCall& call)
{
    int status = 0;
    char* name = abi::__cxa_demangle(typeid(call).name(), nullptr, nullptr, &status);
    std::string out = name ? name : typeid(call).name();
    std::free(name);
    const size_t colons = out.rfind("::");
    return colons == std::string::npos ? out : out.substr(colons + 2);
}

const SRow* Expected(uint16_t id, uint32_t version)
{
    for (const SRow& r : kRows)
        if (r.id == id && version >= r.from && version <= r.to)
            return &r;
    return nullptr;
}

// A record context over a payload of zeros, so every class can be built at every version.
class EglRecordTable : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_path = TempPath("zeros.bin");
        WriteFileBytes(m_path, std::vector<unsigned char>(256, 0));
        ASSERT_TRUE(IOManager::Instance().Open(CXQFTString(m_path.c_str())));
    }
    void TearDown() override { IOManager::Instance().Close(); }

    std::unique_ptr<CApiCall> Make(CTrace& trace, uint16_t id)
    {
        IOManager::Instance().Seek(0, 0);
        trace.SetRecordSize(256);
        return std::unique_ptr<CApiCall>(CreateCallById(id, &trace));
    }

    std::string m_path;
    std::vector<int8_t> m_sizes = std::vector<int8_t>(30, 4);
};

Names Listed(CApiCall& call, uint8_t verbose)
{
    CGenCallInfo info;
    call.ListArguments(&info, verbose);
    EXPECT_STREQ(info.GetApi(), "EGL");
    Names names;
    for (const CXQFTString& n : info.GetArgumentNames())
        names.push_back(n.CStr());
    return names;
}
}  // namespace

TEST_F(EglRecordTable, EveryIdAndVersionMakesItsClass)
{
    std::vector<uint16_t> ids;
    for (uint16_t id = 990; id <= 1210; ++id)
        ids.push_back(id);
    for (uint32_t version = 0; version <= 12; ++version) {
        for (uint8_t data : {0, 1}) {
            CTrace trace(version, data, m_sizes.data(), static_cast<uint8_t>(m_sizes.size()));
            for (uint16_t id : ids) {
                SCOPED_TRACE(testing::Message() << "id " << id << " version " << version << " data " << int(data));
                std::unique_ptr<CApiCall> call = Make(trace, id);
                const SRow* row = Expected(id, version);
                if (!row) {
                    EXPECT_EQ(call, nullptr);
                    continue;
                }
                ASSERT_NE(call, nullptr);
                EXPECT_EQ(ClassName(*call), row->cls);
                EXPECT_STREQ(call->GetName(), row->function);
                EXPECT_STREQ(call->GetNameString().CStr(), row->function);
                EXPECT_EQ(call->GetId(), id);
                EXPECT_STREQ(call->GetCategory(), "");
                EXPECT_EQ(call->GetApiKind(), kApiEgl);
                EXPECT_EQ(call->GetError()->value, 0u);
                const Names& expected = (!data && !row->withoutData.empty()) ? row->withoutData : row->withData;
                EXPECT_EQ(Listed(*call, 1), expected);
            }
        }
    }
}

TEST_F(EglRecordTable, VerboseAndHiddenItems)
{
    CTrace trace(11, 1, m_sizes.data(), static_cast<uint8_t>(m_sizes.size()));
    // The frame items of eglSwapBuffers are listed only in the verbose listing.
    EXPECT_EQ(Listed(*Make(trace, CallIdOf(ECallFamily::Egl, "eglSwapBuffers")), 0), (Names{"dpy", "surface"}));
    // Hidden items are passed with the hidden flag: only the context's config list here.
    CGenCallInfo info;
    auto context = Make(trace, CallIdOf(ECallFamily::Egl, "eglCreateContext"));
    context->ListArguments(&info, 1);
    EXPECT_EQ(info.GetVisibleArgumentCount(), 4u);
    EXPECT_EQ(Listed(*context, 0), (Names{"dpy", "config", "share_context", "attrib_list_contex"}));
    auto window = Make(trace, CallIdOf(ECallFamily::Egl, "eglCreateWindowSurface"));
    EXPECT_EQ(Listed(*window, 0), (Names{"dpy", "config", "win", "attrib_list"}));
    // The longer eglMakeCurrent record lists what the older one does.
    EXPECT_EQ(Listed(*Make(trace, CallIdOf(ECallFamily::Egl, "eglMakeCurrent")), 1),
              (Names{"dpy", "draw", "read", "ctx"}));
}

// Only a call that recorded EGL_SUCCESS changed anything on the device: the nine tracked calls
// read from a zero payload (EGL error 0, which is not EGL_SUCCESS) leave the state as it was.
TEST_F(EglRecordTable, CallsWithoutEglSuccessChangeNoState)
{
    CTrace trace(11, 1, m_sizes.data(), static_cast<uint8_t>(m_sizes.size()));
    for (uint16_t id :
         {CallIdOf(ECallFamily::Egl, "eglCreateContext"), CallIdOf(ECallFamily::Egl, "eglCreateWindowSurface"),
          CallIdOf(ECallFamily::Egl, "eglDestroyContext"), CallIdOf(ECallFamily::Egl, "eglDestroySurface"),
          CallIdOf(ECallFamily::Egl, "eglGetDisplay"), CallIdOf(ECallFamily::Egl, "eglInitialize"),
          CallIdOf(ECallFamily::Egl, "eglMakeCurrent"), CallIdOf(ECallFamily::Egl, "eglSwapInterval"),
          CallIdOf(ECallFamily::Egl, "eglBindAPI")}) {
        SCOPED_TRACE(testing::Message() << "id " << id);
        SEglState state;
        state.contexts[0].config = 5;  // handle 0 is what a zero payload names
        state.surfaces[0].config = 6;
        state.currentApi = 0x30A0;
        state.currentContext = 9;
        EXPECT_FALSE(Make(trace, id)->ApplyEffect(&state, 1));
        EXPECT_EQ(state.contexts.Count(), 1);
        EXPECT_EQ(state.contexts[0].config, 5u);
        EXPECT_EQ(state.surfaces.Count(), 1);
        EXPECT_EQ(state.displays.Count(), 0);
        EXPECT_EQ(state.currentApi, 0x30A0u);
        EXPECT_EQ(state.currentContext, 9u);
    }
}
