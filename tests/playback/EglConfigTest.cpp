// Matching recorded EGL configs on the host: device-like attribute lists, the relaxation messages in
// order, the listing of the config chosen, the cache, and a host with no config at all.
#include "EglTestSupport.h"
#include "record/XqftError.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>

using namespace egltest;

namespace {

struct SConfigCase
{
    const char* what;
    std::vector<uint32_t> list;
    std::vector<std::string> messages;  // expected in this order
    std::vector<std::string> absent;
};

constexpr uint32_t kNone = EGL_NONE;
const std::string kRelaxed = "Original EGLConfig not valid, attempting to find a similar valid config.";
const std::string kIgnored = "<EGL Config> Parameter to be Ignored/Changed: ";

const SConfigCase kCases[] = {
    {"a device's list is taken as it is (its config id left out)",
     {EGL_CONFIG_ID, 1024, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8, EGL_DEPTH_SIZE, 24,
      EGL_STENCIL_SIZE, 8, EGL_SURFACE_TYPE, EGL_WINDOW_BIT | EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, 4,
      EGL_CONFIG_CAVEAT, EGL_NONE, kNone},
     {"Printing Attribute List", "<Current Attribute List(0): 0x3028 Value: 1024", " Final Config: "},
     {kRelaxed}},
    {"pbuffer limits and the native visual are ignored",
     {EGL_MAX_PBUFFER_WIDTH, 4096, EGL_MAX_PBUFFER_HEIGHT, 4096, EGL_MAX_PBUFFER_PIXELS, 1 << 24,
      EGL_NATIVE_VISUAL_ID, 33, EGL_RED_SIZE, 5, EGL_GREEN_SIZE, 6, EGL_BLUE_SIZE, 5, kNone},
     {" Final Config: "},
     {kRelaxed}},
    {"four samples", {EGL_SAMPLES, 4, EGL_SAMPLE_BUFFERS, 1, kNone}, {" Final Config: "}, {kRelaxed}},
    {"the ES 3 renderable bit", {EGL_RENDERABLE_TYPE, 0x40, kNone}, {" Final Config: "}, {kRelaxed}},
    {"renderable type 5 is rebuilt as 4; 16 samples relax to 1",
     {EGL_RENDERABLE_TYPE, 5, EGL_SAMPLES, 16, kNone},
     {kRelaxed, kIgnored + "3031 Value: 16", "Could not determine equivalent EGLConfig: Using bare config"},
     {}},
    {"the caveat is dropped first, the depth size set to 1 later",
     {EGL_DEPTH_SIZE, 24, EGL_CONFIG_CAVEAT, EGL_NONE, EGL_LUMINANCE_SIZE, 8, kNone},
     {kRelaxed, kIgnored + "3027 Value: 12344", kIgnored + "303d Value: 8", kIgnored + "3025 Value: 24",
      "Using bare config", " Final Config: "},
     {}},
    {"an unknown attribute is dropped by the rebuilt list", {0x3100, 1, EGL_RED_SIZE, 8, kNone}, {kRelaxed},
     {"Using bare config", " Final Config: "}},
    {"a list without EGL_NONE is read within its count", {EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8}, {" Final Config: "},
     {kRelaxed}},
    {"a list of odd length ends before its lone value", {EGL_RED_SIZE, 8, EGL_GREEN_SIZE}, {" Final Config: "},
     {kRelaxed}},
};

class EglConfig : public testing::Test
{
protected:
    void SetUp() override
    {
        egl = SEglHost::Instance();
        if (egl->IsFailed())
            GTEST_SKIP() << "no host EGL library";
        ResetEglMaps();
        SNativeWindowFuncs windows;
        InitNativeWindowFunctions(windows);
        display = XQF_HOST(*egl, eglGetDisplay)(
            reinterpret_cast<EGLNativeDisplayType>(GetNativeDisplayWindow(windows, 0x4242)));
        ASSERT_TRUE(XQF_HOST(*egl, eglInitialize)(display, nullptr, nullptr));
    }
    SEglHost* egl = nullptr;
    EGLDisplay display = EGL_NO_DISPLAY;
};

TEST_F(EglConfig, DeviceListsFindAHostConfigWithTheMessagesInOrder)
{
    uint64_t recorded = 0x100;
    for (const SConfigCase& c : kCases) {
        SCOPED_TRACE(c.what);
        CHostSpy spy;
        XQF_SPY(spy, *egl, eglChooseConfig);
        testing::internal::CaptureStdout();
        void* found = MatchEglConfig(uint64_t(display), ++recorded, c.list.data(), uint32_t(c.list.size()));
        const std::string out = testing::internal::GetCapturedStdout();
        ASSERT_NE(found, nullptr);
        size_t at = 0;
        for (const std::string& m : c.messages) {
            const size_t next = out.find(m, at);
            EXPECT_NE(next, std::string::npos) << "'" << m << "' in order in:\n" << out;
            at = next == std::string::npos ? at : next;
        }
        for (const std::string& m : c.absent)
            EXPECT_EQ(out.find(m), std::string::npos) << m;
        // The listing shows what the host says of the config chosen.
        const std::regex number(R"((EGL_[A-Z_]+)=(-?\d+)\n)");
        for (auto it = std::sregex_iterator(out.begin(), out.end(), number); it != std::sregex_iterator(); ++it) {
            static const std::map<std::string, EGLint> attributes = {
                {"EGL_BUFFER_SIZE", EGL_BUFFER_SIZE}, {"EGL_RED_SIZE", EGL_RED_SIZE},
                {"EGL_DEPTH_SIZE", EGL_DEPTH_SIZE},   {"EGL_STENCIL_SIZE", EGL_STENCIL_SIZE},
                {"EGL_CONFIG_ID", EGL_CONFIG_ID},     {"EGL_SAMPLES", EGL_SAMPLES}};
            const auto a = attributes.find((*it)[1]);
            if (a == attributes.end())
                continue;
            EGLint v = 0;
            XQF_HOST(*egl, eglGetConfigAttrib)(display, found, a->second, &v);
            EXPECT_EQ(std::stoi((*it)[2]), v) << (*it)[1];
        }
        const size_t chosen = spy.calls.size();
        EXPECT_GE(chosen, 1u);
        testing::internal::CaptureStdout();
        EXPECT_EQ(MatchEglConfig(uint64_t(display), recorded, c.list.data(), uint32_t(c.list.size())), found);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "a second match is the cached one";
        EXPECT_EQ(spy.calls.size(), chosen);
    }
}

// The lists the host is asked with, kept before the host's own eglChooseConfig answers.
std::vector<std::vector<EGLint>> g_asked;
EGLBoolean (*g_hostChoose)(EGLDisplay, const EGLint*, EGLConfig*, EGLint, EGLint*) = nullptr;
EGLBoolean EGLAPIENTRY KeepAsked(EGLDisplay d, const EGLint* list, EGLConfig* configs, EGLint size, EGLint* count)
{
    std::vector<EGLint> asked;
    for (const EGLint* a = list; a && *a != EGL_NONE; a += 2)
        asked.insert(asked.end(), {a[0], a[1]});
    g_asked.push_back(asked);
    return g_hostChoose(d, list, configs, size, count);
}

TEST_F(EglConfig, TheHostIsAskedWithoutTheConfigIdAndWithRenderableTypeFiveAsFour)
{
    g_hostChoose = XQF_HOST(*egl, eglChooseConfig);
    g_asked.clear();
    CHostSpy spy;
    XQF_SPY(spy, *egl, eglChooseConfig, &KeepAsked);
    const uint32_t list[] = {EGL_CONFIG_ID, 5, EGL_RENDERABLE_TYPE, 5, EGL_SAMPLES, 16, EGL_NONE};
    testing::internal::CaptureStdout();
    MatchEglConfig(uint64_t(display), 0x77, list, 7);
    testing::internal::GetCapturedStdout();
    ASSERT_GE(g_asked.size(), 3u);
    EXPECT_EQ(g_asked[0], (std::vector<EGLint>{EGL_RENDERABLE_TYPE, 5, EGL_SAMPLES, 16})) << "as recorded, no config id";
    EXPECT_EQ(g_asked[1], (std::vector<EGLint>{EGL_RENDERABLE_TYPE, 4, EGL_SAMPLES, 16})) << "the rebuilt list";
    EXPECT_EQ(g_asked[2], (std::vector<EGLint>{EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, 4,
                                               EGL_BUFFER_SIZE, 24}))
        << "the bare list";
}

// Depth requests reach the host: whole in the exact request, and as 1 (not dropped) when relaxed.
TEST_F(EglConfig, DepthIsAskedForExactlyThenRelaxedToOne)
{
    g_hostChoose = XQF_HOST(*egl, eglChooseConfig);
    struct SCase
    {
        const char* what;
        std::vector<uint32_t> list;
        std::vector<EGLint> lastAsked;
        EGLint minDepth;
    };
    const SCase cases[] = {
        {"depth without stencil, taken as it is", {EGL_DEPTH_SIZE, 16, EGL_NONE}, {EGL_DEPTH_SIZE, 16}, 16},
        {"a depth no host config has, relaxed to 1 under the stencil asked for",
         {EGL_STENCIL_SIZE, 8, EGL_DEPTH_SIZE, 64, EGL_NONE}, {EGL_STENCIL_SIZE, 8, EGL_DEPTH_SIZE, 1}, 1},
    };
    uint64_t recorded = 0x200;
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        g_asked.clear();
        CHostSpy spy;
        XQF_SPY(spy, *egl, eglChooseConfig, &KeepAsked);
        testing::internal::CaptureStdout();
        void* found = MatchEglConfig(uint64_t(display), ++recorded, c.list.data(), uint32_t(c.list.size()));
        testing::internal::GetCapturedStdout();
        ASSERT_NE(found, nullptr);
        ASSERT_FALSE(g_asked.empty());
        EXPECT_EQ(g_asked.back(), c.lastAsked);
        EGLint depth = 0;
        XQF_HOST(*egl, eglGetConfigAttrib)(display, found, EGL_DEPTH_SIZE, &depth);
        EXPECT_GE(depth, c.minDepth);
    }
}

EGLBoolean EGLAPIENTRY NoConfigs(EGLDisplay, const EGLint*, EGLConfig*, EGLint, EGLint* count)
{
    *count = 0;
    return EGL_TRUE;
}
EGLBoolean EGLAPIENTRY NoConfigsAtAll(EGLDisplay, EGLConfig*, EGLint, EGLint* count)
{
    *count = 0;
    return EGL_FALSE;
}

TEST_F(EglConfig, AHostWithoutConfigsThrows)
{
    CHostSpy spy;
    XQF_SPY(spy, *egl, eglChooseConfig, &NoConfigs);
    XQF_SPY(spy, *egl, eglGetConfigs, &NoConfigsAtAll);
    const uint32_t list[] = {EGL_RED_SIZE, 8, EGL_NONE};
    testing::internal::CaptureStdout();
    try {
        MatchEglConfig(uint64_t(display), 0x99, list, 3);
        ADD_FAILURE() << "no exception";
    } catch (const CXqftError& e) {
        EXPECT_STREQ(e.what(), "Impossible to create a proper EGL Context");
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Bare config not valid, getting any available configs...\n"), std::string::npos);
    EXPECT_NE(out.find("Could not find any valid EGLConfigs. Please try a different playback platform.\n"),
              std::string::npos);
    EXPECT_EQ(spy.Count("eglGetConfigs"), 1);
}

} // namespace
