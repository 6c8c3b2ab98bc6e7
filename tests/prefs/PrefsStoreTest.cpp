// Loading, repairing, saving and reloading the store's file.
#include "PrefsFixture.h"

#include "Common/XQFPreferences/XQFPlistFormat.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace {

using PrefsStore = PrefsFixture;

ino_t InodeOf(const std::string& path)
{
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_ino;
}

TEST_F(PrefsStore, FirstLoadCreatesMissingFoldersAndTheTemplate)
{
    std::string base = m_root + "/not/yet/there";
    setenv("XDG_CONFIG_HOME", base.c_str(), 1);
    CXQFPreferences store(S("XQFTraceGuiQT"), 0);
    CXQFTString errors;
    ASSERT_TRUE(store.Load(errors, true));
    EXPECT_TRUE(errors.IsEmpty());
    std::string path = base + "/Orvistaline Technologies/XQFTraceGuiQT.plist";
    EXPECT_EQ(ReadFile(path), kPlistTemplate);
    EXPECT_FALSE(store.HasKey(S("anything")));
    struct stat st {};
    ASSERT_EQ(stat(base.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "per-user configuration folders are private";
}

TEST_F(PrefsStore, ScopeChoosesTheFolder)
{
    struct SRow { uint32_t scope; std::string path; };
    const SRow rows[] = {
        {0, m_root + "/user/Orvistaline Technologies/Scoped.plist"},
        {1, m_root + "/system/Orvistaline Technologies/Scoped.plist"},
        {7, m_root + "/user/Orvistaline Technologies/Scoped.plist"},
    };
    for (const SRow& row : rows) {
        CXQFPreferences store(S("Scoped"), row.scope);
        CXQFTString path;
        ASSERT_TRUE(store.GetFilePath(&path));
        EXPECT_EQ(std::string(path.CStr()), row.path) << "scope " << row.scope;
    }

    // Without XDG_CONFIG_HOME (or with a relative one) the per-user folder is ~/.config.
    setenv("HOME", (m_root + "/home").c_str(), 1);
    for (const char* config : {"", "relative/dir"}) {
        setenv("XDG_CONFIG_HOME", config, 1);
        CXQFPreferences store(S("Scoped"), 0);
        CXQFTString errors;
        ASSERT_TRUE(store.Load(errors, false));
        EXPECT_TRUE(std::filesystem::exists(m_root + "/home/.config/Orvistaline Technologies/Scoped.plist"));
    }
}

TEST_F(PrefsStore, SaveReplacesTheFileWholeAndOnlyWhenAsked)
{
    auto store = Loaded("Saved");
    std::string path = PathOf("Saved");
    ino_t before = InodeOf(path);

    EXPECT_TRUE(store->Save(false)) << "a clean store has nothing to write";
    EXPECT_EQ(InodeOf(path), before);

    ASSERT_EQ(store->SetInteger(S("Window/Width"), 640), 0);
    EXPECT_TRUE(store->IsDirty());
    ASSERT_TRUE(store->Save(false));
    EXPECT_FALSE(store->IsDirty());
    EXPECT_NE(InodeOf(path), before) << "the temporary file is renamed over the old one";
    std::vector<std::string> names;
    for (auto& entry : std::filesystem::directory_iterator(Folder()))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Saved.plist", "Saved.plist.lock"})) << "no temporary file left";

    ino_t saved = InodeOf(path);
    chmod(path.c_str(), 0600);
    EXPECT_TRUE(store->Save(true));
    EXPECT_NE(InodeOf(path), saved) << "a forced save writes even when clean";
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "the replacement keeps the file's permissions";
}

// Every save writes a temporary file of a name no other save uses: with one fixed name, writers
// would share a file, and a save would take over whatever was left at that name.
TEST_F(PrefsStore, EverySaveWritesThroughATemporaryFileOfItsOwnName)
{
    auto store = Loaded("Unique");
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, Folder().c_str(), IN_CREATE), 0);
    const int kSaves = 3;
    for (int i = 0; i < kSaves; ++i) {
        ASSERT_EQ(store->SetInteger(S("N"), uint32_t(i)), 0);
        ASSERT_TRUE(store->Save(false));
    }
    std::vector<std::string> made;
    alignas(inotify_event) char buffer[64 * 1024];
    for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;)
        for (char* at = buffer; at < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            const std::string name = event->len ? event->name : "";
            if (name.rfind("Unique.plist.", 0) == 0 && name != "Unique.plist.lock")
                made.push_back(name);
            at += sizeof(inotify_event) + event->len;
        }
    close(watch);
    ASSERT_EQ(made.size(), size_t(kSaves)) << "one temporary file a save";
    std::sort(made.begin(), made.end());
    EXPECT_EQ(std::unique(made.begin(), made.end()), made.end()) << "a temporary name used twice: " << made[0];
    for (const std::string& name : made)
        EXPECT_FALSE(std::filesystem::exists(Folder() + "/" + name)) << name << " left behind";
}

TEST_F(PrefsStore, FailedSaveIsReportedAndLeavesTheFileAlone)
{
    auto store = Loaded("Stuck", "<key>Kept</key><integer>5</integer>\n");
    std::string path = PathOf("Stuck");
    std::string original = ReadFile(path);
    std::filesystem::create_directory(path + ".lock"); // the store cannot be locked

    ASSERT_EQ(store->SetInteger(S("Kept"), 6), 0);
    EXPECT_FALSE(store->Save(false));
    EXPECT_TRUE(store->IsDirty());
    EXPECT_EQ(ReadFile(path), original);

    std::filesystem::remove(path + ".lock");
    EXPECT_TRUE(store->Save(false)) << "a later save writes again";
    EXPECT_NE(ReadFile(path).find("<integer>6</integer>"), std::string::npos);
}

TEST_F(PrefsStore, CleanStoreFollowsChangesOfOtherProgramsAndDirtyOneKeepsItsView)
{
    auto store = Loaded("Shared", "<key>Count</key><integer>1</integer>\n");
    uint32_t count = 0;
    ASSERT_EQ(store->GetInteger(S("Count"), &count), 0);
    EXPECT_EQ(count, 1u);

    // Another program rewrites the file at once (within the same second).
    WriteFile(PathOf("Shared"), Plist("<key>Count</key><integer>2</integer>\n"));
    ASSERT_EQ(store->GetInteger(S("Count"), &count), 0);
    EXPECT_EQ(count, 2u);

    // A second store object's save is picked up the same way.
    CXQFPreferences other(S("Shared"), 0);
    CXQFTString errors;
    ASSERT_TRUE(other.Load(errors, true));
    ASSERT_EQ(other.SetInteger(S("Count"), 3), 0);
    ASSERT_TRUE(other.Save(false));
    ASSERT_EQ(store->GetInteger(S("Count"), &count), 0);
    EXPECT_EQ(count, 3u);

    // Unsaved values are never thrown away by a reload.
    ASSERT_EQ(store->SetString(S("Mine"), "unsaved"), 0);
    WriteFile(PathOf("Shared"), Plist("<key>Count</key><integer>4</integer>\n"));
    ASSERT_EQ(store->GetInteger(S("Count"), &count), 0);
    EXPECT_EQ(count, 3u);
    CXQFTString mine;
    EXPECT_EQ(store->GetString(S("Mine"), &mine), 0);
}

TEST_F(PrefsStore, ASaveKeepsWhatOtherStoresSavedSinceItsLoad)
{
    auto first = Loaded("Merged", "<key>Old</key><integer>1</integer>\n<key>Group</key><dict>\n"
                                  "<key>Kept</key><string>k</string>\n</dict>\n");
    CXQFPreferences second(S("Merged"), 0);
    CXQFTString errors;
    ASSERT_TRUE(second.Load(errors, false));

    // Both change their own copy; the second saves first.
    ASSERT_EQ(first->SetInteger(S("Group/First"), 1), 0);
    ASSERT_EQ(first->SetInteger(S("Blocked/Sub"), 3), 0); // a dictionary where the file will have a string
    ASSERT_EQ(second.SetInteger(S("Second"), 2), 0);
    ASSERT_EQ(second.SetInteger(S("Old"), 20), 0);
    ASSERT_EQ(second.SetString(S("Blocked"), "a string"), 0);
    ASSERT_TRUE(second.Save(false));
    ASSERT_EQ(first->SetInteger(S("Old"), 10), 0);      // saved last: it wins
    ASSERT_TRUE(first->Save(false));

    CXQFPreferences after(S("Merged"), 0);
    ASSERT_TRUE(after.Load(errors, false));
    struct SRow { const char* key; uint32_t value; };
    for (const SRow& row : {SRow{"Second", 2}, SRow{"Old", 10}, SRow{"Group/First", 1}, SRow{"Blocked/Sub", 3}}) {
        uint32_t value = 0;
        EXPECT_EQ(after.GetInteger(S(row.key), &value), 0) << row.key;
        EXPECT_EQ(value, row.value) << row.key;
    }
    CXQFTString kept;
    EXPECT_EQ(after.GetString(S("Group/Kept"), &kept), 0);
    // The saving store now holds the merged document too.
    uint32_t second2 = 0;
    EXPECT_EQ(first->GetInteger(S("Second"), &second2), 0);
    EXPECT_EQ(second2, 2u);
    EXPECT_EQ(Run("xmllint --noout " + Quoted(PathOf("Merged"))), 0);
}

TEST_F(PrefsStore, RepairsAMissingDeclarationRootOrDictionary)
{
    struct SRow { const char* what; std::string file; const char* warning; };
    const SRow rows[] = {
        {"declaration", "<plist version=\"1.0\"><dict><key>A</key><integer>1</integer></dict></plist>",
         "WARNING: No declaration found at the start. The declaration will be recreated.\n"},
        {"root", "<?xml version=\"1.0\"?>\n<!-- nothing else -->\n",
         "WARNING: No root <plist> tag found. Tag will be recreated.\n"},
        {"dictionary", "<?xml version=\"1.0\"?>\n<plist><array><string>x</string></array></plist>",
         "WARNING: No <dict> tag found. Tag will be recreated.\n"},
    };
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.what);
        WriteFile(PathOf("Repaired"), row.file);
        testing::internal::CaptureStderr();
        {
            CXQFPreferences store(S("Repaired"), 0);
            CXQFTString errors;
            ASSERT_TRUE(store.Load(errors, false));
            EXPECT_TRUE(errors.IsEmpty()) << errors.CStr();
            ASSERT_EQ(store.SetInteger(S("B"), 2), 0);
            ASSERT_TRUE(store.Save(false));
        }
        std::string output = testing::internal::GetCapturedStderr();
        EXPECT_NE(output.find(row.warning), std::string::npos) << output;
        EXPECT_NE(output.find("Common/XQFPreferences/XQFPreferences"), std::string::npos);

        // The repair holds: a second round adds nothing and the value is there.
        testing::internal::CaptureStderr();
        CXQFPreferences again(S("Repaired"), 0);
        CXQFTString errors;
        ASSERT_TRUE(again.Load(errors, false)) << errors.CStr();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        uint32_t b = 0;
        EXPECT_EQ(again.GetInteger(S("B"), &b), 0);
        EXPECT_EQ(b, 2u);
        EXPECT_EQ(Run("xmllint --noout " + Quoted(PathOf("Repaired"))), 0);
    }
}

TEST_F(PrefsStore, TextOutsideTheRootIsSavedBackUnchanged)
{
    const std::string dict = "<plist version=\"1.0\">\n<dict>\n</dict>\n</plist>\n";
    struct SRow { const char* what; std::string head; };
    const SRow rows[] = {
        {"stray text before the root", "<?xml version=\"1.0\"?>\n<!DOCTYPE plist>\nstray &amp; text\n"},
        {"document type with an internal subset",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [ <!ELEMENT plist ANY> ]>\n"},
    };
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.what);
        WriteFile(PathOf("Outside"), row.head + dict);
        for (int round = 0; round < 3; ++round) {
            CXQFPreferences store(S("Outside"), 0);
            CXQFTString errors;
            ASSERT_TRUE(store.Load(errors, false)) << errors.CStr();
            ASSERT_EQ(store.SetInteger(S("Round"), uint32_t(round)), 0);
            ASSERT_TRUE(store.Save(false));
            const std::string file = ReadFile(PathOf("Outside"));
            ASSERT_EQ(file.find(row.head), 0u) << "round " << round << ":\n" << file;
            EXPECT_EQ(file.find("<plist"), row.head.size()) << "round " << round << ":\n" << file;
        }
    }
}

} // namespace
