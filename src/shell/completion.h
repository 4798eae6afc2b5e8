// Tab completion of a command line typed at a terminal.
#pragma once

#include <string>
#include <vector>

// Completes the word that ends where before_cursor ends: a command word at the
// start of a line, an option word after "set", a type or class mnemonic after
// the "=" of a type, querytype or class option (ignoring case everywhere).
// Appends each candidate with the character that follows it (a blank, or "="
// after a value option) and returns the offset of the word in before_cursor.
int complete_command_word(const char* before_cursor, std::vector<std::string>& words);

// What Tab does at the end of before_cursor (the glue the line editor calls):
// a single completion, or the longer beginning all completions share, takes the
// place of the typed word; otherwise the completions are listed below the line,
// in columns that fit the terminal. False when nothing completes the word.
struct TabAction;
bool complete_at_tab(const char* before_cursor, TabAction& action);
// The words (each without the blank that may follow it) in columns, down each
// column first as ls does, as many columns as width holds, two blanks between
// them, so that no word is split between two lines: whole lines.
std::string completion_columns(const std::vector<std::string>& words, int width);
