#include "shell/pager.h"

#include "platform/platform.h"

#include <cstdio>

int page_line_count = 0;
OutputSettings output_settings = {false, false};
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

namespace {

// "00" to "99": numbers are written two digits at a time.
struct DigitPairs {
    char pair[100][2];
    constexpr DigitPairs() : pair{}
    {
        for (int i = 0; i < 100; ++i) {
            pair[i][0] = static_cast<char>('0' + i / 10);
            pair[i][1] = static_cast<char>('0' + i % 10);
        }
    }
};
constexpr DigitPairs DIGIT_PAIRS;

// Each octet's decimal text followed by a dot, and its length with the dot.
struct OctetTexts {
    char text[256][4];
    char length[256];
    constexpr OctetTexts() : text{}, length{}
    {
        for (int v = 0; v < 256; ++v) {
            int n = 0;
            if (v >= 100)
                text[v][n++] = static_cast<char>('0' + v / 100);
            if (v >= 10)
                text[v][n++] = static_cast<char>('0' + v / 10 % 10);
            text[v][n++] = static_cast<char>('0' + v % 10);
            text[v][n++] = '.';
            length[v] = static_cast<char>(n);
        }
    }
};
constexpr OctetTexts OCTET_TEXTS;

} // namespace

char* dotted_address(char* p, const std::uint8_t* octets)
{
    for (int i = 0; i < 4; ++i) {
        std::memcpy(p, OCTET_TEXTS.text[octets[i]], 4);
        p += OCTET_TEXTS.length[octets[i]];
    }
    return p - 1;   // no dot after the last
}

char* decimal_digits(char* p, std::uint32_t value)
{
    int n = 1;
    for (std::uint32_t bound = 10; n < 10 && value >= bound; bound *= 10)
        ++n;
    char* end = p + n;
    for (; value >= 100; value /= 100) {
        end -= 2;
        std::memcpy(end, DIGIT_PAIRS.pair[value % 100], 2);
    }
    if (value >= 10) {
        end -= 2;
        std::memcpy(end, DIGIT_PAIRS.pair[value], 2);
    } else {
        *--end = static_cast<char>('0' + value);
    }
    return p + n;
}

void put_signed(std::int32_t value)
{
    if (value < 0)
        put("-");
    put_unsigned(value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value));
}

void pause_page()
{
    page_line_count = 0;
    put("Press any key to continue... ");
    // Without a console there is nothing to wait for: the request is wiped at once.
    if (output_settings.pause_waits) {
        flush_lines();
        wait_for_key();
    }
    put("\r                                       \r");
}
