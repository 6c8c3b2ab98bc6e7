#pragma once
// The result of one compile as the editor shows it: status, the text for the user, per-line
// cycle counts, per-shader figures and the compiler's name and version.
#include "XQFTArray.h"
#include "XQFTString.h"

#include <QMetaType>

#include <cstdint>
#include <map>

struct SCompileResult
{
    enum : uint32_t { kSuccess = 0, kFailed = 1, kCancelled = 2, kUnusable = 3 };

    struct SProfile
    {
        CXQFTString name;          // the shader's label or effect-file name
        CXQFTString disassembly;
        bool fragment = false;
        float firstFigure = -1.0f;  // no parser fills it
        float cycles = -1.0f;
        float worstCycles = -1.0f;
        int32_t temporaryRegisters = -1;
        int32_t primaryAttributes = -1;
        int32_t nonDependentTextureReads = -1;
        int32_t lineCyclesTotal = -1;
        int32_t instructions = -1;
    };

    CXQFTArray<SProfile> profiles;   // one per compiled shader, ascending shader index
    uint32_t status = kSuccess;
    CXQFTString output;
    CXQFTArray<int> lineCycles;      // entry i: cycles of source line i + 1; -1 for none
    CXQFTString compilerName;
    CXQFTString compilerVersion;
};

// Shader index -> the figures of that shader, filled while a request runs.
using TCompileProfileMap = std::map<uint32_t, SCompileResult::SProfile>;

Q_DECLARE_METATYPE(SCompileResult)

// Registers "SCompileResult" for queued signals; safe to call more than once.
void RegisterCompileResultMetaType();
