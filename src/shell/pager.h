// Counted output lines and the pause after every page of them. The text of
// counted lines is gathered here and handed to standard output as a page
// fills, as the gathered text grows long, and at flush_lines: whoever prints
// counted lines calls flush_lines before anything else is written.
#pragma once

#include <cassert>
#include <cstdint>
#include <cstring>

constexpr int PAGE_LINES = 24;

extern int page_line_count;

// How the session's output is shaped: settled once where the session starts,
// from what standard input and output are, and set by tests and fuzz targets
// as they need. Both start false: texts as received, and no wait at a pause.
struct OutputSettings {
    bool escape_texts;   // reply texts show bytes outside 32-126 as \DDD (output at a terminal)
    bool pause_waits;    // a full page waits for a key (input from a terminal)
};
extern OutputSettings output_settings;

// The text gathered so far. Lines are written straight into it, so the
// common paths here are inline.
struct GatheredText {
    char text[8192];
    int used;
    int room_end;   // where the room last taken ends (kept in debug builds): nothing is written past it
};
extern GatheredText gathered;

// Hands the gathered text to standard output.
void flush_lines();
// Pauses for a key after a full page.
void pause_page();

// Room for n more octets (at most the size of the gathered text): where to
// write them. What was written there is taken in by gather.
inline char* room(int n)
{
    if (n > static_cast<int>(sizeof gathered.text) - gathered.used)
        flush_lines();
#ifndef NDEBUG
    gathered.room_end = gathered.used + n;   // what the checks below hold lines to
#endif
    return gathered.text + gathered.used;
}
// A line that outgrew its room has already written past it: a debug build
// stops there at once, before the text is used.
inline void gather(const char* end)
{
    assert(end - gathered.text <= gathered.room_end);
    gathered.used = static_cast<int>(end - gathered.text);
}

// Writers for room: each writes at p and returns where it stopped.
template <int N>
char* copy(char* p, const char (&text)[N])
{
    std::memcpy(p, text, N - 1);
    return p + N - 1;
}
inline char* copy_string(char* p, const char* text, std::size_t length)
{
    std::memcpy(p, text, length);
    return p + length;
}
char* decimal_digits(char* p, std::uint32_t value);
// An IPv4 address whose four octets are at octets (network byte order, as on
// the wire), as dotted decimal text: what inet_ntoa gives. The text takes at
// most 15 octets; the room must hold 16, as each octet is moved as four.
char* dotted_address(char* p, const std::uint8_t* octets);
inline char* decimal(char* p, std::uint32_t value)
{
    if (value >= 10)
        return decimal_digits(p, value);
    *p = static_cast<char>('0' + value);   // the many flags of a reply
    return p + 1;
}

// Texts and numbers of any length, and whole.
void put(const char* text, int n);
template <int N>
void put(const char (&text)[N])
{
    put(text, N - 1);
}
inline void put_string(const char* text) { put(text, static_cast<int>(std::strlen(text))); }
inline void put_unsigned(std::uint32_t value) { gather(decimal(room(10), value)); }
void put_signed(std::int32_t value);

// Ends the line written up to end, in room taken with an octet to spare for
// the newline, and counts it; after PAGE_LINES lines waits for a key.
inline void end_line_at(char* end)
{
    *end = '\n';
    gather(end + 1);
    if (++page_line_count >= PAGE_LINES)
        pause_page();
}
// Ends a printed line, as end_line_at does.
inline void end_line() { end_line_at(room(1)); }
