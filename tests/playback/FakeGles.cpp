// A stand-in OpenGL ES 2.0 library for the host-table tests: it exports every entry point of the
// ES 2.0 table but glDrawArrays, each a function that does nothing. The names come from the rows of
// Es2Calls.def (hand-written rows name their functions below).
#define XQF_FAKE_CONCAT2(a, b) a##b
#define XQF_FAKE_CONCAT(a, b) XQF_FAKE_CONCAT2(a, b)
#define XQF_FAKE(Id, Function)                                                                            \
    extern "C" void XQF_FAKE_CONCAT(xqftFake, Id)() __asm__(Function);                                    \
    extern "C" void XQF_FAKE_CONCAT(xqftFake, Id)() {}

#define XQF_RECORD(Class, Id, Function, ...) XQF_FAKE(Id, Function)
#define XQF_EFFECT XQF_RECORD
#define XQF_CUSTOM(Class, Id)
#define XQF_VERSIONED(OldClass, NewClass, Id, FirstNewVersion)
#include "Es2Calls.def"

XQF_FAKE(2022, "glCompressedTexImage2D")
XQF_FAKE(2042, "glDrawElements")
XQF_FAKE(2099, "glShaderSource")
