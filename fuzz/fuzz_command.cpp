// Feeds arbitrary text to the command interpreter, one line at a time, as the
// prompt would read it. Lookups run for real but cannot wait: before every
// line the server list is emptied and the retry count held small, so nothing
// is sent and no pass can take long.
#include "message/symbols.h"
#include "resolver/settings.h"
#include "servers/server_list.h"
#include "shell/shell.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool quiet = [] {
        std::freopen("/dev/null", "w", stdout);
        return true;
    }();
    (void)quiet;
    static const ResolverSettings defaults = resolver_settings;
    resolver_settings = defaults;
    current_type = TYPE_A;
    current_class = CLASS_ANY;

    std::size_t pos = 0;
    while (pos < size) {
        char line[LINE_SIZE];
        int kept = 0;
        // As the prompt reads: up to the newline, the rest of a long line dropped.
        while (pos < size && data[pos] != '\n') {
            if (kept < LINE_SIZE - 1)
                line[kept++] = static_cast<char>(data[pos]);
            ++pos;
        }
        ++pos;
        line[kept] = '\0';
        clear_servers();
        if (resolver_settings.retry_count > 2)
            resolver_settings.retry_count = 2;
        if (run_command(line))
            break;
    }
    return 0;
}
