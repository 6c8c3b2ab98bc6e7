#include "TraceLoader.h"

#include "data/TraceReader.h"

int CTraceLoader::Load(const CXQFTString& path, CBasicEvent* listener)
{
    CTraceReader* reader = &CTraceReader::Instance();
    reader->AddListener(0, listener);
    int result;
    try {
        result = reader->LoadTrace(path, 1);
    } catch (...) {
        reader->RemoveListener(0);
        throw;
    }
    reader->RemoveListener(0);
    return result;
}

CTraceData* CTraceLoader::GetTraceData()
{
    return CTraceReader::Instance().GetTraceData();
}

CXQFTString CTraceLoader::LastError()
{
    return CTraceReader::Instance().GetLastError();
}
