// Reading what the user typed: blanks, words, comparison ignoring the case of
// A-Z (bytes above 127 are ordinary characters), and the type and class
// mnemonics of the set options.
#pragma once

#include <cstddef>

constexpr int LINE_SIZE = 256;   // a command line: 255 characters and the terminator

// The bytes that end a word: the end of the text and the blanks.
inline bool ends_word(char c)
{
    switch (c) {
    case '\0': case ' ': case '\t': case '\n': case '\v': case '\f': case '\r':
        return true;
    default:
        return false;
    }
}
inline bool is_blank(char c) { return c != '\0' && ends_word(c); }
const char* skip_blanks(const char* p);
// Copies the first whitespace-delimited word at p into out (LINE_SIZE bytes,
// left empty when there is none); returns the position after the word.
const char* scan_word(const char* p, char* out);

// These run for every command line (the words of the commands are tried in
// turn), so they are inline.
inline char lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
// Whether a and b are the same text, ignoring case.
inline bool same_text(const char* a, const char* b)
{
    while (*a && lower_ascii(*a) == lower_ascii(*b))
        ++a, ++b;
    return !*a && !*b;
}
// Whether text begins with the first n characters of beginning, ignoring case.
inline bool begins_with(const char* text, const char* beginning, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (!text[i] || lower_ascii(text[i]) != lower_ascii(beginning[i]))
            return false;
    return true;
}

// The value whose mnemonic in table (a symbol table) is text, ignoring case; 0
// when there is none.
struct SymbolEntry;
int text_to_symbol(const SymbolEntry* table, const char* text);
int type_from_text(const char* text);
int class_from_text(const char* text);
