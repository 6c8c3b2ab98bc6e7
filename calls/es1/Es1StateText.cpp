#include "Es1StateText.h"

#include "state/Es1StateFields.h"
#include "state/StateLines.h"

std::string DescribeEs1State(const SEs1State& s)
{
    CStateLines out;
    for (const bool tables : {false, true})
        for (const SEs1StateField& f : Es1StateFields())
            if (f.list && f.table == tables)
                f.list(out, s);
    return out.Take();
}
