// Files written by the store must read back identically in Python's plistlib and pass xmllint;
// files written by plistlib must read back in the store. The values mirror EXPECTED in
// plist_roundtrip.py.
#include "PrefsFixture.h"

#include <cstring>
#include <vector>
#include "TestPaths.h"

namespace {

std::string Script()
{
    return SourceDir() + "/tests/prefs/plist_roundtrip.py";
}

std::vector<unsigned char> Blob()
{
    std::vector<unsigned char> bytes(300);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>((i * 7 + 3) % 256);
    return bytes;
}

struct SIntegerRow { const char* key; uint32_t value; };
struct SStringRow { const char* key; const char* value; };
struct SBoolRow { const char* key; bool value; };

const SIntegerRow kIntegers[] = {{"Count", 42}, {"Zero", 0}, {"Max", 4294967295u},
                                 {"Group/Inner/Deep/Value", 7}};
const SStringRow kStrings[] = {
    {"Text", "first line\nsecond line\n\tindented <&> \"quoted\" 'single'"},
    {"Padded", "  both ends  "},
    {"Blank", " "},
    {"Empty", ""},
    {"Utf8", "Gr\xc3\xbc\xc3\x9f" "e \xe2\x9c\x93 \xe6\x97\xa5\xe6\x9c\xac"},
    {"Group/Inner/Deep/Name", "deep"},
    {"Group/Sibling", "s"},
};
const SBoolRow kBools[] = {{"On", true}, {"Off", false}};
const char* const kList[] = {"one", "two\nlines", ""};

void SetAll(CXQFPreferences& store)
{
    for (const auto& row : kIntegers)
        ASSERT_EQ(store.SetInteger(S(row.key), row.value), 0) << row.key;
    for (const auto& row : kStrings)
        ASSERT_EQ(store.SetString(S(row.key), row.value), 0) << row.key;
    for (const auto& row : kBools)
        ASSERT_EQ(store.SetBool(S(row.key), row.value), 0) << row.key;
    CXQFTArray<CXQFTString> list;
    for (const char* item : kList)
        list.Append(S(item));
    ASSERT_EQ(store.SetStringArray(S("List"), list), 0);
    ASSERT_EQ(store.SetStringArray(S("NoItems"), CXQFTArray<CXQFTString>()), 0);
    std::vector<unsigned char> blob = Blob();
    ASSERT_EQ(store.SetData(S("Blob"), blob.data(), uint32_t(blob.size())), 0);
    ASSERT_EQ(store.SetData(S("EmptyBlob"), "", 0), 0);
}

// White-space-only text written by another program is dropped by the XML parser, so " " from
// plistlib reads as an empty string.
void ExpectAll(CXQFPreferences& store, bool foreignWriter)
{
    for (const auto& row : kIntegers) {
        uint32_t value = 1;
        EXPECT_EQ(store.GetInteger(S(row.key), &value), 0) << row.key;
        EXPECT_EQ(value, row.value) << row.key;
    }
    for (const auto& row : kStrings) {
        CXQFTString value;
        bool blank = strcmp(row.key, "Blank") == 0;
        if (foreignWriter && blank) {
            EXPECT_EQ(store.GetString(S(row.key), &value), 0);
            EXPECT_STREQ(value.CStr(), "");
            continue;
        }
        EXPECT_EQ(store.GetString(S(row.key), &value), 0) << row.key;
        EXPECT_STREQ(value.CStr(), row.value) << row.key;
    }
    for (const auto& row : kBools) {
        bool value = !row.value;
        EXPECT_EQ(store.GetBool(S(row.key), &value), 0) << row.key;
        EXPECT_EQ(value, row.value) << row.key;
    }
    CXQFTArray<CXQFTString> list;
    ASSERT_EQ(store.GetStringArray(S("List"), &list), 0);
    ASSERT_EQ(list.size, 3u);
    for (uint32_t i = 0; i < list.size; ++i)
        EXPECT_STREQ(list[i].CStr(), kList[i]);
    CXQFTArray<CXQFTString> none;
    EXPECT_EQ(store.GetStringArray(S("NoItems"), &none), 0);
    EXPECT_EQ(none.size, 0u);

    void* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(store.GetData(S("Blob"), &data, &size), 0);
    std::vector<unsigned char> blob = Blob();
    ASSERT_EQ(size, blob.size());
    EXPECT_EQ(memcmp(data, blob.data(), size), 0);
    free(data);
    data = nullptr;
    EXPECT_EQ(store.GetData(S("EmptyBlob"), &data, &size), 0);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(data, nullptr);
}

using PlistRoundTrip = PrefsFixture;

TEST_F(PlistRoundTrip, StoreFileReadsBackInPlistlibAndXmllint)
{
    {
        CXQFPreferences store(S("RoundTrip"), 0);
        CXQFTString errors;
        ASSERT_TRUE(store.Load(errors, true));
        SetAll(store);
        ASSERT_TRUE(store.Save(false));
    }
    std::string path = PathOf("RoundTrip");
    EXPECT_EQ(Run("xmllint --noout " + Quoted(path)), 0) << ReadFile(path);
    EXPECT_EQ(Run("python3 " + Quoted(Script()) + " check " + Quoted(path)), 0) << ReadFile(path);

    // And the store reads its own file back.
    CXQFPreferences again(S("RoundTrip"), 0);
    CXQFTString errors;
    ASSERT_TRUE(again.Load(errors, false)) << errors.CStr();
    ExpectAll(again, false);
}

TEST_F(PlistRoundTrip, PlistlibFileReadsBackInStore)
{
    std::filesystem::create_directories(Folder());
    std::string path = PathOf("Foreign");
    ASSERT_EQ(Run("python3 " + Quoted(Script()) + " write " + Quoted(path)), 0);
    CXQFPreferences store(S("Foreign"), 0);
    CXQFTString errors;
    ASSERT_TRUE(store.Load(errors, false)) << errors.CStr();
    EXPECT_TRUE(errors.IsEmpty());
    ExpectAll(store, true);
}

} // namespace
