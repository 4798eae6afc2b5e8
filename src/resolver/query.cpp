#include "resolver/query.h"

#include "resolver/settings.h"

#include <cstring>

namespace {

constexpr int MAX_LABEL = 63;     // RFC 1035 2.3.4
constexpr int MAX_WIRE_NAME = 255;

void put16(std::uint8_t* at, int value)
{
    at[0] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    at[1] = static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

int encode_name(const char* name, std::uint8_t* out, int space)
{
    if (name == nullptr || out == nullptr)
        return -1;
    std::size_t length = std::strlen(name);
    // One trailing '.' is the root label that users often type; "." is the root itself.
    if (length > 0 && name[length - 1] == '.')
        --length;

    // Check every label first so that nothing is written for a refused name.
    int wire = 1;   // the root label
    if (length > 0) {
        std::size_t label = 0;
        for (std::size_t i = 0; i <= length; ++i) {
            if (i == length || name[i] == '.') {
                if (label == 0 || label > MAX_LABEL)
                    return -1;
                wire += static_cast<int>(label) + 1;
                if (wire > MAX_WIRE_NAME)
                    return -1;
                label = 0;
            } else {
                ++label;
            }
        }
    }
    if (space < wire)
        return -1;

    int length_at = 0;
    int pos = 1;
    if (length > 0) {
        for (std::size_t i = 0; i <= length; ++i) {
            if (i == length || name[i] == '.') {
                out[length_at] = static_cast<std::uint8_t>(pos - length_at - 1);
                length_at = pos++;
            } else {
                out[pos++] = static_cast<std::uint8_t>(name[i]);
            }
        }
    }
    out[length_at] = 0;
    return wire;
}

int make_query(const char* name, int qclass, int qtype, std::uint8_t* buffer, int buffer_size)
{
    if (buffer == nullptr || buffer_size < HEADER_SIZE)
        return -1;
    std::memcpy(buffer, resolver_settings.HeaderTemplate, HEADER_SIZE);
    resolver_settings.next_id = static_cast<std::uint16_t>(resolver_settings.next_id + 1);
    put16(buffer, resolver_settings.next_id);
    if (buffer_size < HEADER_SIZE + 4)
        return -1;
    int name_length = encode_name(name, buffer + HEADER_SIZE, buffer_size - HEADER_SIZE - 4);
    if (name_length < 0)
        return -1;
    std::uint8_t* tail = buffer + HEADER_SIZE + name_length;
    put16(tail, qtype & 0xFFFF);
    put16(tail + 2, qclass & 0xFFFF);
    put16(buffer + 4, 1);
    return HEADER_SIZE + name_length + 4;
}
