#include "CallSummary.h"

#include <algorithm>

std::array<SSummaryRow, 6> FrameSummaryRows(const SFrameCounters& f)
{
    return {{{"Function calls", f.functionCalls},
             {"Draw calls", f.drawCalls},
             {"Triangles", f.triangles},
             {"Lines", f.lineDraws},
             {"Texture Loads", f.textureUploads},
             {"Shader Loads", f.shaderLoads}}};
}

void CCallSummary::SetCounts(const TFunctionCounts& counts)
{
    m_counts.clear();
    for (const SFunctionCount& c : counts)
        if (c.name)
            m_counts[c.name] += c.count;
}

void CCallSummary::Clear()
{
    m_counts.clear();
    m_watches.clear();
}

void CCallSummary::Click(const std::string& name)
{
    const auto at = m_watches.find(name);
    if (at == m_watches.end())
        m_watches.emplace(name, false);
    else if (!at->second)
        m_watches.erase(at);
}

bool CCallSummary::AddWatch(const std::string& name)
{
    bool& watched = m_watches[name];
    const bool changed = !watched;
    watched = true;
    return changed;
}

bool CCallSummary::RemoveWatch(const std::string& name)
{
    return m_watches.erase(name) > 0;
}

bool CCallSummary::AddSelectedWatches()
{
    bool changed = false;
    for (auto& [name, watched] : m_watches)
        if (!watched)
            watched = changed = true;
    return changed;
}

bool CCallSummary::RemoveAllWatches()
{
    return std::erase_if(m_watches, [](const auto& w) { return w.second; }) > 0;
}

bool CCallSummary::Any(bool watched) const
{
    return std::any_of(m_watches.begin(), m_watches.end(), [watched](const auto& w) { return w.second == watched; });
}

ECallMark CCallSummary::Mark(const std::string& name) const
{
    const auto at = m_watches.find(name);
    return at == m_watches.end() ? ECallMark::Plain : at->second ? ECallMark::Watched : ECallMark::Selected;
}

std::vector<SCallSummaryRow> CCallSummary::Rows() const
{
    std::vector<SCallSummaryRow> watched, others;
    for (const auto& [name, count] : m_counts) {
        const ECallMark mark = Mark(name);
        (mark == ECallMark::Watched ? watched : others).push_back({name, count, mark});
    }
    // The rows come in name order: a stable sort by count keeps names in order among equal counts.
    auto busiestFirst = [](const SCallSummaryRow& a, const SCallSummaryRow& b) { return a.count > b.count; };
    if (!sortByName) {
        std::stable_sort(watched.begin(), watched.end(), busiestFirst);
        std::stable_sort(others.begin(), others.end(), busiestFirst);
    }
    watched.insert(watched.end(), std::make_move_iterator(others.begin()), std::make_move_iterator(others.end()));
    return watched;
}

namespace {
const char kAddWatch[] = "Add Watch";
const char kRemoveWatch[] = "Remove Watch";
const char kAddSelected[] = "Add Watches (Selected)";
const char kRemoveAll[] = "Remove All Watches";
} // namespace

std::vector<std::string> CCallSummary::MenuEntries(const std::string* name) const
{
    std::vector<std::string> entries;
    if (name)
        entries.push_back(Mark(*name) == ECallMark::Watched ? kRemoveWatch : kAddWatch);
    if (Any(false))
        entries.push_back(kAddSelected);
    if (Any(true))
        entries.push_back(kRemoveAll);
    return entries;
}

bool CCallSummary::RunMenuEntry(const std::string& entry, const std::string* name)
{
    if (entry == kAddWatch && name)
        return AddWatch(*name);
    if (entry == kRemoveWatch && name)
        return RemoveWatch(*name);
    if (entry == kAddSelected)
        return AddSelectedWatches();
    if (entry == kRemoveAll)
        return RemoveAllWatches();
    return false;
}
