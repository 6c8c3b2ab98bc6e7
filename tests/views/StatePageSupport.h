#pragma once
// What the state-page tests share: a trace written call by call and loaded as the viewer loads it,
// and reading a dumped page (`DumpStatePage`): its marked lines, and the rows of one group.
#include "Es2TestSupport.h"

#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace statepage {

using es2test::SCall;

// Writes the calls (each ES 2.0 call recorded without error) and loads them as the viewer does.
inline CTraceData& Load(const std::vector<SCall>& calls)
{
    const std::string path = es2test::TempPath("state_page.xqft");
    es2test::WriteCalls(path, calls);
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(nullptr, nullptr);
    EXPECT_EQ(reader.LoadTrace(CXQFTString(path.c_str()), 1), 0);
    static CTraceData empty;
    return reader.GetTraceData() ? *reader.GetTraceData() : empty;
}

// The text of every marked header and row of a dumped page, in order.
inline std::vector<std::string> Marked(const std::string& page)
{
    std::vector<std::string> out;
    size_t at = 0;
    while ((at = page.find('*', at)) != std::string::npos) {
        const size_t end = page.find('\n', at);
        out.push_back(page.substr(at + 1, end - at - 1));
        at = end;
    }
    return out;
}

// The lines of one group (its rows, indented), from its header to the next header.
inline std::string Group(const std::string& page, const std::string& label)
{
    size_t at = page.find("\n" + label + "\n");
    if (at == std::string::npos)
        at = page.find("\n*" + label + "\n");
    if (page.rfind(label + "\n", 0) == 0 || page.rfind("*" + label + "\n", 0) == 0)
        at = 0;
    if (at == std::string::npos)
        return "";
    at = page.find('\n', at + 1) + 1;
    size_t end = at;
    while (end < page.size() && page[end] == ' ')
        end = page.find('\n', end) + 1;
    return page.substr(at, end - at);
}

} // namespace statepage
