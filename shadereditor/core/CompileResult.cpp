#include "CompileResult.h"

void RegisterCompileResultMetaType()
{
    qRegisterMetaType<SCompileResult>("SCompileResult");
}

#include "ShaderMetaTypes.h"

void RegisterShaderMetaTypes()
{
    RegisterCompileResultMetaType();
    qRegisterMetaType<CXQFTHash>("CXQFTHash");
    qRegisterMetaType<EShaderDocType>("EShaderDocType");
    qRegisterMetaType<CXQFTArray<int>>("CXQFTArray<int>");
}
