#include "resolver/lookup.h"

int run_query(const char*, int, int, std::uint8_t*, int) { return -1; }

std::unique_ptr<Message> lookup(const char* name, int qclass, int qtype)
{
    std::uint8_t reply[1024];
    if (run_query(name, qclass, qtype, reply, sizeof reply) < 0)
        return nullptr;
    return nullptr;
}
