// Reads the DNS servers out of the system's configuration texts: the IP
// configuration tool's output, and the resolver configuration file (resolv.conf).
#pragma once

#include <string>
#include <vector>

// The tool lists further servers alone on the lines below its "DNS Servers"
// line; continuation is true while such lines may follow, and is carried from
// one call to the next (false before the first line).
//
// Takes one line of the output (or one piece of a line too long for the
// reader's buffer, handled as a line of its own) and returns the server name or
// address that it carries, or an empty text when it carries none.
std::string parse_config_line(const char* line, bool& continuation);

// Takes one line of a resolver configuration and returns the IPv4 address that
// it names as a server ("nameserver" and the address, as its first two words),
// or an empty text when it names none (another keyword, a comment, an IPv6 or
// malformed address).
std::string parse_resolv_conf_line(const char* line);
// Appends to out, in order, the servers that the lines of text name. Each line
// is taken whole, however long, as the C library takes it.
void read_resolv_conf(const std::string& text, std::vector<std::string>& out);

// Of a configuration file (resolv.conf, the tool's output), at most this many
// octets are read; a line that the limit cuts is left out.
constexpr int CONFIG_FILE_LIMIT = 65536;
