#pragma once
// A host ES 2.0 context made through the host tables for the player and restore tests, recorded
// calls built from payloads (es2test::BuildCall), and a spy on the ES 2.0 table.
#include "Es2StateCalls.h"
#include "HostSpy.h"
#include "PlayerTestSupport.h"
#include "Playback.h"
#include "data/TraceData.h"
#include "host/HostContext.h"
#include "host/HostCurrent.h"

#include <EGL/egl.h>
#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace es2host {

using playertest::Entry;

// Wraps the ES 2.0 functions the players and restores call.
inline void SpyOnEs2(CHostSpy& spy)
{
    SEs2Host& gl = *SEs2Host::Instance();
    XQF_SPY(spy, gl, glActiveTexture);
    XQF_SPY(spy, gl, glAttachShader);
    XQF_SPY(spy, gl, glBindAttribLocation);
    XQF_SPY(spy, gl, glBindBuffer);
    XQF_SPY(spy, gl, glBindFramebuffer);
    XQF_SPY(spy, gl, glBindRenderbuffer);
    XQF_SPY(spy, gl, glBindTexture);
    XQF_SPY(spy, gl, glBufferData);
    XQF_SPY(spy, gl, glBufferSubData);
    XQF_SPY(spy, gl, glCompileShader);
    XQF_SPY(spy, gl, glCompressedTexImage2D);
    XQF_SPY(spy, gl, glCreateProgram);
    XQF_SPY(spy, gl, glCreateShader);
    XQF_SPY(spy, gl, glDeleteProgram);
    XQF_SPY(spy, gl, glDeleteShader);
    XQF_SPY(spy, gl, glDetachShader);
    XQF_SPY(spy, gl, glDisableVertexAttribArray);
    XQF_SPY(spy, gl, glDrawArrays);
    XQF_SPY(spy, gl, glDrawElements);
    XQF_SPY(spy, gl, glFinish);
    XQF_SPY(spy, gl, glFramebufferRenderbuffer);
    XQF_SPY(spy, gl, glFramebufferTexture2D);
    XQF_SPY(spy, gl, glGenBuffers);
    XQF_SPY(spy, gl, glGenFramebuffers);
    XQF_SPY(spy, gl, glGenRenderbuffers);
    XQF_SPY(spy, gl, glGenTextures);
    XQF_SPY(spy, gl, glLinkProgram);
    XQF_SPY(spy, gl, glPixelStorei);
    XQF_SPY(spy, gl, glRenderbufferStorage);
    XQF_SPY(spy, gl, glShaderSource);
    XQF_SPY(spy, gl, glTexImage2D);
    XQF_SPY(spy, gl, glTexSubImage2D);
    XQF_SPY(spy, gl, glGetUniformLocation);
    XQF_SPY(spy, gl, glShaderBinary);
    XQF_SPY(spy, gl, glTexParameteriv);
    XQF_SPY(spy, gl, glUniform4fv);
    XQF_SPY(spy, gl, glUniform1f);
    XQF_SPY(spy, gl, glUseProgram);
    XQF_SPY(spy, gl, glVertexAttribPointer);
    XQF_SPY(spy, gl, glViewport);
    XQF_SPY(spy, gl, glVertexAttrib4f);
    XQF_SPY(spy, gl, glVertexAttrib2fv);
    XQF_SPY(spy, gl, glReadPixels);
    XQF_SPY(spy, gl, glEnable);
    XQF_SPY(spy, gl, glDisable);
    XQF_SPY(spy, gl, glDepthFunc);
    XQF_SPY(spy, gl, glClearColor);
    XQF_SPY(spy, gl, glClear);
    XQF_SPY(spy, gl, glBlendFunc);
    XQF_SPY(spy, gl, glBlendEquation);
}

class CEs2HostTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (SEglHost::Instance()->IsFailed())
            GTEST_SKIP() << "no host EGL library";
        try {
            gl = SEs2Host::Instance();
        } catch (const CXqftError&) {
            GTEST_SKIP() << "no host ES 2.0 library";
        }
        SNativeWindowFuncs windows;
        InitNativeWindowFunctions(windows);
        static SHostContext context;  // one 800 x 600 surface for the whole program
        if (!context.context && !context.Make(2, windows, 0x900, SEglSurfaceWindow{0x901, 800, 600}))
            GTEST_SKIP() << context.error;
        // A failed analysis pass leaves nothing current.
        SEglHost& egl = *SEglHost::Instance();
        if (XQF_HOST(egl, eglGetCurrentContext)() != context.context)
            HostMakeCurrent(context.display, context.surface, context.surface, context.context);
        else
            NoteHostCurrentContext();
        CPlayback::s_hostEglInitialised = true;
        Fresh();
    }

    // A new playback on a host with no arrays enabled and no buffers bound (the context is shared by
    // every case); as the EGL player would have, it knows the 800 x 600 surface.
    void Fresh()
    {
        ResetNameMaps();
        playback = std::make_unique<CPlayback>();
        playback->m_surfaceWidth = 800;
        playback->m_surfaceHeight = 600;
        for (GLuint i = 0; i < 16; ++i)
            XQF_HOST(*gl, glDisableVertexAttribArray)(i);
        XQF_HOST(*gl, glBindBuffer)(GL_ARRAY_BUFFER, 0);
        XQF_HOST(*gl, glBindBuffer)(GL_ELEMENT_ARRAY_BUFFER, 0);
        XQF_HOST(*gl, glBindFramebuffer)(GL_FRAMEBUFFER, 0);
        while (XQF_HOST(*gl, glGetError)() != GL_NO_ERROR) {
        }
    }

    // Plays the calls in order; returns the results and keeps what was printed.
    std::vector<int> Play(const std::vector<es2test::SCall>& calls, uint8_t checkErrors = 0, uint32_t error = 0)
    {
        return playertest::PlayCalls(*playback, calls, checkErrors, error, true, entries, out, err);
    }

public:
    SEs2Host* gl = nullptr;
    std::unique_ptr<CPlayback> playback;
    std::vector<std::unique_ptr<STraceCall>> entries;  // the calls must outlive their replay
    std::string out, err;
};

} // namespace es2host
