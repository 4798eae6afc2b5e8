// The process-wide resolver options and the start of the resolver.
#pragma once

#include "message/header.h"

#include <cstdint>

constexpr std::uint32_t OPT_DEBUG = 0x2;    // trace the resolver and report its failures
constexpr std::uint32_t OPT_USE_VC = 0x4;   // send every query over TCP

struct ResolverSettings {
    std::uint16_t port;
    std::uint16_t next_id;
    std::uint32_t OptionFlags;
    std::uint8_t HeaderTemplate[HEADER_SIZE];   // copied into every query; only its RD bit changes
    std::int32_t retry_count;
    std::int32_t timeout_secs;
};

extern ResolverSettings resolver_settings;

// Where the query identifier is drawn from: the system's random source
// (system_random), or a known one that a test puts in its place.
using RandomSource = int (*)(void* out, int size);
extern RandomSource random_source;

inline bool debug_on() { return (resolver_settings.OptionFlags & OPT_DEBUG) != 0; }

// Draws the query identifier afresh and starts the socket layer: 0, or -1.
int resolver_start();
