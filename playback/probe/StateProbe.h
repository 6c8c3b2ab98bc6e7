#pragma once
// The OpenGL ES 2.0 state of the host's current context as text, the same for a scene run straight
// on the host and for its trace replayed there: every scalar query, the bindings, the vertex
// attributes and every object the context holds. Objects are described by what they hold (sizes,
// formats, parameters, a digest of their contents), never by name, so that a replay whose names
// differ gives the same text; a binding names the digest of the bound object's description. Lines
// are "key=value"; object lines are sorted. The probe puts back every binding it changes.
#include <cstdint>
#include <string>

struct SProbeGl
{
    void* const* es2;                    // the ES 2.0 entry points in call-id order (kEs2HostNames)
    void* (*resolve)(const char* name);  // the few ES 3.x entry points the probe also uses
};

std::string ProbeEs2State(const SProbeGl& gl);

// The same for the host's current ES 1.1 context: es1 holds the ES 1.1 entry points in call-id order
// (kEs1HostNames); resolve gives the extension entry points (framebuffer objects, buffer mapping).
std::string ProbeEs1State(void* const* es1, void* (*resolve)(const char* name));

// FNV-1a digest of bytes, as the probe prints it (16 hexadecimal digits).
std::string Digest(const void* bytes, size_t size);
