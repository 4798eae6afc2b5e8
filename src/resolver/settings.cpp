#include "resolver/settings.h"

#include "message/reader.h"
#include "platform/platform.h"

#include <cstdio>

ResolverSettings resolver_settings = {
    53,                                  // port
    0,                                   // next_id
    0,                                   // OptionFlags
    {0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0},   // HeaderTemplate: RD set
    3,                                   // retry_count
    1,                                   // timeout_secs
};

RandomSource random_source = system_random;

int resolver_start()
{
    // The identifier must be one that no one off the path can work out (RFC 5452
    // 9.2): it is drawn from the system's random source at every start, and
    // without one no query goes out.
    std::uint8_t drawn[2];
    const char* failure = "Could not draw a query identifier.";
    if (random_source(drawn, sizeof drawn) == 0) {
        resolver_settings.next_id = load16(drawn);
        switch (net_start()) {
        case NET_READY:
            return 0;
        case NET_WRONG_VERSION:
            net_cleanup();
            failure = "This program requires Windows Sockets 1.1.";
            break;
        default:
            failure = "Could not initialize Windows Sockets.";
        }
    }
    if (debug_on())
        std::fputs(failure, stdout);
    return -1;
}
