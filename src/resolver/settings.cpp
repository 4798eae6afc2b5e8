#include "resolver/settings.h"

#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

ResolverSettings resolver_settings = {
    53,                                  // port
    0,                                   // next_id
    0,                                   // OptionFlags
    {0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0},   // HeaderTemplate: RD set
    3,                                   // retry_count
    1,                                   // timeout_secs
};

int resolver_start()
{
    // The identifier is the first draw of the generator seeded with the clock's
    // second. Seeding is dear (glibc's srand turns its generator over some 300
    // times), so the draw is kept for the rest of its second: the identifier is
    // the same as seeding afresh gives.
    static bool seeded = false;
    static unsigned seed = 0;
    static std::uint16_t first_draw = 0;
    unsigned now = static_cast<unsigned>(std::time(nullptr));
    if (!seeded || now != seed) {
        std::srand(now);
        first_draw = static_cast<std::uint16_t>(std::rand());
        seed = now;
        seeded = true;
    }
    resolver_settings.next_id = first_draw;
    switch (net_start()) {
    case NET_READY:
        return 0;
    case NET_WRONG_VERSION:
        if (debug_on())
            std::fputs("This program requires Windows Sockets 1.1.", stdout);
        net_cleanup();
        return -1;
    default:
        if (debug_on())
            std::fputs("Could not initialize Windows Sockets.", stdout);
        return -1;
    }
}
