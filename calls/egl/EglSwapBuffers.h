#pragma once
// eglSwapBuffers, the record that ends a frame, in its four record layouts:
//   v1, v6  return value, dpy, surface
//   v9      + the capture's frame counter (kept, never listed)
//   v10     + frame, width, height and the captured frame image (listed only when verbose)
#include "calls/CallFamilies.h"
#include "values/ApiTypes.h"
#include "values/DataHolders.h"

class CEgl_eglSwapBuffers_v1 : public CEglCall
{
public:
    static constexpr uint16_t kId = 1022;
    explicit CEgl_eglSwapBuffers_v1(CTrace* trace);
    void ListArguments(CCallInfo* info, uint8_t verbose) override;
    const char* GetName() const override { return "eglSwapBuffers"; }
    int GetId() const override { return kId; }
    const char* GetCategory() const override { return ""; }

    TEGLBoolean result;
    TEGLDisplay dpy;
    TEGLSurface surface;
};

// Same payload as v1; a class of its own so that the layout versions stay distinguishable.
class CEgl_eglSwapBuffers_v6 : public CEgl_eglSwapBuffers_v1
{
public:
    using CEgl_eglSwapBuffers_v1::CEgl_eglSwapBuffers_v1;
};

class CEgl_eglSwapBuffers_v9 : public CEgl_eglSwapBuffers_v1
{
public:
    explicit CEgl_eglSwapBuffers_v9(CTrace* trace);

    TuintType<21> frame;  // unlisted
};

class CEgl_eglSwapBuffers_v10 : public CEgl_eglSwapBuffers_v1
{
public:
    explicit CEgl_eglSwapBuffers_v10(CTrace* trace);
    void ListArguments(CCallInfo* info, uint8_t verbose) override;

    TuintType<21> frame;
    TuintType<21> width;
    TuintType<21> height;
    // width x height pixels of 4 bytes (R, G, B, A), bottom row first; read whatever the data flag.
    SDataPtr frameData;
};
