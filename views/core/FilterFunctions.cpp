#include "FilterFunctions.h"

#include "CallQueries.h"

namespace {

// One entry per id (a function with several record layouts has several rows).
void AddRows(std::vector<SFilterFunction>& out, EFilterApi api, std::span<const SCallRow> rows, uint16_t lastId)
{
    uint16_t previous = 0;
    for (const SCallRow& row : rows) {
        if (row.id == previous || row.id > lastId || (row.traits & trait::Draw))
            continue;
        previous = row.id;
        out.push_back({api, api == EFilterApi::Egl ? "" : row.category, row.function, row.id});
    }
}

} // namespace

const std::vector<SFilterFunction>& FilterFunctions()
{
    static const std::vector<SFilterFunction> functions = [] {
        std::vector<SFilterFunction> out;
        // EGL 1.4 ends with eglWaitClient; the extension functions' rows follow it.
        AddRows(out, EFilterApi::Egl, callrows::kEgl, CallIdOf(ECallFamily::Egl, "eglWaitClient"));
        AddRows(out, EFilterApi::Es1, callrows::kEs1, UINT16_MAX);
        AddRows(out, EFilterApi::Es2, callrows::kEs2, UINT16_MAX);
        return out;
    }();
    return functions;
}
