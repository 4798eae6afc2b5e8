// Counted output lines and the pause after every page of them. The text of
// counted lines is gathered here and handed to standard output as a page
// fills, as the gathered text grows long, and at flush_lines: whoever prints
// counted lines calls flush_lines before anything else is written.
#pragma once

#include <cstdint>

constexpr int PAGE_LINES = 24;

extern int page_line_count;

void put(const char* text, int n);
template <int N>
void put(const char (&text)[N])
{
    put(text, N - 1);
}
void put_string(const char* text);
void put_unsigned(std::uint64_t value);   // in decimal
void put_signed(std::int64_t value);
// Ends a printed line and counts it; after PAGE_LINES lines waits for a key.
void end_line();
// Hands the gathered text to standard output.
void flush_lines();
