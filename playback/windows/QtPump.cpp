#include "NativeWindows.h"

#include <chrono>

#ifdef XQFT_HAVE_QT
#include <QCoreApplication>
#endif

void ServeQtEvents()
{
#ifdef XQFT_HAVE_QT
    using Clock = std::chrono::steady_clock;
    static Clock::time_point next;
    const Clock::time_point now = Clock::now();
    if (now < next || QCoreApplication::instance() == nullptr)
        return;
    next = now + std::chrono::milliseconds(1);
    QCoreApplication::processEvents();
#endif
}
