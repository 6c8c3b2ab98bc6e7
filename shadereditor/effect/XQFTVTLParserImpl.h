#pragma once
// Shared by the parser's source files only.
#include "XQFTString.h"

#include <cstdint>

namespace vtl {

// Formats the one message of a failed parse into *error; always false.
bool Fail(CXQFTString* error, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A list of up to three names of a table joined by '-' ("LINEAR-LINEAR-NONE") at p, read into
// values in order. False with the message on a word the table does not hold; *after is the
// text after the list.
bool ParseNameList(const char* p, const char* const* names, uint32_t nameCount, uint32_t* values,
                   const char* block, uint32_t line, const char* lineText, const char** after,
                   CXQFTString* error);

// Index of name in the table, or -1.
int FindName(const CXQFTString& name, const char* const* names, uint32_t nameCount);

} // namespace vtl
