#include "shell/pager.h"

#include "platform/platform.h"

#include <cstdio>

int page_line_count = 0;
GatheredText gathered;

void flush_lines()
{
    std::fwrite(gathered.text, 1, static_cast<std::size_t>(gathered.used), stdout);
    gathered.used = 0;
}

void put(const char* text, int n)
{
    if (n > static_cast<int>(sizeof gathered.text)) {
        flush_lines();
        std::fwrite(text, 1, static_cast<std::size_t>(n), stdout);
        return;
    }
    gather(copy_string(room(n), text, static_cast<std::size_t>(n)));
}

char* decimal_digits(char* p, std::uint32_t value)
{
    char digits[10];
    int n = sizeof digits;
    do
        digits[--n] = static_cast<char>('0' + value % 10);
    while ((value /= 10) != 0);
    while (n < static_cast<int>(sizeof digits))
        *p++ = digits[n++];
    return p;
}

void put_signed(std::int32_t value)
{
    if (value < 0)
        put("-");
    put_unsigned(value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value));
}

void pause_page()
{
    static const char PAUSE_REQUEST[] = "Press any key to continue... ";
    static const char ERASE_LINE[] = "\r                                       \r";
    flush_lines();
    std::fputs(PAUSE_REQUEST, stdout);
    page_line_count = 0;
    // Without a console there is nothing to wait for: the request is wiped at
    // once. Standard input stays what it is, so that is asked only once.
    static const bool console = input_is_terminal();
    if (console)
        wait_for_key();
    std::fputs(ERASE_LINE, stdout);
}
