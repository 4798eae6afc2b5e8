// The process-wide resolver options, the 12-octet header layout and the
// start of the socket layer.
#pragma once

#include <cstdint>

constexpr std::uint32_t OPT_DEBUG = 0x2;    // trace the resolver and report its failures
constexpr std::uint32_t OPT_USE_VC = 0x4;   // send every query over TCP

constexpr int HEADER_SIZE = 12;

struct ResolverSettings {
    std::uint16_t port;
    std::uint16_t next_id;
    std::uint32_t OptionFlags;
    std::uint8_t HeaderTemplate[HEADER_SIZE];
    std::int32_t retry_count;
    std::int32_t timeout_secs;
};

extern ResolverSettings resolver_settings;

inline bool debug_on() { return (resolver_settings.OptionFlags & OPT_DEBUG) != 0; }

// Seeds the query identifier from the clock and starts the socket layer: 0, or -1.
int resolver_start();

// Accessors of a WireHeader: header points at its first octet.
unsigned get_qr(const std::uint8_t* header);
unsigned get_opcode(const std::uint8_t* header);
unsigned get_aa(const std::uint8_t* header);
unsigned get_tc(const std::uint8_t* header);
unsigned get_rd(const std::uint8_t* header);
unsigned get_ra(const std::uint8_t* header);
unsigned get_z(const std::uint8_t* header);
unsigned get_rcode(const std::uint8_t* header);
void set_tc(std::uint8_t* header, int on);
void set_rd(std::uint8_t* header, int on);
