// Composition of a standard query: one question, no compression.
#pragma once

#include <cstdint>

// Writes a query for name, qclass and qtype into buffer; advances next_id.
// Returns the query's length in octets, or -1 when it cannot be composed.
int make_query(const char* name, int qclass, int qtype, std::uint8_t* buffer, int buffer_size);

// Writes name as length-prefixed labels ending in the root label.
// A single trailing '.' and the texts "" and "." name the root. Empty labels
// elsewhere, labels over 63 octets and names over 255 octets are refused.
// Returns the number of octets written, or -1 (nothing written).
int encode_name(const char* name, std::uint8_t* out, int space);
