// Included first into every source of the ThreadSanitizer tree (XQFT_TSAN): functions cloned per
// instruction set are chosen by ifunc resolvers, which run before the sanitizer's runtime is set up
// and crash under it, so the attribute becomes a harmless one and the default versions are built.
#define target_clones(...) unused
