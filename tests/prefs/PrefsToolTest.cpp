// prefs-tool drives the store from the shell: values set there read back, and the exit status is
// the store's result code.
#include "PrefsFixture.h"

#include "RunCommand.h"
#include "TestPaths.h"

namespace {

SRunResult Tool(const std::string& args)
{
    return RunCommand(BinaryDir() + "/bin/prefs-tool " + args);
}

using PrefsTool = PrefsFixture;

TEST_F(PrefsTool, SetGetDump)
{
    struct SRow { std::string args; int status; std::string output; };
    const SRow rows[] = {
        {"set Tool Window/Width integer 640", 0, ""},
        {"set Tool Name string 'two words'", 0, ""},
        {"set Tool Recent array a.xqft b.xqft", 0, ""},
        {"set Tool Flag bool true", 0, ""},
        {"set Tool Blob data aGVsbG8=", 0, ""},
        {"get Tool Window/Width", 0, "640\n"},
        {"get Tool Name", 0, "two words\n"},
        {"get Tool Recent", 0, "a.xqft\nb.xqft\n"},
        {"get Tool Flag", 0, "true\n"},
        {"get Tool Blob", 0, "aGVsbG8=\n"},
        {"get Tool Missing", 1, ""},
        {"set Tool / integer 1", 2, ""},
        {"get Tool Window", 3, ""},
        {"set Tool Window string x", 3, ""},
        {"set Tool Name/Sub integer 1", 4, ""},
        {"set Tool Width integer -1", 64, ""},
        {"frobnicate Tool", 64, ""},
    };
    for (const SRow& row : rows) {
        SRunResult run = Tool(row.args);
        EXPECT_EQ(run.status, row.status) << row.args;
        EXPECT_EQ(run.out, row.output) << row.args;
    }
    SRunResult dump = Tool("dump Tool");
    EXPECT_EQ(dump.status, 0);
    EXPECT_EQ(dump.out, ReadFile(PathOf("Tool")));
}

TEST_F(PrefsTool, AFailedSaveSaysWhy)
{
    ASSERT_EQ(Tool("set Stuck A integer 1").status, 0);
    const std::string lock = PathOf("Stuck") + ".lock";
    std::filesystem::remove(lock);
    std::filesystem::create_directory(lock);
    const SRunResult run = Tool("set Stuck A integer 2");
    EXPECT_EQ(run.status, 5);
    EXPECT_EQ(run.err, "prefs-tool: saving failed: " + PathOf("Stuck") + ".lock: the lock file is a directory\n");
    EXPECT_EQ(Tool("get Stuck A").out, "1\n");
}

TEST_F(PrefsTool, ReadingAFileThatDoesNotParseReportsItAndChangesNothing)
{
    const std::string broken = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">\n<dict>\n"
                               "<key>A</key><string>kept</string>\n</plist>\n";
    WriteFile(PathOf("Broken"), broken);
    for (const char* args : {"dump Broken", "get Broken A"}) {
        SRunResult run = Tool(args);
        EXPECT_EQ(run.status, 4) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_NE(run.err.find("does not parse: [3:0]: "), std::string::npos) << args << ": " << run.err;
        EXPECT_NE(run.err.find("Line number=3"), std::string::npos) << args << ": " << run.err;
    }
    EXPECT_EQ(ReadFile(PathOf("Broken")), broken);
    EXPECT_FALSE(std::filesystem::exists(PathOf("Broken") + ".bak"));
}

// Two programs setting values in one store while a third dumps it: every dump parses, and every
// set that reported success is in the store at the end.
TEST_F(PrefsTool, ConcurrentWritersLoseNoAcknowledgedSetAndReadersSeeWholeFiles)
{
    const int kSets = 40;
    const std::string tool = BinaryDir() + "/bin/prefs-tool";
    const std::string script =
        "tool='" + tool + "'; cd '" + m_root + "'\n"
        "writer() { for i in $(seq " + std::to_string(kSets) + "); do\n"
        "  \"$tool\" set Race W$1/K$i integer $i && echo W$1/K$i >> ack$1; done; }\n"
        "writer 1 & a=$!; writer 2 & b=$!\n"
        "dumps=0; bad=0\n"
        "while kill -0 $a 2>/dev/null || kill -0 $b 2>/dev/null; do\n"
        "  \"$tool\" dump Race > dump 2>&1 || { bad=$((bad+1)); cp dump bad-dump; }; dumps=$((dumps+1)); done\n"
        "wait\n"
        "echo \"$dumps $bad\"\n";
    const std::string scriptPath = m_root + "/race.sh";
    WriteFile(scriptPath, script);
    const SRunResult run = RunCommand("bash '" + scriptPath + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    int dumps = 0, bad = 0;
    ASSERT_EQ(sscanf(run.out.c_str(), "%d %d", &dumps, &bad), 2) << run.out;
    EXPECT_GT(dumps, 0);
    EXPECT_EQ(bad, 0) << "dumps that did not parse, the last:\n" << ReadFile(m_root + "/bad-dump");

    CXQFPreferences store(S("Race"), 0);
    CXQFTString errors;
    ASSERT_TRUE(store.Load(errors, false)) << errors.CStr();
    EXPECT_TRUE(store.ParseError().IsEmpty());
    int acknowledged = 0;
    for (const char* writer : {"1", "2"}) {
        std::istringstream acks(ReadFile(m_root + "/ack" + writer));
        for (std::string key; std::getline(acks, key); ++acknowledged) {
            uint32_t value = 0;
            EXPECT_EQ(store.GetInteger(S(key.c_str()), &value), 0) << key << " was acknowledged and is missing";
            EXPECT_EQ(std::to_string(value), key.substr(key.find("/K") + 2)) << key;
        }
    }
    EXPECT_EQ(acknowledged, 2 * kSets) << "every set succeeds";
    EXPECT_FALSE(std::filesystem::exists(PathOf("Race") + ".bak"));
}

// Programs that open a store no one has made yet, all at once: each finds no file or the whole
// template, so none takes the store for a broken one and keeps a copy aside, and no set is lost.
TEST_F(PrefsTool, FirstWritersOfANewStoreFindItWhole)
{
    const int kStores = 40, kWriters = 8;
    const std::string tool = BinaryDir() + "/bin/prefs-tool";
    const std::string script =
        "tool='" + tool + "'; cd '" + m_root + "'\n"
        "for s in $(seq " + std::to_string(kStores) + "); do\n"
        "  for w in $(seq " + std::to_string(kWriters) + "); do \"$tool\" set New$s K$w integer $w & done; wait\n"
        "done\n";
    const std::string scriptPath = m_root + "/new.sh";
    WriteFile(scriptPath, script);
    ASSERT_EQ(RunCommand("bash '" + scriptPath + "'").status, 0);
    for (int s = 1; s <= kStores; ++s) {
        char name[16], key[16];
        snprintf(name, sizeof name, "New%d", s);
        EXPECT_FALSE(std::filesystem::exists(PathOf(name) + ".bak")) << name;
        CXQFPreferences store(S(name), 0);
        CXQFTString errors;
        ASSERT_TRUE(store.Load(errors, false)) << errors.CStr();
        for (int w = 1; w <= kWriters; ++w) {
            uint32_t value = 0;
            snprintf(key, sizeof key, "K%d", w);
            EXPECT_EQ(store.GetInteger(S(key), &value), 0) << name << " " << key;
            EXPECT_EQ(value, uint32_t(w));
        }
    }
}

} // namespace

