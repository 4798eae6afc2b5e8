// The server listing and the `set all` listing.
#pragma once

void print_servers();
void print_settings(int qclass, int qtype);
