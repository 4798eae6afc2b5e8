#include "resolver/lookup.h"

#include "message/reader.h"
#include "resolver/query.h"
#include "resolver/settings.h"
#include "resolver/transport.h"

namespace {
constexpr int BUFFER_SIZE = 1024;   // the query buffer and the reply buffer
}

int run_query(const char* name, int qclass, int qtype, std::uint8_t* reply, int reply_size)
{
    // The start draws the identifier that make_query advances for this query.
    if (resolver_start() == -1)
        return -1;
    std::uint8_t query[BUFFER_SIZE];
    int length = make_query(name, qclass, qtype, query, sizeof query);
    if (length <= 0)
        return -1;
    int n = send_query(query, length, reply, reply_size);
    // The transport never accepts less than a header; the test stays here so
    // that no octet beyond the reply is read whatever the transport gives.
    if (n < HEADER_SIZE)
        return -1;
    if (get_rcode(reply) != 0)
        return -1;
    if (load16(reply + 6) == 0)   // ANCOUNT
        return -1;
    return n;
}

std::optional<Message> lookup(const char* name, int qclass, int qtype)
{
    std::uint8_t reply[BUFFER_SIZE];
    int n = run_query(name, qclass, qtype, reply, sizeof reply);
    if (n < 0)
        return std::nullopt;
    return decode_message(reply, n);
}
