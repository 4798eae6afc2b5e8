// Fills the server list with the DNS servers the system is configured with.
#pragma once

void find_system_servers();
