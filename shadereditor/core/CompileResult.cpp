#include "CompileResult.h"

void RegisterCompileResultMetaType()
{
    qRegisterMetaType<SCompileResult>("SCompileResult");
}
