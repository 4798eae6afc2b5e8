#include "servers/server_list.h"

#include "platform/platform.h"

#include <cstdio>
#include <vector>

ServerList server_list;

int add_server(const char* name)
{
    // Addresses are converted and names resolved by the socket layer, which
    // must be started first (Windows Sockets).
    NetStart started = net_start();
    if (started == NET_WRONG_VERSION)
        net_cleanup();
    if (started != NET_READY)
        return -1;   // the socket layer did not start
    // The last slot is never filled by an add.
    if (server_list.count + 1 >= MAX_SERVERS)
        return -1;
    if (name[0] >= '0' && name[0] <= '9') {
        std::uint32_t address = address_from_text(name);
        if (address == ADDRESS_NONE) {
            std::perror("Bad IP address.");
            return -1;
        }
        server_list.addresses[server_list.count++] = address;
        return 0;
    }
    std::vector<std::uint32_t> found;
    if (resolve_host(name, found) == -1) {
        std::perror("Domain not found");
        return -1;
    }
    if (found.empty()) {
        std::fputs("Domain has no IP addresses.\n", stdout);
        return 0;   // taken, though it adds nothing
    }
    // Addresses beyond the capacity are dropped; the list never grows past it.
    for (std::uint32_t address : found) {
        if (server_list.count + 1 >= MAX_SERVERS)
            break;
        server_list.addresses[server_list.count++] = address;
    }
    return 0;
}

int clear_servers()
{
    server_list.count = 0;
    return 0;   // emptying the list cannot fail
}

int set_server(const char* name)
{
    clear_servers();
    return add_server(name);
}
