#include "shell/text.h"

#include "message/symbols.h"

namespace {

// The bytes that end a word: the end of the text and the blanks.
bool ends_word(char c)
{
    switch (c) {
    case '\0': case ' ': case '\t': case '\n': case '\v': case '\f': case '\r':
        return true;
    default:
        return false;
    }
}

} // namespace

bool is_blank(char c) { return c != '\0' && ends_word(c); }

const char* skip_blanks(const char* p)
{
    while (is_blank(*p))
        ++p;
    return p;
}

const char* scan_word(const char* p, char* out)
{
    p = skip_blanks(p);
    int n = 0;
    while (!ends_word(*p) && n < LINE_SIZE - 1)
        out[n++] = *p++;
    out[n] = '\0';
    return p;
}

char lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_text(const char* a, const char* b)
{
    while (*a && lower_ascii(*a) == lower_ascii(*b))
        ++a, ++b;
    return !*a && !*b;
}

bool begins_with(const char* text, const char* beginning, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (!text[i] || lower_ascii(text[i]) != lower_ascii(beginning[i]))
            return false;
    return true;
}

int text_to_symbol(const SymbolEntry* table, const char* text)
{
    for (const SymbolEntry* row = table; row->mnemonic; ++row)
        if (same_text(row->mnemonic, text))
            return row->value;
    return 0;
}

int type_from_text(const char* text) { return text_to_symbol(TypeTable, text); }
int class_from_text(const char* text) { return text_to_symbol(ClassTable, text); }
