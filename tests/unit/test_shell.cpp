// The command interpreter: reverse names, word scanning, dispatch and the pager.
#include "capture.h"
#include "servers/server_list.h"
#include "shell/pager.h"
#include "shell/shell.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(ReverseName, PartsAreCopiedAsTyped)
{
    const struct {
        const char* word;
        const char* reverse;
    } cases[] = {
        {"10.1.2.3", "3.2.1.10.IN-ADDR.ARPA"},
        {"010.1.2.3", "3.2.1.010.IN-ADDR.ARPA"},
        {"10.1.2", "2.1.10.IN-ADDR.ARPA"},
        {"127.0.0.1", "1.0.0.127.IN-ADDR.ARPA"},
        {"0x7f.1", "1.0x7f.IN-ADDR.ARPA"},
        {"16909060", "16909060.IN-ADDR.ARPA"},
    };
    for (const auto& c : cases) {
        char out[LINE_SIZE];
        ASSERT_EQ(make_reverse_name(c.word, out), 0) << c.word;
        EXPECT_STREQ(out, c.reverse) << c.word;
    }
}

TEST(ReverseName, LongestThatFitsAndOneMore)
{
    char out[LINE_SIZE];
    std::string word = "1.2.3." + std::string(255 - 13 - 6, '0');   // 242 characters: 255 with the suffix
    ASSERT_EQ(make_reverse_name(word.c_str(), out), 0);
    EXPECT_EQ(std::strlen(out), 255u);
    word += "0";
    EXPECT_EQ(make_reverse_name(word.c_str(), out), -1);
}

TEST(ScanWord, StopsAtBlanksAndAtTheBuffer)
{
    char out[LINE_SIZE];
    const char* rest = scan_word("  \tserver  10.0.0.1 x", out);
    EXPECT_STREQ(out, "server");
    scan_word(rest, out);
    EXPECT_STREQ(out, "10.0.0.1");
    scan_word("   ", out);
    EXPECT_STREQ(out, "");
    scan_word("exit\r", out);
    EXPECT_STREQ(out, "exit");
    std::string longword(400, 'a');
    scan_word(longword.c_str(), out);
    EXPECT_EQ(std::strlen(out), static_cast<size_t>(LINE_SIZE - 1));
    scan_word("\xE9t\xE9 x", out);
    EXPECT_STREQ(out, "\xE9t\xE9");
}

TEST(Dispatch, ExitAndHelpMatching)
{
    const struct {
        const char* line;
        int exits;
        bool help;
    } cases[] = {
        {"exit", 1, false}, {"EXIT", 1, false}, {"Exit", 1, false}, {"exit now", 1, false},
        {"  exit", 1, false}, {"exit\r", 1, false}, {"exits", 0, false},
        {"help", 0, true},  {"HELP", 0, true},  {"help me", 0, true}, {"?", 0, true},
        {"?x", 0, true},    {"helpme", 0, false},
    };
    for (const auto& c : cases) {
        CapturedStream out;
        int r = run_command(c.line);
        std::string text = out.text();
        EXPECT_EQ(r, c.exits) << c.line;
        EXPECT_EQ(text.rfind("kestrel2002", 0) == 0, c.help) << c.line;
    }
}

TEST(Dispatch, AddsPrefixAddsAServer)
{
    for (const char* line : {"adds 10.0.0.1", "ADDSERVER 10.0.0.2", "addsx 10.0.0.3"}) {
        clear_servers();
        CapturedStream out;
        run_command(line);
        out.text();
        EXPECT_EQ(server_list.count, 1) << line;
    }
}

TEST(Dispatch, ServerWithoutArgumentTakesNothingFromAnEarlierLine)
{
    clear_servers();
    {
        CapturedStream out;
        run_command("server 10.9.8.7");
    }
    ASSERT_EQ(server_list.count, 1);
    CapturedStream out, err(stderr);
    run_command("addserver");
    out.text();
    err.text();
    EXPECT_EQ(server_list.count, 1);   // the empty name resolves to nothing
}

TEST(Pager, PausesAfterEveryTwentyFourthLine)
{
    const std::string request = "Press any key to continue... \r                                       \r";
    for (int lines : {23, 24, 25, 48}) {
        page_line_count = 0;
        CapturedStream out;
        for (int i = 0; i < lines; ++i) {
            put("x");
            end_line();
        }
        flush_lines();
        std::string expected;
        for (int i = 1; i <= lines; ++i) {
            expected += "x\n";
            if (i % PAGE_LINES == 0)
                expected += request;
        }
        EXPECT_EQ(out.text(), expected) << lines;
        EXPECT_EQ(page_line_count, lines % PAGE_LINES);
    }
}

// A text longer than the whole gathered room is written past it, in its place.
TEST(Pager, TextLongerThanTheRoomKeepsItsPlace)
{
    const std::string longer(sizeof gathered.text + 1, 'y');
    CapturedStream out;
    put("a");
    put(longer.c_str(), static_cast<int>(longer.size()));
    put("b");
    flush_lines();
    EXPECT_EQ(out.text(), "a" + longer + "b");
}

} // namespace
