// Key paths, the typed accessors and their result codes.
#include "PrefsFixture.h"

#include "Common/XQFPreferences/XQFPlistPrinter.h"

#include <functional>
#include <tinyxml2.h>
#include <vector>

namespace {

using PrefsValues = PrefsFixture;

std::string Printed(const CXQFPreferences& store)
{
    CXQFPlistPrinter printer(nullptr, true);
    store.Document()->Print(&printer);
    return printer.CStr();
}

TEST(PrefsKeyPath, Splitting)
{
    struct SRow { const char* key; std::vector<std::string> parts; };
    const SRow rows[] = {
        {"/About/ShowSplash", {"About", "ShowSplash"}},
        {"About/ShowSplash/", {"About", "ShowSplash"}},
        {"/a/b/", {"a", "b"}},
        {"a//b", {"a", "b"}},
        {"Editor/FontSize", {"Editor", "FontSize"}},
        {"plain", {"plain"}},
        {"", {""}},
        {"/", {""}},
        {"a//", {"a", ""}},
        {"//a", {"a"}},
    };
    for (const SRow& row : rows) {
        CXQFTArray<CXQFTString> parts = CXQFPreferences::SplitKeyPath(S(row.key));
        std::vector<std::string> got;
        for (uint32_t i = 0; i < parts.size; ++i)
            got.emplace_back(parts[i].CStr());
        EXPECT_EQ(got, row.parts) << "'" << row.key << "'";
    }
}

// Every result code, reached from the accessors that can give it.
TEST_F(PrefsValues, ResultCodes)
{
    const std::string body =
        "<key>Int</key><integer>12</integer>\n"
        "<key>Text</key><string>hello</string>\n"
        "<key>Abc</key><integer>abc</integer>\n"
        "<key>X12</key><integer>x12</integer>\n"
        "<key>Mixed</key><integer>12abc</integer>\n"
        "<key>Huge</key><integer>99999999999</integer>\n"
        "<key>NoText</key><string/>\n"
        "<key>NoNumber</key><integer></integer>\n"
        "<key>Cased</key><String>case</String>\n"
        "<key>On</key><true/>\n"
        "<key>List</key><ARRAY><string>a</string></ARRAY>\n"
        "<key>Group</key><dict><key>Inner</key><integer>5</integer></dict>\n";

    using Op = std::function<int(CXQFPreferences&, uint32_t*)>;
    auto getInt = [](const char* key) {
        return Op([key](CXQFPreferences& s, uint32_t* out) { return s.GetInteger(S(key), out, 99); });
    };
    auto getString = [](const char* key) {
        return Op([key](CXQFPreferences& s, uint32_t* out) {
            CXQFTString text;
            int r = s.GetString(S(key), &text, S("default"));
            *out = text == "default" ? 99 : uint32_t(text.Length());
            return r;
        });
    };
    auto setInt = [](const char* key) {
        return Op([key](CXQFPreferences& s, uint32_t*) { return s.SetInteger(S(key), 1); });
    };
    std::string deep;
    for (uint32_t i = 0; i < CXQFPreferences::kMaxKeyPathParts; ++i)
        deep += "k/";
    deep += "v";
    struct SRow { const char* what; Op op; int code; uint32_t out; };
    // out 7 is the untouched starting value, 99 the default.
    const SRow rows[] = {
        {"integer read", getInt("Int"), 0, 12},
        {"nested read", getInt("/Group/Inner/"), 0, 5},
        {"number then junk", getInt("Mixed"), 0, 12},
        {"new path created", setInt("New/Path"), 0, 7},
        {"existing entry set", setInt("Int"), 0, 7},
        {"missing key", getInt("Nope"), 1, 99},
        {"missing group", getInt("Nope/Inner"), 1, 99},
        {"integer without text", getInt("NoNumber"), 1, 99},
        {"string without text is empty", getString("NoText"), 0, 0},
        {"no path into an array", getString("List/a"), 1, 99},
        {"no path into a string", getString("Text/x"), 1, 99},
        {"empty key", setInt(""), 2, 7},
        {"key naming no entry", setInt("/"), 2, 7},
        {"empty last part", setInt("Group//"), 2, 7},
        {"string read as integer", getInt("Text"), 3, 99},
        {"no number", getInt("Abc"), 3, 7},
        {"no number at the start", getInt("X12"), 3, 7},
        {"too large", getInt("Huge"), 3, 7},
        {"tag case matters", getString("Cased"), 3, 99},
        {"integer read as string", getString("Int"), 3, 99},
        {"string set into a dict", Op([](CXQFPreferences& s, uint32_t*) {
             return s.SetString(S("Group"), "x"); }), 3, 7},
        {"array set over a string", Op([](CXQFPreferences& s, uint32_t*) {
             return s.SetStringArray(S("Text"), CXQFTArray<CXQFTString>()); }), 3, 7},
        {"bool set over a dict", Op([](CXQFPreferences& s, uint32_t*) {
             return s.SetBool(S("Group"), true); }), 3, 7},
        {"bool set over an array with items", Op([](CXQFPreferences& s, uint32_t*) {
             return s.SetBool(S("List"), false); }), 3, 7},
        {"path through a string", setInt("Text/Sub"), 4, 7},
        {"path through an array", setInt("List/Sub"), 4, 7},
        {"path too deep", setInt(deep.c_str()), 4, 7},
    };
    for (const SRow& row : rows) {
        auto store = Loaded("Codes", body);
        std::string before = Printed(*store);
        uint32_t out = 7;
        EXPECT_EQ(row.op(*store, &out), row.code) << row.what;
        EXPECT_EQ(out, row.out) << row.what;
        if (row.code != 0) {
            EXPECT_EQ(Printed(*store), before) << row.what << ": a failed call changes nothing";
            EXPECT_FALSE(store->IsDirty()) << row.what;
        }
    }
}

// Integer texts are read as stream extraction of an unsigned int reads them.
TEST_F(PrefsValues, IntegerTextsReadAsStreamExtraction)
{
    const char* const texts[] = {"-5", "+7", " \t12abc", "4294967295", "4294967296", "-4294967295",
                                 "-4294967296", "-0", "+", "-", "0x10", "007", " +-3", "\v9",
                                 "99999999999999999999999", "12 34", "\xc2\xa0" "5"};
    std::string body;
    for (size_t i = 0; i < std::size(texts); ++i)
        body += "<key>N" + std::to_string(i) + "</key><integer>" + texts[i] + "</integer>\n";
    auto store = Loaded("Integers", body);
    for (size_t i = 0; i < std::size(texts); ++i) {
        std::istringstream in(texts[i]);
        unsigned int expected = 123;
        in >> expected;
        uint32_t value = 123;
        std::string key = "N";
        key += std::to_string(i);
        EXPECT_EQ(store->GetInteger(S(key.c_str()), &value), in.fail() ? 3 : 0)
            << texts[i];
        EXPECT_EQ(value, in.fail() ? 123u : expected) << texts[i];
    }
}

TEST_F(PrefsValues, NotLoadedAndFailedReloadGiveCode4)
{
    CXQFPreferences never(S("Never"), 0);
    bool flag = true;
    EXPECT_EQ(never.GetBool(S("On"), &flag, false), 4);
    EXPECT_TRUE(flag) << "not even the default is applied";
    uint32_t number = 7;
    EXPECT_EQ(never.GetInteger(S("Int"), &number, 99), 4);
    EXPECT_EQ(number, 99u);
    CXQFTString text;
    EXPECT_EQ(never.GetString(S("Text"), &text, S("d")), 4);
    EXPECT_EQ(text, "d");
    CXQFTArray<CXQFTString> list;
    EXPECT_EQ(never.GetStringArray(S("List"), &list), 4);
    void* data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(never.GetData(S("Blob"), &data, &size), 4);
    EXPECT_EQ(never.SetInteger(S("Int"), 1), 4);
    EXPECT_EQ(never.SetBool(S("On"), true), 4);
    EXPECT_EQ(never.SetData(S("Blob"), "x", 1), 4);
    EXPECT_FALSE(never.HasKey(S("Int")));
    EXPECT_FALSE(never.Save(true));

    // Another program leaves a file that does not validate: the reload fails.
    auto store = Loaded("Reload", "<key>Int</key><integer>1</integer>\n");
    WriteFile(PathOf("Reload"), Plist("<key>Int</key><key>Twice</key><integer>2</integer>\n"));
    number = 7;
    EXPECT_EQ(store->GetInteger(S("Int"), &number, 99), 4);
    EXPECT_EQ(number, 7u) << "a failed reload applies no default";
    EXPECT_EQ(store->SetInteger(S("Int"), 3), 4);
}

TEST_F(PrefsValues, SettersShapeTheDocument)
{
    auto store = Loaded("Shape");
    ASSERT_EQ(store->SetInteger(S("Group/Item"), 1), 0);
    EXPECT_NE(Printed(*store).find("<dict><key>Group</key><dict><key>Item</key><integer>1</integer></dict></dict>"),
              std::string::npos) << Printed(*store);

    // Another type's setter keeps the existing tag.
    ASSERT_EQ(store->SetString(S("Group/Item"), "text"), 0);
    CXQFTString text;
    EXPECT_EQ(store->GetString(S("Group/Item"), &text), 3);
    EXPECT_NE(Printed(*store).find("<integer>text</integer>"), std::string::npos);

    // Booleans are empty elements, renamed when set again.
    ASSERT_EQ(store->SetBool(S("Flag"), true), 0);
    ASSERT_EQ(store->SetBool(S("Flag"), false), 0);
    ASSERT_EQ(store->SetBool(S("Other"), false), 0);
    EXPECT_NE(Printed(*store).find("<key>Flag</key><false/><key>Other</key><false/>"), std::string::npos);
    bool flag = true;
    EXPECT_EQ(store->GetBool(S("Flag"), &flag), 0);
    EXPECT_FALSE(flag);

    // Arrays: empty ones have no children, reads append.
    ASSERT_EQ(store->SetStringArray(S("Empty"), CXQFTArray<CXQFTString>()), 0);
    EXPECT_NE(Printed(*store).find("<key>Empty</key><array/>"), std::string::npos);
    CXQFTArray<CXQFTString> list;
    list.Append(S("kept"));
    EXPECT_EQ(store->GetStringArray(S("Empty"), &list), 0);
    EXPECT_EQ(list.size, 1u);
    CXQFTArray<CXQFTString> items;
    items.Append(S("x"));
    items.Append(S("y"));
    ASSERT_EQ(store->SetStringArray(S("Empty"), items), 0);
    EXPECT_EQ(store->GetStringArray(S("Empty"), &list), 0);
    ASSERT_EQ(list.size, 3u);
    EXPECT_EQ(list[2], "y");

    // The same entry by three spellings of its path.
    ASSERT_EQ(store->SetInteger(S("/a/b/"), 5), 0);
    for (const char* key : {"a/b", "a//b", "/a/b"}) {
        uint32_t n = 0;
        EXPECT_EQ(store->GetInteger(S(key), &n), 0) << key;
        EXPECT_EQ(n, 5u);
    }
}

TEST_F(PrefsValues, DataIsBase64WithLineFeeds)
{
    auto store = Loaded("Data", "<key>Spaced</key><data>\n\tSGVs\n\tbG8=\t==\n</data>\n");
    ASSERT_EQ(store->SetData(S("Empty"), nullptr, 0), 0);
    EXPECT_NE(Printed(*store).find("<key>Empty</key><data>&#x0A;</data>"), std::string::npos);
    void* data = reinterpret_cast<void*>(1);
    uint32_t size = 9;
    EXPECT_EQ(store->GetData(S("Empty"), &data, &size), 0);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(data, nullptr);

    // 60 bytes of 0xAB are 80 letters "q6ur...": a line of 72, a line of 8, each ended.
    std::string sixty(60, '\xAB');
    ASSERT_EQ(store->SetData(S("Sixty"), sixty.data(), 60), 0);
    std::string line;
    for (int i = 0; i < 18; ++i)
        line += "q6ur";
    EXPECT_NE(Printed(*store).find("<data>" + line + "&#x0A;q6urq6ur&#x0A;</data>"), std::string::npos);

    ASSERT_EQ(store->GetData(S("Spaced"), &data, &size), 0);
    EXPECT_EQ(std::string(static_cast<char*>(data), size), "Hello");
    free(data);
}

} // namespace
