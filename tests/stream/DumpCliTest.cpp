// Files written by xqftgen.py from the format description, read back by xqft-dump.
#include "DumpCli.h"
#include "TempFile.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(DumpCli, HeaderOfEveryVersion)
{
    struct Case
    {
        const char* genArgs;
        const char* want; // lines that xqft-dump header must print
    } cases[] = {
        {"--version 7 --table-selector 1 --data-included 1",
         "version=7\ndata_included=1\nframe_image=0\ntable_selector=1\ntable_count=28\n"},
        {"--version 7 --table-selector 0 --data-included 0",
         "version=7\ndata_included=0\nframe_image=0\ntable_selector=0\ntable_count=27\n"},
        {"--version 8 --table-selector 5", "version=8\ndata_included=1\nframe_image=0\ntable_selector=5\ntable_count=30\n"},
        {"--version 9", "version=9\ndata_included=1\nframe_image=0\ntable_selector=1\ntable_count=30\n"},
        {"--version 10 --byte-order 0xFFFE0100 --table-count 27",
         "version=10\ndata_included=1\nframe_image=0\ntable_selector=1\ntable_count=27\n"},
        {"--version 11 --frame-image 1 --data-included 0",
         "version=11\ndata_included=0\nframe_image=1\ntable_selector=1\ntable_count=30\n"},
        {"--version 12 --frame-image 2 --table-selector 0 --table-count 31",
         "version=12\ndata_included=1\nframe_image=2\ntable_selector=0\ntable_count=31\n"},
    };
    // First record offsets, from the field layout: v7 21 + count, v8-10 22 + count, v11+ 23 + count.
    const char* offsets[] = {"49", "48", "52", "52", "49", "53", "54"};
    for (size_t i = 0; i < std::size(cases); ++i) {
        CTempFile file;
        ASSERT_EQ(Gen("raw " + file.Path() + " " + cases[i].genArgs + " --record 2001:00").status, 0);
        SRunResult r = Dump("header", file.Path());
        ASSERT_EQ(r.status, 0) << cases[i].genArgs << "\n" << r.err;
        EXPECT_NE(r.out.find(cases[i].want), std::string::npos) << cases[i].genArgs << "\n" << r.out;
        EXPECT_NE(r.out.find(std::string("\nfirst_record_offset=") + offsets[i] + "\n"), std::string::npos)
            << cases[i].genArgs << "\n" << r.out;
        // The record right behind the table frames at that offset.
        SRunResult rec = Dump("records", file.Path());
        EXPECT_EQ(rec.out, std::string("offset=") + offsets[i] + " id=2001 size=1\nend=ok\n") << cases[i].genArgs;
    }
}

TEST(DumpCli, ByteOrderAndTypeSizes)
{
    CTempFile file;
    ASSERT_EQ(Gen("raw " + file.Path() + " --version 8 --table-count 3 --type-sizes=-8,2,0 --byte-order 0xFFFE0100").status, 0);
    SRunResult r = Dump("header", file.Path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("byte_order=0xFFFE0100\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("type_sizes=-8,2,0\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("first_record_offset=25\n"), std::string::npos) << r.out;
}

TEST(DumpCli, RecordsAndTruncation)
{
    CTempFile file;
    SRunResult g = Gen("raw " + file.Path() + " --version 11 --record 1:0000000000000000 --record 2"
                       " --record 2001:z12 --record 3 --record 1022:z7 --print-offsets");
    ASSERT_EQ(g.status, 0) << g.err;
    SRunResult r = Dump("records", file.Path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "offset=53 id=1 size=8\noffset=67 id=2 size=0\noffset=73 id=2001 size=12\n"
                     "offset=91 id=3 size=0\noffset=97 id=1022 size=7\nend=ok\n");

    ASSERT_EQ(Gen("raw " + file.Path() + " --record 2001:z12 --record 1022:z7 --cut 1").status, 0);
    r = Dump("records", file.Path());
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "offset=53 id=2001 size=12\nend=truncated\n");
    EXPECT_NE(r.err.find("beyond the end of the file"), std::string::npos) << r.err;

    ASSERT_EQ(Gen("raw " + file.Path() + " --version 10").status, 0); // header only
    r = Dump("records", file.Path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "end=ok\n");
}

// A 3 GiB record in a sparse file (no disk used) and a normal record after it.
TEST(DumpCli, RecordBeyondFourGiBOffsets)
{
    CTempFile file;
    const unsigned long long big = 3ull << 30;
    ASSERT_EQ(Gen("raw " + file.Path() + " --record 2001:size=" + std::to_string(big)).status, 0);
    ASSERT_EQ(RunCommand("truncate -s +" + std::to_string(big) + " '" + file.Path() + "'").status, 0);
    // Then record 2002 with the payload 01 02.
    FILE* f = fopen(file.Path().c_str(), "ab");
    ASSERT_NE(f, nullptr);
    const unsigned char tail[] = {2, 0, 0, 0, 0xD2, 0x07, 1, 2};
    ASSERT_EQ(fwrite(tail, 1, sizeof tail, f), sizeof tail);
    fclose(f);
    SRunResult r = Dump("records", file.Path());
    ASSERT_EQ(r.status, 0) << r.err;
    const unsigned long long second = 53 + 6 + big;
    EXPECT_EQ(r.out, "offset=53 id=2001 size=" + std::to_string(big) + "\noffset=" + std::to_string(second) +
                         " id=2002 size=2\nend=ok\n");
}

// The command list names each command once, before its arguments.
TEST(DumpCli, UsageListNamesEachCommandOnce)
{
    const SRunResult r = RunCommand(BinaryDir() + "/bin/xqft-dump");
    EXPECT_EQ(r.status, 1);
    std::istringstream lines(r.err);
    int commands = 0;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string program, name, first;
        if (!(words >> program >> name) || program != "xqft-dump")
            continue;
        ++commands;
        words >> first;
        EXPECT_NE(first, name) << line;
    }
    EXPECT_GE(commands, 20) << r.err;
}
