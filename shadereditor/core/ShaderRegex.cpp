#include "ShaderRegex.h"

QRegularExpression MakeShaderRegex(const QString& pattern)
{
    QRegularExpression re(pattern, QRegularExpression::DotMatchesEverythingOption |
                                       QRegularExpression::UseUnicodePropertiesOption);
    re.optimize();
    return re;
}
