#include "shell/completion.h"

#include "message/symbols.h"
#include "platform/platform.h"
#include "shell/shell.h"

#include <algorithm>
#include <cstring>

// A command or option word that begins with the n characters typed, with the
// character that follows it: "=" ends a value option's word, a blank any other.
static void add_match(const char* word, const char* typed, size_t n, std::vector<std::string>& words)
{
    if (!begins_with(word, typed, n))
        return;
    std::string w = word;
    if (w.back() != '=')
        w += ' ';
    words.push_back(w);
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
        for (int i = 0; i < COMMAND_COUNT; ++i)
            add_match(COMMANDS[i].word, first, static_cast<size_t>(first_end - first), words);
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
        for (int i = 0; i < OPTION_COUNT; ++i)
            add_match(OPTIONS[i].word, option, static_cast<size_t>(option_end - option), words);
        return static_cast<int>(option - text);
    }
    const char* equals = skip_blanks(option_end);
    if (*equals != '=')
        return length;
    const char* value = skip_blanks(equals + 1);
    if (*word_end(value))
        return length;
    size_t typed = std::strlen(value);
    // The option the parser would take the line for.
    const OptionRow* row = find_option(option);
    if (row && row->kind == TYPE_VALUE)
        add_symbols(TypeTable, value, typed, words);
    else if (row && row->kind == CLASS_VALUE)
        add_symbols(ClassTable, value, typed, words);
    return static_cast<int>(value - text);
}

bool complete_at_tab(const char* before_cursor, TabAction& action)
{
    std::vector<std::string> words;
    int start = complete_command_word(before_cursor, words);
    int typed = static_cast<int>(std::strlen(before_cursor)) - start;
    if (words.empty() || typed < 0)
        return false;
    std::string shared = words[0];
    for (const std::string& w : words) {
        std::size_t n = 0;
        while (n < shared.size() && n < w.size() && shared[n] == w[n])
            ++n;
        shared.resize(n);
    }
    if (words.size() == 1 || static_cast<int>(shared.size()) > typed) {
        action.replace = typed;
        action.insert = shared;
    } else {
        action.listing = completion_columns(words, terminal_width());
    }
    return true;
}

std::string completion_columns(const std::vector<std::string>& words, int width)
{
    std::vector<std::string> shown;
    std::size_t longest = 0;
    for (const std::string& w : words) {
        shown.push_back(!w.empty() && w.back() == ' ' ? w.substr(0, w.size() - 1) : w);
        longest = std::max(longest, shown.back().size());
    }
    std::size_t step = longest + 2;   // none after the last column
    std::size_t columns = std::max<std::size_t>(1, (static_cast<std::size_t>(width > 0 ? width : 0) + 2) / step);
    std::size_t rows = (shown.size() + columns - 1) / columns;
    std::string out;
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t i = r; i < shown.size(); i += rows) {
            out += shown[i];
            if (i + rows < shown.size())
                out.append(step - shown[i].size(), ' ');
        }
        out += '\n';
    }
    return out;
}
