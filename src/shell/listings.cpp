#include "shell/listings.h"

#include "message/symbols.h"
#include "platform/platform.h"
#include "resolver/settings.h"
#include "servers/server_list.h"
#include "shell/pager.h"

#include <cstdio>

void print_servers()
{
    if (server_list.count == 0) {
        std::fputs("No Name Servers!", stdout);
        end_line();
        return;
    }
    std::fputs("Name Servers:", stdout);
    end_line();
    for (int i = 0; i < server_list.count; ++i) {
        std::printf("\t%s", address_to_text(server_list.addresses[i]));
        end_line();
    }
}

void print_settings(int qclass, int qtype)
{
    const ResolverSettings& s = resolver_settings;
    print_servers();
    std::fputs("Options:", stdout);
    end_line();
    std::printf("\t%s, %s, %s, retry=%d, timeout=%d",
                (s.OptionFlags & OPT_DEBUG) ? "Debug" : "Nodebug",
                get_rd(s.HeaderTemplate) ? "Recurse" : "Norecurse",
                (s.OptionFlags & OPT_USE_VC) ? "UseVC" : "NoVC",
                s.retry_count, s.timeout_secs);
    end_line();
    std::printf("\tTYPE=%s, CLASS=%s, port=%u", symbol_to_text(TypeTable, qtype),
                symbol_to_text(ClassTable, qclass), static_cast<unsigned>(s.port));
    end_line();
}
