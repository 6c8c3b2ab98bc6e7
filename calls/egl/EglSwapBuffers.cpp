#include "EglSwapBuffers.h"

#include "calls/CallInfo.h"
#include "record/Trace.h"

CEgl_eglSwapBuffers_v1::CEgl_eglSwapBuffers_v1(CTrace* trace) : CEglCall(trace)
{
    *trace >> result >> dpy >> surface;
}

void CEgl_eglSwapBuffers_v1::ListArguments(CCallInfo* info, uint8_t verbose)
{
    CEglCall::ListArguments(info, verbose);
    info->SetReturnValue(&result);
    info->AddArgument("dpy", &dpy, 0);
    info->AddArgument("surface", &surface, 0);
}

CEgl_eglSwapBuffers_v9::CEgl_eglSwapBuffers_v9(CTrace* trace) : CEgl_eglSwapBuffers_v1(trace)
{
    *trace >> frame;
}

CEgl_eglSwapBuffers_v10::CEgl_eglSwapBuffers_v10(CTrace* trace) : CEgl_eglSwapBuffers_v1(trace)
{
    *trace >> frame >> width >> height >> frameData;
}

void CEgl_eglSwapBuffers_v10::ListArguments(CCallInfo* info, uint8_t verbose)
{
    CEgl_eglSwapBuffers_v1::ListArguments(info, verbose);
    if (verbose != 1)
        return;
    info->AddArgument("frame", &frame, 0);
    info->AddArgument("width", &width, 0);
    info->AddArgument("height", &height, 0);
    info->AddArgument("frameData", &frameData, 0);
}
