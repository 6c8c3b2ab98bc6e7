// The field tables of the ES 1.1 and ES 2.0 state records against the record and the three readers
// of a state: every member is in its table, and every value of every field changed in turn shows in
// the text listing, on the state page (a row's text or its red mark) and in a tracked value of the
// probe's query table, unless the table says why that reader does not show it. The ES 1.1 rows
// spell each member's name in their listing lines: a line must name the field whose change it shows.
#include "Es1StateRows.h"
#include "Es1StateText.h"
#include "Es2StateRows.h"
#include "Es2StateText.h"
#include "probe/Es1StateQueries.h"
#include "probe/Es2StateQueries.h"
#include "state/Es1StateFields.h"
#include "state/Es2StateFields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// The members, by offset, tile the record: no overlap, no gap beyond the padding of the next one (a
// member small enough to sit in that padding is not seen).
template <class State>
void ExpectWholeRecord(std::span<const TStateField<State>> table)
{
    std::vector<TStateField<State>> fields(table.begin(), table.end());
    std::sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) { return a.offset < b.offset; });
    ASSERT_FALSE(fields.empty());
    EXPECT_EQ(fields.front().offset, 0u) << fields.front().name;
    for (size_t i = 1; i < fields.size(); ++i) {
        const size_t end = fields[i - 1].offset + fields[i - 1].size;
        EXPECT_GE(fields[i].offset, end) << fields[i].name << " overlaps " << fields[i - 1].name;
        EXPECT_LT(fields[i].offset - end, fields[i].align) << "a member between " << fields[i - 1].name << " and "
                                                           << fields[i].name << " is missing from the table";
    }
    const size_t end = fields.back().offset + fields.back().size;
    EXPECT_LT(sizeof(State) - end, alignof(State)) << "a member after " << fields.back().name << " is missing";
}

template <class State, class Query>
bool QueriesDiffer(const std::vector<Query>& queries, const State& a, const State& b)
{
    for (const Query& q : queries)
        if (q.tracked && q.tracked(a) != q.tracked(b))
            return true;
    return false;
}

// The lines of `changed` that `base` does not have.
std::vector<std::string> NewLines(const std::string& base, const std::string& changed)
{
    std::vector<std::string> had, lines;
    for (auto [text, out] : {std::pair(&base, &had), std::pair(&changed, &lines)}) {
        std::istringstream in(*text);
        for (std::string line; std::getline(in, line);)
            out->push_back(line);
    }
    std::erase_if(lines, [&](const std::string& l) { return std::find(had.begin(), had.end(), l) != had.end(); });
    return lines;
}

// Whether a line names the field: its member name, or for an object table the name of one object
// ("buffer 3" for `buffers`).
bool NamesField(const std::string& line, std::string name)
{
    if (line.find(name) != std::string::npos)
        return true;
    name.pop_back();
    return name.size() > 1 && line.starts_with(name + ' ');
}

// Changes every value of every field of `base` in turn and asks each reader for the change. With
// `namedLines`, a line the change alters must name the field (the ES 1.1 listing's "name=value").
template <class State, class Text, class Page, class Query>
void ExpectEveryReaderShowsEveryField(std::span<const TStateField<State>> fields, const State& base, Text text,
                                      Page page, const std::vector<Query>& queries, bool namedLines = false)
{
    const std::string baseText = text(base), basePage = DumpStatePage(page(base, base));
    for (const TStateField<State>& f : fields) {
        ASSERT_GT(f.values, 0) << f.name;
        for (int v = 0; v < f.values; ++v) {
            State changed = base;
            f.change(changed, v);
            if (!f.text) {
                const std::string listed = text(changed);
                EXPECT_NE(listed, baseText) << f.name << " value " << v << ": not in the listing";
                const std::vector<std::string> lines = NewLines(baseText, listed);
                if (namedLines && !lines.empty()) {
                    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](auto& l) { return NamesField(l, f.name); }))
                        << f.name << " value " << v << ": shown in a line that does not name it: " << lines[0];
                }
            }
            if (!f.page) {
                EXPECT_NE(DumpStatePage(page(changed, base)), basePage)
                    << f.name << " value " << v << ": not on the page";
            }
            if (!f.probe) {
                EXPECT_TRUE(QueriesDiffer(queries, changed, base)) << f.name << " value " << v << ": no probe query";
            }
        }
    }
}

TEST(StateFields, Es1TableCoversTheRecordAndEveryReaderShowsIt)
{
    ExpectWholeRecord(Es1StateFields());
    ExpectEveryReaderShowsEveryField(Es1StateFields(), Es1StateShowingAll(), DescribeEs1State, BuildEs1Page,
                                     Es1StateQueries(), true);
}

TEST(StateFields, Es2TableCoversTheRecordAndEveryReaderShowsIt)
{
    ExpectWholeRecord(Es2StateFields());
    ExpectEveryReaderShowsEveryField(Es2StateFields(), Es2StateShowingAll(), DescribeEs2State, BuildEs2Page,
                                     Es2StateQueries());
}

} // namespace
