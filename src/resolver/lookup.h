// One lookup: compose, send, accept and decode.
#pragma once

#include "message/message.h"

#include <cstdint>
#include <optional>

// The number of reply octets in reply when the reply is accepted, -1 otherwise.
int run_query(const char* name, int qclass, int qtype, std::uint8_t* reply, int reply_size);
// The decoded answer, owned by the caller, or nothing.
std::optional<Message> lookup(const char* name, int qclass, int qtype);
