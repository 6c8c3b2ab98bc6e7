// The ES 2.0 buffer, framebuffer and renderbuffer calls played by hand: host objects made lazily
// for the names the trace binds, paired with the recorded names, and buffer data handed over only
// when the recorded bytes hold what the host reads.
#include "Es2Play.h"
#include "host/DrawIndices.h"
#include "host/HostChecks.h"
#include "state/FramebufferObjects.h"

#include "data/TraceData.h"
#include "values/DataHolders.h"

namespace es2play {

XQF_CASE(glBindBuffer)
{
    const GLuint host = HostObject<BufferNameMap>(p.Item<"buffer">(), XQF_HOST(p.gl, glGenBuffers));
    XQF_HOST(p.gl, glBindBuffer)(p.Item<"target">(), host);
    return EEnd::Common;
}

XQF_CASE(glBindFramebuffer)
{
    const uint32_t recorded = p.Item<"framebuffer">();
    // All bits set stands for the framebuffer bound when the first ES 2.0 call was played.
    GLuint host = recorded == 0xFFFFFFFFu ? p.playback.m_defaultFramebuffer : FramebufferNameMap::Get(recorded);
    if (host == kNoHostName) {
        XQF_HOST(p.gl, glGenFramebuffers)(1, &host);
        FramebufferNameMap::Set(recorded, host);
    }
    XQF_HOST(p.gl, glBindFramebuffer)(p.Item<"target">(), host);
    return EEnd::Common;
}

XQF_CASE(glBindRenderbuffer)
{
    const GLuint host = HostObject<RenderbufferNameMap>(p.Item<"renderbuffer">(), XQF_HOST(p.gl, glGenRenderbuffers));
    XQF_HOST(p.gl, glBindRenderbuffer)(p.Item<"target">(), host);
    return EEnd::Common;
}

// An attachment to a target the tracked state attaches nothing for is passed over: a frame restored
// from that state has no such attachment, and a replay from the trace's start must not make one.
template <class Call>
bool AttachedByTrackedState(Call& p)
{
    if (objects::AttachesTo(p.template Item<"target">()))
        return true;
    PlaybackWarning("%s: target 0x%X is not GL_FRAMEBUFFER, the one ES 2.0 attaches to; the call is not played\n",
                    p.call.GetName(), unsigned(p.template Item<"target">()));
    return false;
}

XQF_CASE(glFramebufferTexture2D)
{
    if (!AttachedByTrackedState(p))
        return EEnd::Done;
    XQF_HOST(p.gl, glFramebufferTexture2D)(p.Item<"target">(), p.Item<"attachment">(), p.Item<"textarget">(),
                                           TextureNameMap::Get(p.Item<"texture">()), p.Item<"level">());
    return EEnd::Common;
}

XQF_CASE(glFramebufferRenderbuffer)
{
    if (!AttachedByTrackedState(p))
        return EEnd::Done;
    XQF_HOST(p.gl, glFramebufferRenderbuffer)(p.Item<"target">(), p.Item<"attachment">(),
                                              p.Item<"renderbuffertarget">(),
                                              RenderbufferNameMap::Get(p.Item<"renderbuffer">()));
    return EEnd::Common;
}

XQF_CASE(glGenBuffers) { return Generate<BufferNameMap, "buffers">(p, XQF_HOST(p.gl, glGenBuffers)); }

XQF_CASE(glGenFramebuffers)
{
    return Generate<FramebufferNameMap, "framebuffers">(p, XQF_HOST(p.gl, glGenFramebuffers));
}

XQF_CASE(glGenRenderbuffers)
{
    return Generate<RenderbufferNameMap, "renderbuffers">(p, XQF_HOST(p.gl, glGenRenderbuffers));
}

XQF_CASE(glDeleteBuffers)
{
    BufferContentsChanged();
    return Remove<BufferNameMap, "buffers">(p, XQF_HOST(p.gl, glDeleteBuffers));
}

XQF_CASE(glDeleteFramebuffers)
{
    return Remove<FramebufferNameMap, "framebuffers">(p, XQF_HOST(p.gl, glDeleteFramebuffers));
}

XQF_CASE(glDeleteRenderbuffers)
{
    return Remove<RenderbufferNameMap, "renderbuffers">(p, XQF_HOST(p.gl, glDeleteRenderbuffers));
}

XQF_CASE(glBufferData)
{
    const auto* data = p.Item<"data">().data;
    const int64_t size = p.Item<"size">();
    const uint8_t* bytes = data ? data->GetData() : nullptr;
    if (bytes && size > 0 && data->size < uint64_t(size))
        return RefuseShort(p, "data", data->size, uint64_t(size));
    if (!bytes && size > 0 && !UnfilledBytesAllowed(p.call.GetName(), "the buffer", uint64_t(size), 0))
        return EEnd::Fail;
    XQF_HOST(p.gl, glBufferData)(p.Item<"target">(), size, bytes, p.Item<"usage">());
    BufferContentsChanged();
    return EEnd::Common;
}

XQF_CASE(glBufferSubData)
{
    const auto* data = p.Item<"data">().data;
    const int64_t size = p.Item<"size">();
    const uint8_t* bytes = data ? data->GetData() : nullptr;
    const uint64_t held = bytes ? data->size : 0;
    if (size > 0 && held < uint64_t(size))
        return RefuseShort(p, "data", held, uint64_t(size));
    XQF_HOST(p.gl, glBufferSubData)(p.Item<"target">(), p.Item<"offset">(), size, bytes);
    BufferContentsChanged();
    return EEnd::Common;
}

XQF_CASE(glRenderbufferStorage)
{
    if (!RenderbufferBytesAllowed(p.call.GetName(), p.Item<"internalformat">(), p.Item<"width">(), p.Item<"height">(),
                                  0))
        return EEnd::Fail;
    XQF_HOST(p.gl, glRenderbufferStorage)(p.Item<"target">(), p.Item<"internalformat">(), p.Item<"width">(),
                                          p.Item<"height">());
    return EEnd::Common;
}

} // namespace es2play
