// A stand-in OpenGL ES 2.0 library for the host-table tests: it exports every entry point of the
// ES 2.0 table but glDrawArrays, each a function that does nothing. The names come from the rows of
// Es2Calls.def (of the hand-written rows, which include glDrawArrays, only glShaderSource is named below).
#define XQF_FAKE_CONCAT2(a, b) a##b
#define XQF_FAKE_CONCAT(a, b) XQF_FAKE_CONCAT2(a, b)
#define XQF_FAKE(Tag, Function)                                                                           \
    extern "C" void XQF_FAKE_CONCAT(xqftFake, Tag)() __asm__(Function);                                   \
    extern "C" void XQF_FAKE_CONCAT(xqftFake, Tag)() {}

// Each function once, from the row of its first layout (every ES 2.0 function has one from version 1).
#define XQF_FAKE_ROW(Class, Id, FirstVersion, Function, ...) XQF_FAKE_V##FirstVersion(Id, Function)
#define XQF_FAKE_V1(Id, Function) XQF_FAKE(Id, Function)
#define XQF_FAKE_V7(Id, Function)
#define XQF_RECORD XQF_FAKE_ROW
#define XQF_EFFECT XQF_FAKE_ROW
#define XQF_CUSTOM(Class, ...)
#define XQF_NAMED XQF_FAKE_ROW
#include "Es2Calls.def"

XQF_FAKE(ShaderSource, "glShaderSource")
