// Reading what the user typed: blanks, words, comparison ignoring the case of
// A-Z (bytes above 127 are ordinary characters), and the type and class
// mnemonics of the set options.
#pragma once

#include <cstddef>

constexpr int LINE_SIZE = 256;   // a command line: 255 characters and the terminator

bool is_blank(char c);
const char* skip_blanks(const char* p);
// Copies the first whitespace-delimited word at p into out (LINE_SIZE bytes,
// left empty when there is none); returns the position after the word.
const char* scan_word(const char* p, char* out);

char lower_ascii(char c);
// Whether a and b are the same text, ignoring case.
bool same_text(const char* a, const char* b);
// Whether text begins with the first n characters of beginning, ignoring case.
bool begins_with(const char* text, const char* beginning, std::size_t n);

// The value whose mnemonic in table (a symbol table) is text, ignoring case; 0
// when there is none.
struct SymbolEntry;
int text_to_symbol(const SymbolEntry* table, const char* text);
int type_from_text(const char* text);
int class_from_text(const char* text);
