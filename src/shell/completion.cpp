#include "shell/completion.h"

#include "message/symbols.h"
#include "shell/text.h"

#include <cstring>

static const char* const COMMAND_WORDS[] = {"exit", "help", "server", "addserver", "find", "root", "set"};

// The options as the help text spells them, "[no]" written out.
static const char* const OPTION_WORDS[] = {"all",    "debug",   "nodebug", "recurse", "norecurse",
                                           "vc",     "novc",    "retry=",  "timeout=", "querytype=",
                                           "type=",  "class=",  "port="};

static void add_matches(const char* const* list, size_t count, const char* typed, size_t n,
                        std::vector<std::string>& words)
{
    for (size_t i = 0; i < count; ++i)
        if (begins_with(list[i], typed, n)) {
            std::string w = list[i];
            if (w.back() != '=')
                w += ' ';
            words.push_back(w);
        }
}

// The mnemonics a value option takes; value 0 (NONE) is refused, so never offered.
static void add_symbols(const SymbolEntry* table, const char* typed, size_t n, std::vector<std::string>& words)
{
    for (const SymbolEntry* row = table; row->mnemonic; ++row)
        if (row->value != 0 && begins_with(row->mnemonic, typed, n))
            words.push_back(std::string(row->mnemonic) + ' ');
}

static const char* word_end(const char* p)
{
    while (*p && !is_blank(*p))
        ++p;
    return p;
}

int complete_command_word(const char* before_cursor, std::vector<std::string>& words)
{
    const char* text = before_cursor;
    const char* first = skip_blanks(text);
    const char* first_end = word_end(first);
    int length = static_cast<int>(std::strlen(text));
    if (!*first_end) {
        add_matches(COMMAND_WORDS, sizeof COMMAND_WORDS / sizeof *COMMAND_WORDS, first,
                    static_cast<size_t>(first_end - first), words);
        return static_cast<int>(first - text);
    }
    if (first_end - first != 3 || !begins_with("set", first, 3))
        return length;

    // The option word runs to a blank or "=".
    const char* option = skip_blanks(first_end);
    const char* option_end = option;
    while (*option_end && !is_blank(*option_end) && *option_end != '=')
        ++option_end;
    if (!*option_end) {
        add_matches(OPTION_WORDS, sizeof OPTION_WORDS / sizeof *OPTION_WORDS, option,
                    static_cast<size_t>(option_end - option), words);
        return static_cast<int>(option - text);
    }
    const char* equals = skip_blanks(option_end);
    if (*equals != '=')
        return length;
    const char* value = skip_blanks(equals + 1);
    if (*word_end(value))
        return length;
    size_t typed = std::strlen(value);
    // The same beginnings the option parser takes: "ty" or a lower-case "q", then "cl".
    if (begins_with(option, "ty", 2) || *option == 'q')
        add_symbols(TypeTable, value, typed, words);
    else if (begins_with(option, "cl", 2))
        add_symbols(ClassTable, value, typed, words);
    return static_cast<int>(value - text);
}
