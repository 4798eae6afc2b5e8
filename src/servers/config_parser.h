// Reads the DNS servers out of the IP configuration tool's output, one line at
// a time.
#pragma once

#include <string>

// The tool lists further servers alone on the lines below its "DNS Servers"
// line; continuation is true while such lines may follow, and is carried from
// one call to the next (false before the first line).
//
// Takes one line of the output (or one piece of a line too long for the
// reader's buffer, handled as a line of its own) and returns the server name or
// address that it carries, or an empty text when it carries none.
std::string parse_config_line(const char* line, bool& continuation);
