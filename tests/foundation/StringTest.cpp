#include "XQFTString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Bytes(const CXQFTString& s)
{
    return std::string(s.CStr(), s.Length());
}

} // namespace

TEST(String, EmptyStateAndClear)
{
    CXQFTString s;
    EXPECT_EQ(s.Length(), 0u);
    EXPECT_EQ(s.Capacity(), 1u);
    EXPECT_STREQ(s.CStr(), "");
    s.Assign("some text");
    s.Clear();
    EXPECT_EQ(s.Capacity(), 1u);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_STREQ(CXQFTString(nullptr).CStr(), "");
}

TEST(String, ExactFitGrowthAndNoShrink)
{
    CXQFTString s("abcde");
    EXPECT_EQ(s.Capacity(), 6u);
    s.Append("xyz");
    EXPECT_EQ(s.Capacity(), 9u);
    s.Assign("ab");
    EXPECT_EQ(s.Capacity(), 9u);
    EXPECT_EQ(Bytes(s), "ab");
    s.Reserve(20);
    EXPECT_EQ(s.Capacity(), 21u);
    EXPECT_EQ(Bytes(s), "ab");
    s.Reserve(5);
    EXPECT_EQ(s.Capacity(), 21u);
}

TEST(String, AppendFromOwnBuffer)
{
    CXQFTString s("ab");
    s.Append(s);
    EXPECT_EQ(Bytes(s), "abab");
    CXQFTString t("xyz");
    t.Append(t.CStr() + 1, 2);
    EXPECT_EQ(Bytes(t), "xyzyz");
    CXQFTString roomy("hello");
    roomy.Reserve(40);
    roomy.Append(roomy.CStr(), 3);
    EXPECT_EQ(Bytes(roomy), "hellohel");
    roomy.Assign(roomy.CStr() + 5, 3); // overlapping move into the same buffer
    EXPECT_EQ(Bytes(roomy), "hel");
    roomy.Assign(roomy);
    EXPECT_EQ(Bytes(roomy), "hel");
}

TEST(String, AppendVariants)
{
    CXQFTString src("abc");
    struct Case { size_t pos, count; const char* want; } cases[] = {
        {5, 2, "a"}, {1, 9, "abc"}, {0, 1, "aa"}, {3, 1, "a"},
    };
    for (const auto& c : cases) {
        CXQFTString s("a");
        s.Append(src, c.pos, c.count);
        EXPECT_EQ(Bytes(s), c.want) << c.pos << "," << c.count;
    }
    CXQFTString s;
    s.Append(3, 'z').PushBack('!').Append(static_cast<const char*>(nullptr));
    EXPECT_EQ(Bytes(s), "zzz!");
    EXPECT_EQ(Bytes(CXQFTString("abcdef", 3)), "abc");
    EXPECT_EQ(Bytes(CXQFTString(CXQFTString("abcdef"), 2, 3)), "cde");
    EXPECT_EQ(Bytes(CXQFTString(CXQFTString("abcdef"), 4)), "ef");
}

TEST(String, Comparisons)
{
    CXQFTString a("a");
    EXPECT_EQ(a.Compare("b"), -1);
    EXPECT_EQ(CXQFTString("b").Compare("a"), 1);
    EXPECT_EQ(a.Compare("a"), 0);
    EXPECT_EQ(CXQFTString("\xE9").Compare("z"), 1);
    EXPECT_TRUE(CXQFTString("z") < CXQFTString("\xE9"));
    EXPECT_TRUE(CXQFTString("ab") < CXQFTString("abc"));
    EXPECT_FALSE(CXQFTString("abc") < CXQFTString("ab"));
    EXPECT_FALSE(a == static_cast<const char*>(nullptr));
    EXPECT_TRUE(a != static_cast<const char*>(nullptr));
    EXPECT_TRUE(a == "a");
    EXPECT_TRUE(a == CXQFTString("a"));

    CXQFTString s("hello world");
    EXPECT_EQ(s.Compare(6, 5, "world"), 0);
    EXPECT_EQ(s.Compare(6, 3, "wor"), 0);
    EXPECT_EQ(s.Compare(6, 3, "worldwide"), 0); // both cut to 3
    EXPECT_EQ(s.Compare(6, 9, "worldwide"), -1); // the string ends first
    EXPECT_EQ(s.Compare(0, 5, "hell"), 1);
    EXPECT_EQ(s.Compare(0, 5, "help!"), -1);
}

TEST(String, Search)
{
    CXQFTString s("a/b/");
    EXPECT_EQ(s.FindLastOf('/', 0), 3u);
    EXPECT_EQ(s.FindLastOf('/', 1), 1u);
    EXPECT_EQ(s.FindLastOf('/', 4), CXQFTString::npos);
    EXPECT_EQ(s.FindLastOf("ab", 0), 2u);
    EXPECT_EQ(s.FindLastOf("x", 0), CXQFTString::npos);
    EXPECT_EQ(s.Find(CXQFTString("")), CXQFTString::npos);
    EXPECT_EQ(s.Find(CXQFTString("b/")), 2u);
    EXPECT_EQ(s.Find(CXQFTString("a/b/c")), CXQFTString::npos);
    EXPECT_EQ(s.Find('/', 4), CXQFTString::npos);
    EXPECT_EQ(s.Find('/', 2), 3u);
    EXPECT_EQ(s.Find(CXQFTString("/"), 4), CXQFTString::npos);
    EXPECT_EQ(s.FindFirstOf("b/", 0), 1u);
    EXPECT_EQ(s.FindFirstOf("", 0), CXQFTString::npos);
    EXPECT_EQ(s.FindFirstOf("x", 0), CXQFTString::npos);
}

TEST(String, Erase)
{
    struct Case { size_t pos, count; std::string want; } cases[] = {
        {1, 2, "ade"},
        {2, CXQFTString::npos, "ab"},
        {1, 4, "a"}, // the run reaches the end: cut at pos
        {7, CXQFTString::npos, std::string("abcde\0\0", 7)},
        {0, 0, "abcde"},
    };
    for (const auto& c : cases) {
        CXQFTString s("abcde");
        s.Erase(c.pos, c.count);
        EXPECT_EQ(Bytes(s), c.want) << c.pos << "," << c.count;
        EXPECT_EQ(s.CStr()[s.Length()], '\0');
    }
}

TEST(String, Substitute)
{
    struct Case { const char* in; const char* from; const char* to; bool all; const char* want; } cases[] = {
        {"aaa", "a", "aa", true, "aaaaaa"},
        {"aaa", "a", "aa", false, "aaaa"},
        {"abc", "abcd", "x", true, "abc"},
        {"", "a", "b", true, ""},
        {"a.b.c", ".", "::", true, "a::b::c"},
        {"a.b.c", ".", nullptr, true, "abc"},
        {"xx", "", "y", true, "xx"},
    };
    for (const auto& c : cases) {
        CXQFTString s(c.in);
        s.Substitute(c.from, c.to, c.all);
        EXPECT_EQ(Bytes(s), c.want) << c.in << " " << c.from;
    }
    CXQFTString s("a\\b\\c");
    EXPECT_EQ(Bytes(s.Substitute('\\', '/', false)), "a/b\\c");
    EXPECT_EQ(Bytes(s.Substitute('\\', '/', true)), "a/b/c");
}

TEST(String, PiecesAndConcatenation)
{
    CXQFTString s("abc");
    EXPECT_EQ(Bytes(s.Left(10)), "abc");
    EXPECT_EQ(Bytes(s.Right(10)), "abc");
    EXPECT_EQ(Bytes(s.Right(2)), "bc");
    EXPECT_EQ(Bytes(s.Left(1)), "a");
    EXPECT_EQ(Bytes(s.Substring(1)), "bc");
    EXPECT_EQ(Bytes(s.Substring(1, 1)), "b");
    EXPECT_EQ(Bytes(s.Substring(2, 50)), "c"); // clipped, never past the end
    EXPECT_EQ(Bytes(s.Substring(9)), "");
    EXPECT_EQ(Bytes(s + CXQFTString("d")), "abcd");
    EXPECT_EQ(Bytes(s + "de"), "abcde");
    EXPECT_EQ(Bytes(s + static_cast<const char*>(nullptr)), "abc");
    EXPECT_EQ(Bytes(s + 'x'), "abcx");
    EXPECT_EQ(Bytes("0" + s), "0abc");
    EXPECT_EQ(Bytes(static_cast<const char*>(nullptr) + s), "abc");
}

TEST(String, Format)
{
    CXQFTString s("old");
    CXQFTString r = s.Format("%d-%s", 7, "x");
    EXPECT_EQ(Bytes(r), "7-x");
    EXPECT_EQ(Bytes(s), "7-x");
    std::string big(5000, 'q');
    EXPECT_EQ(Bytes(StringFromFormat("<%s>", big.c_str())), "<" + big + ">");
    EXPECT_EQ(StringFromFormat("%s", "").Length(), 0u);
}
