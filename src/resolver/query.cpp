#include "resolver/query.h"

#include "message/reader.h"
#include "resolver/settings.h"

#include <cstring>

namespace {
constexpr int MAX_LABEL = 63;     // RFC 1035 2.3.4
constexpr int MAX_WIRE_NAME = 255;
}  // namespace

int encode_name(const char* name, std::uint8_t* out, int space)
{
    if (name == nullptr || out == nullptr)
        return -1;
    std::size_t length = std::strlen(name);
    // One trailing '.' is the root label that users often type; "." is the root itself.
    if (length > 0 && name[length - 1] == '.')
        --length;
    // Each label takes its length octet, the dots between them none, the root one.
    if (length > MAX_WIRE_NAME - 2)
        return -1;
    int wire = length > 0 ? static_cast<int>(length) + 2 : 1;
    if (space < wire)
        return -1;
    // The labels are made here first, so that nothing is written for a refused
    // name: the name one octet on, then each label's length over the dot (or
    // the octet) before it.
    std::uint8_t labels[MAX_WIRE_NAME];
    std::memcpy(labels + 1, name, length);
    std::size_t at = 0;   // where the current label starts in name
    for (; length > 0 && at <= length;) {
        auto dot = static_cast<const char*>(std::memchr(name + at, '.', length - at));
        std::size_t end = dot ? static_cast<std::size_t>(dot - name) : length;
        if (end == at || end - at > MAX_LABEL)
            return -1;
        labels[at] = static_cast<std::uint8_t>(end - at);
        at = end + 1;
    }
    labels[wire - 1] = 0;
    std::memcpy(out, labels, static_cast<std::size_t>(wire));
    return wire;
}

int make_query(const char* name, int qclass, int qtype, std::uint8_t* buffer, int buffer_size)
{
    if (buffer == nullptr || buffer_size < HEADER_SIZE)
        return -1;
    std::memcpy(buffer, resolver_settings.HeaderTemplate, HEADER_SIZE);
    resolver_settings.next_id = static_cast<std::uint16_t>(resolver_settings.next_id + 1);
    store16(buffer, resolver_settings.next_id);
    int name_length = encode_name(name, buffer + HEADER_SIZE, buffer_size - HEADER_SIZE - 4);
    if (name_length < 0)
        return -1;
    std::uint8_t* tail = buffer + HEADER_SIZE + name_length;
    store16(tail, static_cast<unsigned>(qtype) & 0xFFFF);
    store16(tail + 2, static_cast<unsigned>(qclass) & 0xFFFF);
    store16(buffer + 4, 1);
    return HEADER_SIZE + name_length + 4;
}
