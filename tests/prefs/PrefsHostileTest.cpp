// Broken files, odd folders and names, and large values: nothing crashes, and the user's file is
// never lost.
#include "PrefsFixture.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <vector>

namespace {

using PrefsHostile = PrefsFixture;

TEST_F(PrefsHostile, UnparsableFileIsCopiedAsideBeforeTheFirstSave)
{
    std::string path = PathOf("Broken");
    std::string broken = Plist("<key>Width</key><integer>640</integer>\n").substr(0, 70);
    WriteFile(path, broken);

    auto store = std::make_unique<CXQFPreferences>(S("Broken"), 0);
    CXQFTString errors;
    ASSERT_TRUE(store->Load(errors, true)) << "the document is repaired in memory";
    uint32_t width = 0;
    EXPECT_EQ(store->GetInteger(S("Width"), &width), 1);
    EXPECT_TRUE(store->Save(false));
    EXPECT_EQ(ReadFile(path), broken) << "nothing to save, nothing written";

    ASSERT_EQ(store->SetInteger(S("Height"), 480), 0);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(store->Save(false));
    std::string output = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadFile(path + ".bak"), broken);
    EXPECT_NE(output.find(path + ".bak"), std::string::npos) << output;
    EXPECT_EQ(Run("xmllint --noout " + Quoted(path)), 0);

    // Later saves of the now sound file keep no further copies.
    ASSERT_EQ(store->SetInteger(S("Height"), 481), 0);
    ASSERT_TRUE(store->Save(false));
    EXPECT_FALSE(std::filesystem::exists(path + ".bak1"));

    // A broken file picked up by the automatic reload is kept too, beside the first copy.
    std::string saved = ReadFile(path);
    std::string truncated = saved.substr(0, saved.size() / 2);
    WriteFile(path, truncated);
    EXPECT_EQ(store->GetInteger(S("Height"), &width), 1);
    ASSERT_EQ(store->SetInteger(S("Height"), 482), 0);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(store->Save(false));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadFile(path + ".bak"), broken);
    EXPECT_EQ(ReadFile(path + ".bak1"), truncated);
}

TEST_F(PrefsHostile, MalformedEntriesFailTheLoadAndLeaveTheFile)
{
    // The body starts on line 4 of the file.
    struct SRow { const char* what; const char* body; const char* message; };
    const SRow rows[] = {
        {"two keys in a row", "<key>A</key>\n<key>B</key>\n<integer>1</integer>\n",
         "ERROR: Key missing value on line: 5\n"},
        {"key without value", "<key>A</key><integer>1</integer>\n<key>B</key>\n",
         "ERROR: Key missing value!"},
        {"key inside an array", "<key>L</key><array>\n<string>a</string>\n<key>x</key>\n</array>\n",
         "ERROR: Array elements cannot contain a <key> tag! Line: 6\n"},
        {"value without key", "<string>orphan</string>\n", "ERROR: Missing <key> tag on line: 4\n"},
        {"nested dict", "<key>G</key><dict>\n<key>A</key>\n</dict>\n", "ERROR: Key missing value!"},
    };
    for (const SRow& row : rows) {
        std::string path = PathOf("Malformed");
        WriteFile(path, Plist(row.body));
        CXQFPreferences store(S("Malformed"), 0);
        CXQFTString errors;
        EXPECT_FALSE(store.Load(errors, true)) << row.what;
        EXPECT_STREQ(errors.CStr(), row.message) << row.what;
        EXPECT_EQ(ReadFile(path), Plist(row.body)) << row.what;
    }
}

TEST_F(PrefsHostile, NestedArraysAndDeepNesting)
{
    auto store = Loaded("Nested", "<key>L</key><array><array><string>x</string></array>"
                                  "<string>y</string></array>\n");
    CXQFTArray<CXQFTString> items;
    ASSERT_EQ(store->GetStringArray(S("L"), &items), 0);
    ASSERT_EQ(items.size, 2u);
    EXPECT_EQ(items[0], "") << "an inner array is an item without text";
    EXPECT_EQ(items[1], "y");

    std::string deep;
    for (int i = 0; i < 20000; ++i)
        deep += "<array>";
    WriteFile(PathOf("Deep"), Plist("<key>D</key>" + deep + "\n"));
    CXQFPreferences deepStore(S("Deep"), 0);
    CXQFTString errors;
    EXPECT_TRUE(deepStore.Load(errors, false)) << "too deep to parse: repaired as empty";
    EXPECT_FALSE(deepStore.HasKey(S("D")));

    // The deepest key path the store accepts reads back after a save.
    std::string key;
    for (uint32_t i = 1; i < CXQFPreferences::kMaxKeyPathParts; ++i)
        key += "k/";
    key += "v";
    ASSERT_EQ(store->SetInteger(S(key.c_str()), 9), 0);
    ASSERT_TRUE(store->Save(false));
    CXQFPreferences again(S("Nested"), 0);
    ASSERT_TRUE(again.Load(errors, false)) << errors.CStr();
    uint32_t value = 0;
    EXPECT_EQ(again.GetInteger(S(key.c_str()), &value), 0);
    EXPECT_EQ(value, 9u);
}

TEST_F(PrefsHostile, Base64WithJunkOrWhiteSpace)
{
    struct SRow { const char* text; std::string bytes; };
    const SRow rows[] = {
        {"SGVsbG8=", "Hello"},
        {" S G V s\n\tbG8 = = ", "Hello"},
        {"SGVs*bG8!", "Hello"},
        {"\xff\xfeSGVs\x80" "bG8", "Hello"},
        {"SGVs&#x0;bG8=", "Hel"}, // the text ends at its first zero byte
        {"====", ""},
        {"Q", ""},
        {"QQ", "A"},
        {"QUI", "AB"},
        {"&lt;&gt;&amp;", ""},
    };
    std::string body;
    for (size_t i = 0; i < std::size(rows); ++i)
        body += "<key>D" + std::to_string(i) + "</key><data>" + rows[i].text + "</data>\n";
    auto store = Loaded("Junk", body);
    for (size_t i = 0; i < std::size(rows); ++i) {
        void* data = nullptr;
        uint32_t size = 0;
        ASSERT_EQ(store->GetData(S(("D" + std::to_string(i)).c_str()), &data, &size), 0) << i;
        EXPECT_EQ(std::string(static_cast<char*>(data), size), rows[i].bytes) << rows[i].text;
        free(data);
    }
}

TEST_F(PrefsHostile, BlockedPathsFailCleanly)
{
    const char* kOpenFailed = "ERROR: Failed to open file, or write temporary file!";

    // The company folder is a file.
    WriteFile(m_root + "/user/Orvistaline Technologies", "not a folder");
    CXQFPreferences store(S("Blocked"), 0);
    CXQFTString errors;
    EXPECT_FALSE(store.Load(errors, true));
    EXPECT_STREQ(errors.CStr(), kOpenFailed);
    EXPECT_EQ(ReadFile(m_root + "/user/Orvistaline Technologies"), "not a folder");
    EXPECT_EQ(store.SetInteger(S("A"), 1), 4);
    EXPECT_FALSE(store.Save(true));
    std::filesystem::remove(m_root + "/user/Orvistaline Technologies");

    // The settings file is a folder.
    std::filesystem::create_directories(PathOf("Folder"));
    CXQFPreferences folder(S("Folder"), 0);
    errors.Clear();
    EXPECT_FALSE(folder.Load(errors, true));
    EXPECT_STREQ(errors.CStr(), kOpenFailed);

    // A FIFO nobody writes to, as the settings file or as the lock file, fails the load or the
    // save instead of blocking it.
    ASSERT_EQ(mkfifo(PathOf("Fifo").c_str(), 0600), 0);
    CXQFPreferences fifo(S("Fifo"), 0);
    errors.Clear();
    EXPECT_FALSE(fifo.Load(errors, true));
    EXPECT_STREQ(errors.CStr(), kOpenFailed);
    auto saved = Loaded("FifoTemp", "<key>Kept</key><integer>1</integer>\n");
    ASSERT_EQ(mkfifo((PathOf("FifoTemp") + ".lock").c_str(), 0600), 0);
    ASSERT_EQ(saved->SetInteger(S("Kept"), 2), 0);
    EXPECT_FALSE(saved->Save(false));
    EXPECT_EQ(ReadFile(PathOf("FifoTemp")), Plist("<key>Kept</key><integer>1</integer>\n"));

    // Names that are no plain file name never leave the folder.
    const CXQFTString names[] = {S(""), S("a/b"), S("../escape"), S("."), S(".."),
                                 CXQFTString("a\0b", 3), CXQFTString(std::string(300, 'n').c_str())};
    for (const CXQFTString& name : names) {
        CXQFPreferences odd(name, 0);
        errors.Clear();
        EXPECT_FALSE(odd.Load(errors, true)) << name.CStr();
        EXPECT_STREQ(errors.CStr(), kOpenFailed);
        CXQFTString path;
        EXPECT_FALSE(odd.GetFilePath(&path));
    }
    EXPECT_FALSE(std::filesystem::exists(m_root + "/user/escape.plist"));
}

TEST_F(PrefsHostile, UnreadableFileOrReadOnlyFolderLosesNothing)
{
    std::string path = PathOf("Locked");
    std::string original = Plist("<key>Kept</key><string>yes</string>\n");
    WriteFile(path, original);
    bool root = geteuid() == 0; // root reads and writes regardless of the mode bits

    // A file that cannot be read is never replaced by a new empty one.
    chmod(path.c_str(), 0);
    {
        CXQFPreferences store(S("Locked"), 0);
        CXQFTString errors;
        EXPECT_EQ(store.Load(errors, true), root);
    }
    chmod(path.c_str(), 0600);
    EXPECT_EQ(ReadFile(path), original);

    chmod(Folder().c_str(), 0500);
    CXQFPreferences store(S("Locked"), 0);
    CXQFTString errors;
    ASSERT_TRUE(store.Load(errors, true));
    ASSERT_EQ(store.SetString(S("Kept"), "changed"), 0);
    EXPECT_EQ(store.Save(false), root);
    EXPECT_EQ(store.IsDirty(), !root);
    chmod(Folder().c_str(), 0700);
    EXPECT_EQ(ReadFile(path).find("changed") != std::string::npos, root);
    for (auto& entry : std::filesystem::directory_iterator(Folder()))
        EXPECT_TRUE(entry.path().filename().string().rfind("Locked.plist.", 0) == std::string::npos ||
                    entry.path().filename() == "Locked.plist.lock")
            << entry.path() << ": no temporary file left";
}

// Odd lock files fail the save, which names the file it failed on and why; the file stays.
TEST_F(PrefsHostile, AFailedSaveSaysWhichFileAndWhy)
{
    const std::string elsewhere = m_root + "/elsewhere";
    WriteFile(elsewhere, "");
    struct SRow { const char* what; std::function<int(const std::string& lock)> block; const char* reason; };
    const SRow rows[] = {
        {"a directory", [](const std::string& lock) { return mkdir(lock.c_str(), 0700); },
         ".lock: the lock file is a directory"},
        {"a symbolic link", [&](const std::string& lock) { return symlink(elsewhere.c_str(), lock.c_str()); },
         ".lock: the lock file is a symbolic link"},
        {"a FIFO", [](const std::string& lock) { return mkfifo(lock.c_str(), 0600); }, ".lock: the lock file is a FIFO"},
    };
    int n = 0;
    for (const SRow& row : rows) {
        const std::string name = "Odd" + std::to_string(++n);
        auto store = Loaded(name, "<key>Kept</key><integer>1</integer>\n");
        ASSERT_EQ(row.block(PathOf(name) + ".lock"), 0) << row.what;
        ASSERT_EQ(store->SetInteger(S("Kept"), 2), 0);
        EXPECT_FALSE(store->Save(false)) << row.what;
        EXPECT_EQ(std::string(store->SaveError().CStr()), PathOf(name) + row.reason) << row.what;
        EXPECT_TRUE(store->IsDirty()) << row.what;
        EXPECT_EQ(ReadFile(PathOf(name)), Plist("<key>Kept</key><integer>1</integer>\n")) << row.what;
    }
    EXPECT_EQ(ReadFile(elsewhere), "") << "a lock file that links elsewhere is not followed";
}

// Permissions that refuse the save: the lock file's, and the folder's (with the lock file made by
// an earlier save, or still to be made). Root passes every permission check, so as root each save
// runs in a child that has become an ordinary user (nobody) owning the test's folders.
TEST_F(PrefsHostile, ASaveThePermissionsRefuseSaysWhy)
{
    const bool root = geteuid() == 0;
    const uid_t nobody = 65534;
    struct SRow { const char* what; const char* name; bool savedBefore; bool lockMode0; const char* reason; };
    const SRow rows[] = {
        {"a lock file no one may open", "Private", true, true, ".lock: Permission denied"},
        {"a read-only folder, saved before", "Saved", true, false,
         ": no temporary file can be made beside it: Permission denied"},
        {"a read-only folder, never saved", "Never", false, false, ".lock: Permission denied"},
    };
    for (const SRow& row : rows) {
        auto store = Loaded(row.name, "<key>Kept</key><integer>1</integer>\n");
        if (row.savedBefore) {
            ASSERT_EQ(store->SetInteger(S("Kept"), 1), 0);
            ASSERT_TRUE(store->Save(true));
        }
        if (row.lockMode0) {
            ASSERT_EQ(chmod((PathOf(row.name) + ".lock").c_str(), 0), 0);
        }
    }
    if (root) {
        std::error_code ec;
        ASSERT_EQ(lchown(m_root.c_str(), nobody, nobody), 0);
        for (auto& entry : std::filesystem::recursive_directory_iterator(m_root, ec)) {
            ASSERT_EQ(lchown(entry.path().c_str(), nobody, nobody), 0) << entry.path();
        }
    }
    for (const SRow& row : rows) {
        // The lock file's row keeps the folder writable: only the lock file refuses.
        ASSERT_EQ(chmod(Folder().c_str(), row.lockMode0 ? 0700 : 0500), 0);
        const std::string before = ReadFile(PathOf(row.name));
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(out[0]);
            if (root && (setgroups(0, nullptr) != 0 || setresgid(nobody, nobody, nobody) != 0 ||
                         setresuid(nobody, nobody, nobody) != 0))
                _exit(2);
            CXQFPreferences store(S(row.name), 0);
            CXQFTString errors;
            if (!store.Load(errors, false) || store.SetInteger(S("Kept"), 2) != 0)
                _exit(3);
            const bool saved = store.Save(false);
            const std::string said = store.SaveError().CStr();
            if (write(out[1], said.data(), said.size()) != ssize_t(said.size()))
                _exit(4);
            _exit(saved ? 1 : 0);
        }
        close(out[1]);
        std::string said;
        char buffer[512];
        for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;)
            said.append(buffer, size_t(got));
        close(out[0]);
        int status = -1;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << row.what;
        EXPECT_EQ(WEXITSTATUS(status), 0) << row.what << ": the save succeeded, or the child could not run it";
        EXPECT_EQ(said, PathOf(row.name) + row.reason) << row.what;
        EXPECT_EQ(ReadFile(PathOf(row.name)), before) << row.what;
    }
}

// A store that is a symbolic link (to a file kept with the user's other settings, say) is written
// through the link: the link stays, the file it names takes every save and keeps its mode.
TEST_F(PrefsHostile, AStoreThatIsASymbolicLinkIsWrittenThroughIt)
{
    const std::string target = m_root + "/dotfiles/Linked.plist";
    WriteFile(target, Plist("<key>Kept</key><integer>1</integer>\n"));
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    std::filesystem::create_directories(Folder());
    const std::string link = PathOf("Linked");
    ASSERT_EQ(symlink("../../dotfiles/Linked.plist", link.c_str()), 0);

    for (const char* key : {"First", "Second"}) {
        CXQFPreferences store(S("Linked"), 0);
        CXQFTString errors;
        ASSERT_TRUE(store.Load(errors, false)) << errors.CStr();
        ASSERT_EQ(store.SetInteger(S(key), 2), 0);
        ASSERT_TRUE(store.Save(false)) << store.SaveError().CStr();
    }
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link was replaced by a file";
    EXPECT_EQ(std::filesystem::read_symlink(link), "../../dotfiles/Linked.plist");
    const std::string saved = ReadFile(target);
    for (const char* entry : {"<key>Kept</key>", "<key>First</key>", "<key>Second</key>"})
        EXPECT_NE(saved.find(entry), std::string::npos) << entry << " missing from the linked file:\n" << saved;
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the linked file keeps its mode";
    for (const std::string& folder : {Folder(), m_root + "/dotfiles"}) {
        for (auto& entry : std::filesystem::directory_iterator(folder)) {
            EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
        }
    }
}

TEST_F(PrefsHostile, ASaveRemovesTemporaryFilesOfWritersThatDiedAndNothingElse)
{
    auto store = Loaded("Litter", "<key>Kept</key><integer>1</integer>\n");
    const std::string path = PathOf("Litter");
    WriteFile(path + ".tmp-Ab3dE9", "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">\n<di");   // killed mid-save
    WriteFile(path + ".tmp-mine", "a user's file");
    WriteFile(path + ".backup", "a user's file");
    ASSERT_EQ(store->SetInteger(S("Kept"), 2), 0);
    ASSERT_TRUE(store->Save(false));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp-Ab3dE9"));
    EXPECT_EQ(ReadFile(path + ".tmp-mine"), "a user's file");
    EXPECT_EQ(ReadFile(path + ".backup"), "a user's file");
    EXPECT_NE(ReadFile(path).find("<integer>2</integer>"), std::string::npos);
}

TEST_F(PrefsHostile, Utf8StoreName)
{
    const char* name = "R\xc3\xa9glages \xe2\x9c\x93";
    CXQFPreferences store(S(name), 0);
    CXQFTString errors;
    ASSERT_TRUE(store.Load(errors, true));
    ASSERT_EQ(store.SetString(S("Caf\xc3\xa9"), "cr\xc3\xa8me"), 0);
    ASSERT_TRUE(store.Save(false));
    ASSERT_TRUE(std::filesystem::exists(PathOf(name)));
    CXQFPreferences again(S(name), 0);
    ASSERT_TRUE(again.Load(errors, false));
    CXQFTString value;
    EXPECT_EQ(again.GetString(S("Caf\xc3\xa9"), &value), 0);
    EXPECT_EQ(value, "cr\xc3\xa8me");
}

TEST_F(PrefsHostile, TenMegabyteDataValue)
{
    std::vector<unsigned char> big(10 * 1024 * 1024);
    uint32_t x = 12345;
    for (auto& b : big) {
        x = x * 1103515245u + 12345u;
        b = static_cast<unsigned char>(x >> 24);
    }
    {
        CXQFPreferences store(S("Big"), 0);
        CXQFTString errors;
        ASSERT_TRUE(store.Load(errors, true));
        ASSERT_EQ(store.SetData(S("Blob"), big.data(), uint32_t(big.size())), 0);
        ASSERT_TRUE(store.Save(false));
    }
    CXQFPreferences store(S("Big"), 0);
    CXQFTString errors;
    ASSERT_TRUE(store.Load(errors, true));
    void* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(store.GetData(S("Blob"), &data, &size), 0);
    ASSERT_EQ(size, big.size());
    EXPECT_EQ(memcmp(data, big.data(), size), 0);
    free(data);
}

} // namespace
