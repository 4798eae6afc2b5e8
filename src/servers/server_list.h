// The ordered list of name-server addresses every query is sent to.
#pragma once

#include <cstdint>

constexpr int MAX_SERVERS = 255;

struct ServerList {
    int count;
    std::uint32_t addresses[MAX_SERVERS];   // IPv4, network byte order
};

extern ServerList server_list;

// Appends the address a dotted text names, or every address of a host name: 0 or -1.
int add_server(const char* name);
// Empties the list; always 0.
int clear_servers();
// Empties the list, then add_server(name).
int set_server(const char* name);
