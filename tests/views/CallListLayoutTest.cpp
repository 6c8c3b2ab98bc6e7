// What the call list lists, without widgets: groups headed by draw calls (and by the frame's
// first call when it is no draw), collapsed groups, the filter, and the draw-call ordinals.
#include <gtest/gtest.h>

#include "CallFixture.h"
#include "calllist/CallListLayout.h"

namespace {
std::vector<u32> Listed(const CCallListLayout& layout)
{
    std::vector<u32> numbers;
    for (u32 i = 0; i < layout.Count(); ++i)
        numbers.push_back(layout.At(i).callNumber);
    return numbers;
}

// Frame 1: calls 1-3 (swap at 3). Frame 2: 4 clear, 5 draw, 6 clear, 7 uniform, 8 draw, 9 clear,
// 10 swap.
std::unique_ptr<CTraceData> TwoFrames()
{
    CTraceBuilder b;
    b.Calls(2).Frame();
    b.Calls(1).Draw().Calls(1).Calls(1, kIdUniform).Draw().Calls(1).Frame();
    auto trace = b.Take();
    trace->SetCurrentFrame(2, true);
    return trace;
}
}  // namespace

TEST(CallListLayout, GroupsFollowDrawCallsAndCollapsedGroupsKeepTheirKeys)
{
    auto trace = TwoFrames();
    CCallListLayout layout;
    layout.ScanFrame(*trace);
    EXPECT_EQ(layout.FrameDrawCalls(), (std::vector<u32>{5, 8}));
    EXPECT_TRUE(layout.IsKey(4));
    layout.Rebuild(*trace, false, nullptr);
    EXPECT_EQ(Listed(layout), (std::vector<u32>{4, 5, 6, 7, 8, 9, 10}));

    ASSERT_TRUE(layout.ToggleGroup(5));
    layout.Rebuild(*trace, false, nullptr);
    EXPECT_EQ(Listed(layout), (std::vector<u32>{4, 5, 8, 9, 10}));
    EXPECT_FALSE(layout.ToggleGroup(6)) << "a member is no key";

    layout.SetAllGroups(false);
    layout.Rebuild(*trace, false, nullptr);
    EXPECT_EQ(Listed(layout), (std::vector<u32>{4, 5, 8}));

    // Showing a hidden member opens exactly its group.
    EXPECT_TRUE(layout.ExpandGroupOf(7));
    EXPECT_FALSE(layout.ExpandGroupOf(8)) << "keys are always listed";
    layout.Rebuild(*trace, false, nullptr);
    EXPECT_EQ(Listed(layout), (std::vector<u32>{4, 5, 6, 7, 8}));
    EXPECT_EQ(layout.IndexOfCall(7), 3u);
    EXPECT_EQ(layout.IndexOfCall(9), std::nullopt);

    // A frame visited again keeps its collapsed groups.
    trace->SetCurrentFrame(1, true);
    layout.ScanFrame(*trace);
    trace->SetCurrentFrame(2, true);
    layout.ScanFrame(*trace);
    EXPECT_EQ(layout.IsExpanded(8), false);
}

TEST(CallListLayout, FilterHidesMembersButNeverDrawCalls)
{
    auto trace = TwoFrames();
    CCallListLayout layout;
    layout.ScanFrame(*trace);
    const std::set<u32> filter{kIdClear, kIdDrawArrays};
    layout.Rebuild(*trace, true, &filter);
    // 4 heads the frame, 5 and 8 are draws: listed although their ids are filtered.
    EXPECT_EQ(Listed(layout), (std::vector<u32>{4, 5, 7, 8, 10}));
    layout.Rebuild(*trace, false, &filter);
    EXPECT_EQ(layout.Count(), 7u) << "the filter set only applies while the filter is on";
}

TEST(CallListLayout, FirstCallDrawEmptyAndSingleCallFrames)
{
    CTraceBuilder b;
    b.Draw().Calls(2).Draw().Calls(1).Frame();  // frame 1 starts with a draw
    b.Add(kIdClear);                           // frame 2: one call, still open
    auto trace = b.Take();
    CCallListLayout layout;

    trace->SetCurrentFrame(1, true);
    layout.ScanFrame(*trace);
    EXPECT_FALSE(layout.IsKey(2));
    EXPECT_TRUE(layout.IsKey(1));
    layout.ToggleGroup(1);
    layout.Rebuild(*trace, false, nullptr);
    // The calls before the second draw belong to the first draw: no separate head group.
    EXPECT_EQ(Listed(layout), (std::vector<u32>{1, 4, 5, 6}));

    trace->SetCurrentFrame(2, true);
    layout.ScanFrame(*trace);
    layout.Rebuild(*trace, false, nullptr);
    EXPECT_EQ(Listed(layout), (std::vector<u32>{7}));
    EXPECT_TRUE(layout.FrameDrawCalls().empty());

    CTraceData empty;
    layout.ScanFrame(empty);
    layout.Rebuild(empty, true, nullptr);
    EXPECT_EQ(layout.Count(), 0u);
    EXPECT_EQ(layout.IndexOfCall(1), std::nullopt);
}

TEST(CallListLayout, DrawOrdinalsAndClear)
{
    auto trace = TwoFrames();
    CCallListLayout layout;
    layout.ScanFrame(*trace);
    EXPECT_EQ(layout.DrawCallByOrdinal(1), 5u);
    EXPECT_EQ(layout.DrawCallByOrdinal(2), 8u);
    for (int outside : {0, -1, 3, 1 << 30})
        EXPECT_EQ(layout.DrawCallByOrdinal(outside), 0u) << outside;
    layout.Rebuild(*trace, false, nullptr);
    layout.Clear();
    EXPECT_EQ(layout.Count(), 0u);
    EXPECT_FALSE(layout.HasGroups());
}
