#include "servers/discovery.h"

#include "platform/platform.h"
#include "servers/server_list.h"

#include <cstdio>
#include <string>
#include <vector>

// The servers the system names are announced on one line and appended to the
// list as they stand; the list is not emptied first.
void find_system_servers()
{
    std::vector<std::string> found;
    if (system_dns_servers(found) == -1 || found.empty()) {
        clear_servers();
        std::fputs("DNS server not found! Add server manually\n", stdout);
        return;
    }
    for (size_t i = 0; i < found.size(); ++i) {
        std::printf(i == 0 ? "DNS server %s" : ", %s", found[i].c_str());
        add_server(found[i].c_str());
    }
    std::fputs(" found         \n", stdout);
}
