#pragma once
// Small helpers shared by the ES 2.0 state effects.
#include "Es2Records.h"

namespace xqft::es2 {

inline constexpr uint32_t kTexture0 = 0x84C0;
inline constexpr uint32_t kTextureUnits = 32; // binding slots of SEs2State
inline constexpr uint32_t kArrayBuffer = 0x8892, kElementArrayBuffer = 0x8893;

inline bool HasData(const CApiCall& c) { return c.IsDataIncluded(); }

// The name of a recorded string as the state keeps it: the long text without its quotes.
CXQFTString RecordedName(const SString& s);
CXQFTString RecordedName(const SNameText& s);

} // namespace xqft::es2
