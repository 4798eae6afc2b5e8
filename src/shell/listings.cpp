#include "shell/listings.h"

#include "message/symbols.h"
#include "resolver/settings.h"
#include "servers/server_list.h"
#include "shell/pager.h"

#include <cstring>

namespace {

void list_servers()
{
    if (server_list.count == 0) {
        put("No Name Servers!");
        end_line();
        return;
    }
    put("Name Servers:");
    end_line();
    for (int i = 0; i < server_list.count; ++i) {
        std::uint8_t octets[4];
        std::memcpy(octets, &server_list.addresses[i], 4);
        // The tab, the address and the newline.
        end_line_at(dotted_address(copy(room(1 + 16 + 1), "\t"), octets));
    }
}

} // namespace

void print_servers()
{
    list_servers();
    flush_lines();
}

void print_settings(int qclass, int qtype)
{
    const ResolverSettings& s = resolver_settings;
    list_servers();
    put("Options:");
    end_line();
    put_string((s.OptionFlags & OPT_DEBUG) ? "\tDebug, " : "\tNodebug, ");
    put_string(get_rd(s.HeaderTemplate) ? "Recurse, " : "Norecurse, ");
    put_string((s.OptionFlags & OPT_USE_VC) ? "UseVC" : "NoVC");
    put(", retry=");
    put_signed(s.retry_count);
    put(", timeout=");
    put_signed(s.timeout_secs);
    end_line();
    put("\tTYPE=");
    put_string(symbol_to_text(TypeTable, qtype));
    put(", CLASS=");
    put_string(symbol_to_text(ClassTable, qclass));
    put(", port=");
    put_unsigned(s.port);
    end_line();
    flush_lines();
}
