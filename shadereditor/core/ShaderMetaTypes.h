#pragma once
// Qt meta-types of the shader editor's values, so that they travel in queued signals.
#include "CompileResult.h"
#include "ShaderDocType.h"
#include "XQFTArray.h"
#include "XQFTHash.h"

#include <QMetaType>

Q_DECLARE_METATYPE(CXQFTHash)
Q_DECLARE_METATYPE(EShaderDocType)
Q_DECLARE_METATYPE(CXQFTArray<int>)

// Registers "CXQFTHash", "EShaderDocType", "SCompileResult" and "CXQFTArray<int>"; safe to
// call more than once.
void RegisterShaderMetaTypes();
