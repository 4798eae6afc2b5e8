// Addresses, host names and protocol names: the same calls on both systems.
#include "platform/platform.h"
#include "platform/socket_headers.h"

#include <cstring>

std::uint32_t address_from_text(const char* text) { return inet_addr(text); }

int resolve_host(const char* name, std::vector<std::uint32_t>& out)
{
    hostent* h = gethostbyname(name);
    if (!h)
        return -1;
    if (h->h_addrtype != AF_INET || h->h_length != 4 || !h->h_addr_list)
        return 0;
    for (char** p = h->h_addr_list; *p; ++p) {
        std::uint32_t a;
        std::memcpy(&a, *p, 4);
        out.push_back(a);
    }
    return 0;
}

const char* protocol_name(int number)
{
    protoent* p = getprotobynumber(number);
    return p ? p->p_name : nullptr;
}
