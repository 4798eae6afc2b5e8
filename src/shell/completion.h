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
