// Tab completion of a command line: which words are offered, and where the
// completed word begins.
#include "platform/platform.h"
#include "resolver/settings.h"
#include "shell/completion.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

namespace {

struct CompletionCase {
    const char* name;
    const char* before_cursor;
    int start;                       // offset of the word being completed
    std::vector<std::string> words;  // in the order offered
};

const CompletionCase CASES[] = {
    {"empty line offers every command", "", 0,
     {"exit ", "help ", "server ", "addserver ", "find ", "root ", "set "}},
    {"se is server or set", "se", 0, {"server ", "set "}},
    {"set is set", "set", 0, {"set "}},
    {"case of the typed letters ignored", "AdD", 0, {"addserver "}},
    {"leading blanks skipped", "   ro", 3, {"root "}},
    {"no command begins so", "xyz", 0, {}},
    {"after set, every option", "set ", 4,
     {"all ", "debug ", "nodebug ", "recurse ", "norecurse ", "vc ", "novc ", "retry=", "timeout=",
      "querytype=", "type=", "class=", "port="}},
    {"set ty", "set ty", 4, {"type="}},
    {"set no", "set  no", 5, {"nodebug ", "norecurse ", "novc "}},
    {"SET T in capitals", "SET T", 4, {"timeout=", "type="}},
    {"option words only after set", "server de", 9, {}},
    {"nor after a longer word that begins with set", "settings ", 9, {}},
    {"nor after another word of three letters", "ser ty", 7, {}},
    {"nothing after a finished option", "set debug ", 10, {}},
    {"types after type=", "set type=MI", 9, {"MINFO "}},
    {"types ignore case", "set type=aa", 9, {"AAAA "}},
    {"blanks around =", "set type = p", 11, {"PTR ", "PX "}},
    {"querytype and q take types", "set q=ns", 6, {"NS ", "NSAP ", "NSAP_PTR "}},
    {"an upper-case Q is no type option", "set Q=ns", 6, {}},
    {"classes after class=", "set class=", 10, {"IN ", "CSNET ", "CHAOS ", "HESIOD ", "ANY "}},
    {"NONE is refused, so never offered", "set class=n", 10, {}},
    {"cl is enough", "set cl=h", 7, {"HESIOD "}},
    {"no values for retry", "set retry=", 10, {}},
    {"only the first value word", "set type=MX A", 13, {}},
    {"other commands take no completion", "server a", 8, {}},
};

TEST(Completion, OffersTheWordsThatFit)
{
    for (const CompletionCase& c : CASES) {
        std::vector<std::string> words;
        int start = complete_command_word(c.before_cursor, words);
        EXPECT_EQ(c.words, words) << c.name;
        if (!c.words.empty()) {
            EXPECT_EQ(c.start, start) << c.name;
        }
        TabAction action{0, {}, {}};   // Tab does something only where a word is offered
        EXPECT_EQ(complete_at_tab(c.before_cursor, action), !c.words.empty()) << c.name;
    }
    // Words that share not even their first letter are listed; nothing goes into the line.
    for (const char* line : {"", "set "}) {
        TabAction action{0, {}, {}};
        complete_at_tab(line, action);
        EXPECT_EQ(action.insert, "") << line;
    }
}

// Down each column first, as many columns as the width holds, two blanks
// between them and none after the last; the blank after a word is not shown.
TEST(Completion, ColumnsDownEachColumn)
{
    const struct {
        std::vector<std::string> words;
        int width;
        std::string listing;
    } cases[] = {
        {{"a ", "b ", "c ", "d "}, 6, "a  c\nb  d\n"},
        {{"a ", "b ", "c ", "d ", "e "}, 6, "a  d\nb  e\nc\n"},
        {{"one ", "three ", "type="}, 80, "one    three  type=\n"},
        {{"one ", "three "}, 0, "one\nthree\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(completion_columns(c.words, c.width), c.listing) << c.width;
}

// Every offered option word, completed and applied, is one the parser takes.
TEST(Completion, OfferedOptionsAreAccepted)
{
    std::vector<std::string> words;
    complete_command_word("set ", words);
    for (const std::string& w : words) {
        std::string line = "set " + w;
        if (line.back() == '=')
            line += w == "class=" ? "IN" : w == "type=" || w == "querytype=" ? "A" : "5";
        int saved_type = current_type, saved_class = current_class;
        ResolverSettings saved = resolver_settings;
        testing::internal::CaptureStdout();
        apply_set_option(line.c_str());
        std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(std::string::npos, printed.find("Invalid")) << line << ": " << printed;
        current_type = saved_type;
        current_class = saved_class;
        resolver_settings = saved;
    }
}

} // namespace
