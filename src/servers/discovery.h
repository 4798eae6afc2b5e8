// Fills the server list with the DNS servers the system is configured with.
#pragma once

#include <string>

// At start-up and for `find`: asks the system's own service first (IP Helper,
// or /etc/resolv.conf) and appends what it names; on Windows, when that service
// cannot be asked, empties the list and reads the IP configuration tool's output.
void find_system_servers();

// Reads the IP configuration tool's output, text, in pieces of at most 99
// characters, adds every server it names and prints each one that was added
// (the first as it is, each later one after ", "). Returns the number printed.
int add_config_servers(const std::string& text);
