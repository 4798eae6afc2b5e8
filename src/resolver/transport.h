// The query transport: datagrams with retries over the server list, a
// virtual circuit (TCP) when the query is long, when asked for, or when a
// datagram answer comes back truncated.
#pragma once

#include <cstdint>

// Largest query sent by datagram; a longer one goes by circuit (RFC 1035 4.2.1).
constexpr int MAX_DATAGRAM_QUERY = 512;

// Sends query to the servers of the server list and places the first
// acceptable reply in reply (at most reply_size octets). Returns the number of
// reply octets, or -1 when no server gave an acceptable reply. A reply shorter
// than the 12-octet header is never acceptable.
int send_query(const std::uint8_t* query, int query_length, std::uint8_t* reply, int reply_size);

// The wait of a pass in seconds: timeout_secs shifted left by (pass modulo 32)
// in 32-bit arithmetic, bits shifted out lost; 1 when that is 0 or negative.
int pass_wait(std::int32_t timeout_secs, int pass);
