#include "shell/pager.h"

#include "platform/platform.h"

#include <cstdio>
#include <cstring>

int page_line_count = 0;

namespace {

const char PAUSE_REQUEST[] = "Press any key to continue... ";
const char ERASE_LINE[] = "\r                                       \r";

char gathered[8192];
int used = 0;

} // namespace

void flush_lines()
{
    std::fwrite(gathered, 1, static_cast<std::size_t>(used), stdout);
    used = 0;
}

void put(const char* text, int n)
{
    if (n > static_cast<int>(sizeof gathered) - used) {
        flush_lines();
        if (n > static_cast<int>(sizeof gathered)) {
            std::fwrite(text, 1, static_cast<std::size_t>(n), stdout);
            return;
        }
    }
    std::memcpy(gathered + used, text, static_cast<std::size_t>(n));
    used += n;
}

void put_string(const char* text) { put(text, static_cast<int>(std::strlen(text))); }

void put_unsigned(std::uint64_t value)
{
    char digits[20];
    int n = sizeof digits;
    do
        digits[--n] = static_cast<char>('0' + value % 10);
    while ((value /= 10) != 0);
    put(digits + n, static_cast<int>(sizeof digits) - n);
}

void put_signed(std::int64_t value)
{
    if (value < 0) {
        put("-");
        put_unsigned(0 - static_cast<std::uint64_t>(value));
        return;
    }
    put_unsigned(static_cast<std::uint64_t>(value));
}

void end_line()
{
    put("\n");
    if (++page_line_count < PAGE_LINES)
        return;
    flush_lines();
    std::fputs(PAUSE_REQUEST, stdout);
    page_line_count = 0;
    // Without a console there is nothing to wait for: the request is wiped at once.
    wait_for_key();
    std::fputs(ERASE_LINE, stdout);
}
