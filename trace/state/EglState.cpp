#include "state/EglState.h"

SEglAttribArray::SEglAttribArray(const uint32_t* list, size_t available)
{
    if (!list || available == 0)
        return;
    constexpr uint32_t kEglNone = 0x3038;
    // The terminator is looked for at even positions only: a value equal to EGL_NONE does not end the list.
    size_t count = available;
    for (size_t i = 0; i < available; i += 2) {
        if (list[i] == kEglNone) {
            count = i + 1;
            break;
        }
    }
    m_values.assign(list, list + count);
}
