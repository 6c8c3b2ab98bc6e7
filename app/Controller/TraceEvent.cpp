#include "TraceEvent.h"

#include "TraceController.h"
#include "data/TraceReader.h"

QString CTraceEvent::ProgressText(uint64_t done, uint64_t total, const char* status)
{
    // A zero total (nothing to measure yet) shows 0 rather than dividing by zero.
    const int percent = total ? int(double(done) / double(total) * 100.0) : 0;
    return QString::asprintf("Opening file: %d%%  ", percent) + QString::fromLatin1(status ? status : "");
}

void CTraceEvent::OnEvent(uint32_t id, void* record)
{
    const CTraceReader* reader = static_cast<const CTraceReader*>(record);
    if (!reader)
        return;
    m_controller->UpdateTemporalStatusBar(
        ProgressText(reader->GetProgress(), reader->GetTotal(), reader->GetStatusText().CStr()));
}
