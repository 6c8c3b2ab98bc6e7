#pragma once
// The shader editor's user-interface strings, one language, in three forms. The table is
// built on first use (under the language's static-initialisation guard, so the compile worker
// thread may be the first user) and kept for the process lifetime.
#include "XQFTString.h"

#include <QString>

#include <cstdint>

inline constexpr uint32_t kShaderEditorStringCount = 79;

// Entry index 0-78 of the current language; an index past the table gives an empty text.
// T is QString, CXQFTString or const char*.
template <typename T>
T GetShaderEditorString(uint32_t index);

template <> QString GetShaderEditorString<QString>(uint32_t index);
template <> CXQFTString GetShaderEditorString<CXQFTString>(uint32_t index);
template <> const char* GetShaderEditorString<const char*>(uint32_t index);
