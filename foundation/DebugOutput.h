#pragma once
// Diagnostics meant for a developer watching the process, not for the user. On Linux there is no
// debugger channel, so the text goes to standard error behind a prefix that sets it apart from
// the program's own messages.

// printf-style; the text is cut to 1023 characters. Reports no failure.
void DebugOutputPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The prefix put in front of every piece of debug output.
inline constexpr const char* kDebugOutputPrefix = "[xqft-debug] ";
