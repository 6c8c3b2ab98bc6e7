// Matching a recorded EGLConfig to a host one, and the listing of the config chosen.
#include "Diagnostics.h"
#include "EglMaps.h"

#include "host/HostTables.h"
#include "record/XqftError.h"

#include <EGL/egl.h>

#include <cstdio>
#include <vector>

namespace {

using SPair = std::pair<EGLint, EGLint>;

// The recorded list as pairs, read within its count and up to EGL_NONE.
std::vector<SPair> Pairs(const uint32_t* attributes, uint32_t count)
{
    std::vector<SPair> pairs;
    for (uint32_t i = 0; attributes && i + 1 < count && EGLint(attributes[i]) != EGL_NONE; i += 2)
        pairs.emplace_back(EGLint(attributes[i]), EGLint(attributes[i + 1]));
    return pairs;
}

std::vector<EGLint> Terminated(const std::vector<SPair>& pairs)
{
    std::vector<EGLint> list;
    for (const SPair& p : pairs) {
        if (p.first == EGL_NONE)
            break;
        list.push_back(p.first);
        list.push_back(p.second);
    }
    list.push_back(EGL_NONE);
    return list;
}

// The last value recorded for an attribute, if any.
bool Recorded(const std::vector<SPair>& pairs, EGLint attribute, EGLint& value)
{
    bool found = false;
    for (const SPair& p : pairs)
        if (p.first == attribute) {
            value = p.second;
            found = true;
        }
    return found;
}

struct STry
{
    EGLBoolean result = EGL_FALSE;
    EGLint count = 0;
    EGLint error = EGL_SUCCESS;
};

STry Choose(EGLDisplay display, const std::vector<EGLint>& list, EGLConfig& found)
{
    SEglHost& egl = *SEglHost::Instance();
    STry t;
    t.result = XQF_HOST(egl, eglChooseConfig)(display, list.data(), &found, 1, &t.count);
    t.error = XQF_HOST(egl, eglGetError)();
    return t;
}

bool Succeeded(const STry& t) { return t.error == EGL_SUCCESS && t.result == EGL_TRUE && t.count != 0; }

// Attributes the rebuilt list keeps, in this order, after EGL_RENDERABLE_TYPE.
constexpr EGLint kRebuilt[] = {
    EGL_STENCIL_SIZE, EGL_DEPTH_SIZE, EGL_BUFFER_SIZE, EGL_LUMINANCE_SIZE, EGL_BLUE_SIZE, EGL_GREEN_SIZE,
    EGL_RED_SIZE, EGL_ALPHA_SIZE, EGL_ALPHA_MASK_SIZE, EGL_SAMPLE_BUFFERS, EGL_SAMPLES, EGL_SURFACE_TYPE,
    EGL_COLOR_BUFFER_TYPE, EGL_LEVEL, EGL_CONFORMANT, EGL_TRANSPARENT_BLUE_VALUE, EGL_TRANSPARENT_GREEN_VALUE,
    EGL_TRANSPARENT_RED_VALUE, EGL_TRANSPARENT_TYPE, EGL_MAX_SWAP_INTERVAL, EGL_MIN_SWAP_INTERVAL,
    EGL_BIND_TO_TEXTURE_RGBA, EGL_BIND_TO_TEXTURE_RGB, EGL_CONFIG_CAVEAT, EGL_NATIVE_VISUAL_TYPE,
};

// One relaxation step of a pair; false when the pair is dropped (its attribute becomes EGL_NONE).
void Relax(SPair& p, EGLint renderable)
{
    switch (p.first) {
    case EGL_BUFFER_SIZE: case EGL_RED_SIZE: case EGL_GREEN_SIZE: case EGL_BLUE_SIZE: case EGL_ALPHA_SIZE:
    case EGL_DEPTH_SIZE: case EGL_STENCIL_SIZE: case EGL_LUMINANCE_SIZE: case EGL_SAMPLES:
        if (p.second > 1)
            p.second = 1;
        return;
    case EGL_SAMPLE_BUFFERS:
        p.second = 0;
        return;
    case EGL_SURFACE_TYPE:
        if (p.second > 4)
            p.second &= EGL_WINDOW_BIT;
        return;
    case EGL_ALPHA_MASK_SIZE:
        if (renderable != EGL_OPENVG_BIT) {
            p.second = 0;
            return;
        }
        break;
    default:
        break;
    }
    p.first = EGL_NONE;
}

void Line(const char* text)
{
    PlaybackLine("%s", text);
}

} // namespace

void* MatchEglConfig(uint64_t hostDisplay, uint64_t recordedConfig, const uint32_t* attributes, uint32_t count)
{
    if (const uint64_t cached = ConfigHandleMap::Get(hostDisplay, recordedConfig))
        return reinterpret_cast<void*>(cached);
    SEglHost& egl = *SEglHost::Instance();
    EGLDisplay display = reinterpret_cast<EGLDisplay>(hostDisplay);
    const std::vector<SPair> recorded = Pairs(attributes, count);
    Line("Printing Attribute List");
    for (size_t i = 0; i < recorded.size(); ++i) {
        PlaybackLine("<Current Attribute List(%d): 0x%x Value: %d", int(2 * i), recorded[i].first, recorded[i].second);
    }

    EGLConfig found = nullptr;
    bool dump = true;
    // EGL takes a listed EGL_CONFIG_ID alone and ignores every other attribute: a device's id would
    // pick an unrelated host config.
    std::vector<SPair> exact;
    for (const SPair& p : recorded)
        if (p.first != EGL_CONFIG_ID)
            exact.push_back(p);
    const STry first = Choose(display, Terminated(exact), found);
    if (!Succeeded(first)) {
        PlaybackLine("Original EGLConfig not valid, attempting to find a similar valid config. %d ret=%d Num Comfigs=%d",
                     first.error, first.result, first.count);
        std::vector<SPair> list;
        EGLint renderable = 0;
        if (Recorded(recorded, EGL_RENDERABLE_TYPE, renderable) && renderable != 0) {
            if (renderable >= 5)
                renderable = EGL_OPENGL_ES2_BIT;
            list.emplace_back(EGL_RENDERABLE_TYPE, renderable);
        }
        const size_t firstRelaxed = list.size();
        for (EGLint attribute : kRebuilt) {
            EGLint value = 0;
            if (Recorded(recorded, attribute, value))
                list.emplace_back(attribute, value);
        }
        bool matched = false;
        for (size_t i = list.size(); i-- > firstRelaxed;) {
            if (Succeeded(Choose(display, Terminated(list), found))) {
                matched = true;
                dump = false;
                break;
            }
            PlaybackLine("<EGL Config> Parameter to be Ignored/Changed: %x Value: %d", list[i].first, list[i].second);
            Relax(list[i], renderable);
        }
        if (!matched) {
            Line("Could not determine equivalent EGLConfig: Using bare config\n");
            EGLint surfaceType = 0;
            std::vector<EGLint> bare = {EGL_SURFACE_TYPE,
                                        Recorded(recorded, EGL_SURFACE_TYPE, surfaceType) && surfaceType == 5 ? 5 : 4};
            if (renderable != 0)
                bare.insert(bare.end(), {EGL_RENDERABLE_TYPE, renderable});
            bare.insert(bare.end(), {EGL_BUFFER_SIZE, 24, EGL_NONE});
            const STry t = Choose(display, bare, found);
            if (!(t.error == EGL_SUCCESS && t.result == EGL_TRUE && t.count >= 1)) {
                Line("Bare config not valid, getting any available configs...\n");
                STry any;
                any.result = XQF_HOST(egl, eglGetConfigs)(display, &found, 1, &any.count);
                any.error = XQF_HOST(egl, eglGetError)();
                if (!(any.error == EGL_SUCCESS && any.result == EGL_TRUE && any.count >= 1)) {
                    Line("Could not find any valid EGLConfigs. Please try a different playback platform.\n");
                    throw CXqftError("Impossible to create a proper EGL Context");
                }
            }
        }
    }
    if (dump)
        DumpEglConfig(found, display);
    ConfigHandleMap::Set(hostDisplay, recordedConfig, reinterpret_cast<uint64_t>(found));
    return found;
}

namespace {

enum class EShow { Number, Caveat, Boolean, VisualType, SurfaceBits, TransparentType, DontCareOrNumber, BufferType, ApiBits, Nothing };

struct SDumped
{
    EGLint attribute;
    const char* label;
    EShow show;
};

constexpr SDumped kDumped[] = {
    {EGL_BUFFER_SIZE, "EGL_BUFFER_SIZE", EShow::Number},
    {EGL_ALPHA_SIZE, "EGL_ALPHA_SIZE", EShow::Number},
    {EGL_BLUE_SIZE, "EGL_BLUE_SIZE", EShow::Number},
    {EGL_GREEN_SIZE, "EGL_GREEN_SIZE", EShow::Number},
    {EGL_RED_SIZE, "EGL_RED_SIZE", EShow::Number},
    {EGL_DEPTH_SIZE, "EGL_DEPTH_SIZE", EShow::Number},
    {EGL_STENCIL_SIZE, "EGL_STENCIL_SIZE", EShow::Number},
    {EGL_CONFIG_CAVEAT, "EGL_CONFIG_CAVEAT", EShow::Caveat},
    {EGL_CONFIG_ID, "EGL_CONFIG_ID", EShow::Number},
    {EGL_LEVEL, "EGL_LEVEL", EShow::Number},
    {EGL_MAX_PBUFFER_HEIGHT, "EGL_MAX_PBUFFER_HEIGHT", EShow::Number},
    {EGL_MAX_PBUFFER_PIXELS, "EGL_MAX_PBUFFER_PIXELS", EShow::Number},
    {EGL_MAX_PBUFFER_WIDTH, "EGL_MAX_PBUFFER_WIDTH", EShow::Number},
    {EGL_NATIVE_RENDERABLE, "EGL_NATIVE_RENDERABLE", EShow::Boolean},
    {EGL_NATIVE_VISUAL_ID, "EGL_NATIVE_VISUAL_ID", EShow::Number},
    {EGL_NATIVE_VISUAL_TYPE, "EGL_NATIVE_VISUAL_TYPE", EShow::VisualType},
    {0x3030, nullptr, EShow::Nothing},
    {EGL_SAMPLES, "EGL_SAMPLES", EShow::Number},
    {EGL_SAMPLE_BUFFERS, "EGL_SAMPLE_BUFFERS", EShow::Number},
    {EGL_SURFACE_TYPE, "EGL_SURFACE_TYPE", EShow::SurfaceBits},
    {EGL_TRANSPARENT_TYPE, "EGL_TRANSPARENT_TYPE", EShow::TransparentType},
    {EGL_TRANSPARENT_BLUE_VALUE, "EGL_TRANSPARENT_BLUE_VALUE", EShow::DontCareOrNumber},
    {EGL_TRANSPARENT_GREEN_VALUE, "EGL_TRANSPARENT_GREEN_VALUE", EShow::DontCareOrNumber},
    {EGL_TRANSPARENT_RED_VALUE, "EGL_TRANSPARENT_RED_VALUE", EShow::DontCareOrNumber},
    {0x3038, nullptr, EShow::Nothing},
    {EGL_BIND_TO_TEXTURE_RGB, "EGL_BIND_TO_TEXTURE_RGB", EShow::Boolean},
    {EGL_BIND_TO_TEXTURE_RGBA, "EGL_BIND_TO_TEXTURE_RGBA", EShow::Boolean},
    {EGL_MIN_SWAP_INTERVAL, "EGL_MIN_SWAP_INTERVAL", EShow::Number},
    {EGL_MAX_SWAP_INTERVAL, "EGL_MAX_SWAP_INTERVAL", EShow::Number},
    {EGL_LUMINANCE_SIZE, "EGL_LUMINANCE_SIZE", EShow::Number},
    {EGL_ALPHA_MASK_SIZE, "EGL_ALPHA_MASK_SIZE", EShow::Number},
    {EGL_COLOR_BUFFER_TYPE, "EGL_COLOR_BUFFER_TYPE", EShow::BufferType},
    {EGL_RENDERABLE_TYPE, "EGL_RENDERABLE_TYPE", EShow::ApiBits},
    {0x3041, nullptr, EShow::Nothing},
    {EGL_CONFORMANT, "EGL_CONFORMANT", EShow::ApiBits},
};
static_assert(std::size(kDumped) == 0x3042 - 0x3020 + 1, "every attribute from EGL_BUFFER_SIZE to EGL_CONFORMANT");

void Item(const char* text)
{
    PlaybackLine("%s", text);
}

void Undefined(EGLint value)
{
    PlaybackLine("%d (Undefined)", value);
}

void Labelled(const char* label)
{
    PlaybackLine("%s=", label);
}

void Bits(EGLint value, std::initializer_list<std::pair<EGLint, const char*>> bits)
{
    for (const auto& [bit, name] : bits)
        if (value & bit)
            Item(name);
}

} // namespace

void DumpEglConfig(void* config, void* display)
{
    SEglHost& egl = *SEglHost::Instance();
    PlaybackLine("\n Final Config: %d", int(reinterpret_cast<intptr_t>(config)));
    for (const SDumped& d : kDumped) {
        if (d.show == EShow::Nothing)
            continue;
        EGLint v = 0;
        if (!XQF_HOST(egl, eglGetConfigAttrib)(display, config, d.attribute, &v))
            v = 0;
        switch (d.show) {
        case EShow::Number:
            PlaybackLine("%s=%d", d.label, v);
            break;
        case EShow::Caveat:
            Labelled(d.label);
            v == EGL_NONE ? Item("EGL_NONE") : v == EGL_SLOW_CONFIG ? Item("EGL_SLOW_CONFIG")
                : v == EGL_NON_CONFORMANT_CONFIG ? Item("EGL_NON_CONFORMANT_CONFIG") : Undefined(v);
            break;
        case EShow::Boolean:
            Labelled(d.label);
            v == EGL_DONT_CARE ? Item("EGL_DONT_CARE") : v == EGL_TRUE ? Item("EGL_TRUE")
                : v == EGL_FALSE ? Item("EGL_FALSE") : Undefined(v);
            break;
        case EShow::VisualType:
            Labelled(d.label);
            if (v == EGL_NONE || v == EGL_DONT_CARE)
                Item(v == EGL_NONE ? "EGL_NONE" : "EGL_DONT_CARE");
            else {
                PlaybackLine("%d", v);
            }
            break;
        case EShow::SurfaceBits:
            Labelled(d.label);
            Bits(v, {{EGL_PBUFFER_BIT, "EGL_PBUFFER_BIT "}, {EGL_PIXMAP_BIT, "EGL_PIXMAP_BIT "},
                     {EGL_WINDOW_BIT, "EGL_WINDOW_BIT "}, {EGL_VG_COLORSPACE_LINEAR_BIT, "EGL_VG_COLORSPACE_LINEAR_BIT "},
                     {EGL_VG_ALPHA_FORMAT_PRE_BIT, "EGL_VG_ALPHA_FORMAT_PRE_BIT "},
                     {EGL_MULTISAMPLE_RESOLVE_BOX_BIT, "EGL_MULTISAMPLE_RESOLVE_BOX_BIT "},
                     {EGL_SWAP_BEHAVIOR_PRESERVED_BIT, "EGL_SWAP_BEHAVIOR_PRESERVED_BIT "}});
            break;
        case EShow::TransparentType:
            Labelled(d.label);
            v == EGL_NONE ? Item("EGL_NONE") : v == EGL_TRANSPARENT_RGB ? Item("EGL_TRANSPARENT_RGB") : Undefined(v);
            break;
        case EShow::DontCareOrNumber:
            Labelled(d.label);
            if (v == EGL_DONT_CARE)
                Item("EGL_DONT_CARE");
            else {
                PlaybackLine("%d", v);
            }
            break;
        case EShow::BufferType:
            Labelled(d.label);
            v == EGL_RGB_BUFFER ? Item("EGL_RGB_BUFFER") : v == EGL_LUMINANCE_BUFFER ? Item("EGL_LUMINANCE_BUFFER")
                                                                                     : Undefined(v);
            break;
        case EShow::ApiBits:
            Labelled(d.label);
            Bits(v, {{EGL_OPENGL_ES_BIT, "EGL_OPENGL_ES_BIT "}, {EGL_OPENVG_BIT, "EGL_OPENVG_BIT "},
                     {EGL_OPENGL_ES2_BIT, "EGL_OPENGL_ES2_BIT "}, {EGL_OPENGL_BIT, "EGL_OPENGL_BIT "}});
            break;
        case EShow::Nothing:
            break;
        }
        PlaybackLine("\n");
    }
}
