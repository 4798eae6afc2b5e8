#include "shell/pager.h"

#include "platform/platform.h"

#include <cstdio>

int page_line_count = 0;

static const char PAUSE_REQUEST[] = "Press any key to continue... ";
static const char ERASE_LINE[] = "\r                                       \r";

void end_line()
{
    std::putc('\n', stdout);
    if (++page_line_count < PAGE_LINES)
        return;
    std::fputs(PAUSE_REQUEST, stdout);
    page_line_count = 0;
    // Without a console there is nothing to wait for: the request is wiped at once.
    wait_for_key();
    std::fputs(ERASE_LINE, stdout);
}
