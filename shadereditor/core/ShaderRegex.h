#pragma once
// Every regular expression of the shader editor is made here, with the semantics its patterns
// were written for: '.' also matches a line feed, and \w and \b know Unicode letters. Patterns
// are compiled once and shared (QRegularExpression is safe to use from several threads).
#include <QRegularExpression>

// A pattern compiled with the editor's options. Keep the result in a function-local static.
QRegularExpression MakeShaderRegex(const QString& pattern);
