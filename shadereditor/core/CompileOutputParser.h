#pragma once
// Turns what an external shader compiler prints and writes into a compile result: the log's
// messages (line numbers moved to the edited document), the profile file's per-line cycle
// counts, the disassembly, the "Performance estimate" figures and the help banner.
#include "CompileResult.h"
#include "XQFTArray.h"
#include "XQFTString.h"

#include <QString>

#include <cstddef>
#include <cstdint>

// Appends to result.output everything after the first marker ("Success.\n" or "Compile
// failed.\n") of the log, with the line number of each 'ERROR: s:l' and 'WARNING: s:l' message
// moved by lineOffset. Nothing is appended when the marker is absent.
void ParseCompileMessages(SCompileResult& result, const char* marker, uint32_t lineOffset,
                          const CXQFTString& log);

// Reads the profile file and stores its 'line: L, count: C' entries (L moved by lineOffset)
// into result.lineCycles. textLines is the number of lines of the compiled text: an entry whose
// line lies outside 1..lineOffset + textLines is ignored, as is one whose number does not fit.
// A file that cannot be read adds the reader's message to the output.
void ParseProfileOutput(SCompileResult& result, TCompileProfileMap& profiles, const char* path,
                        uint32_t lineOffset, uint32_t shaderIndex, uint32_t textLines);
// The same on a text already in memory.
void ParseProfileText(SCompileResult& result, TCompileProfileMap& profiles, const char* text,
                      size_t size, uint32_t lineOffset, uint32_t shaderIndex, uint32_t textLines);

// The file's text becomes the shader's disassembly; a file that cannot be read adds the
// reader's message to the output.
void ParseDisassemblyFile(SCompileResult& result, TCompileProfileMap& profiles, const char* path,
                          uint32_t shaderIndex);

// The figures of a "Performance estimate" block of the log; the first occurrence of each wins.
// A figure that does not fit its field is left at -1.
void ParsePerformanceEstimate(TCompileProfileMap& profiles, const CXQFTString& log,
                              uint32_t shaderIndex);

// The compiler's name and version from its banner ("Unknown" when no pattern matches) and the
// options it lists. False when the option header is missing (name and version are still set).
bool ParseCompilerHelp(const CXQFTString& help, CXQFTString* name, CXQFTString* version,
                       CXQFTArray<QString>* options);
