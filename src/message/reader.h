// The one way a message is read: a position and an end, checked before every
// read. A failed read returns -1 and leaves the position where it was. Below
// it, the byte order of the wire: numbers are big-endian there.
#pragma once

#include <cstdint>
#include <cstring>

// The 16- and 32-bit numbers at p, and a 16-bit number written at p.
inline std::uint16_t load16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }
inline std::uint32_t load32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
inline void store16(std::uint8_t* p, unsigned value)
{
    p[0] = static_cast<std::uint8_t>(value >> 8);
    p[1] = static_cast<std::uint8_t>(value);
}

struct Reader {
    const std::uint8_t* data;   // the start of the message: compression offsets count from here
    int end;                    // octets in the message
    int pos;                    // the next octet to read
};

// Whether n more octets lie between the position and the end. Taken as
// unsigned, a negative position or count is beyond any end.
inline bool can_read(const Reader& r, int n)
{
    return static_cast<unsigned>(r.pos) <= static_cast<unsigned>(r.end) &&
           static_cast<unsigned>(n) <= static_cast<unsigned>(r.end - r.pos);
}

inline int read_u8(Reader& r, std::uint8_t* value)
{
    if (!can_read(r, 1))
        return -1;
    *value = r.data[r.pos++];
    return 0;
}

inline int read_u16(Reader& r, std::uint16_t* value)
{
    if (!can_read(r, 2))
        return -1;
    *value = load16(r.data + r.pos);
    r.pos += 2;
    return 0;
}

inline int read_u32(Reader& r, std::uint32_t* value)
{
    if (!can_read(r, 4))
        return -1;
    *value = load32(r.data + r.pos);
    r.pos += 4;
    return 0;
}

inline int read_bytes(Reader& r, void* out, int n)
{
    if (!can_read(r, n))
        return -1;
    if (n > 0)
        std::memcpy(out, r.data + r.pos, static_cast<std::size_t>(n));
    r.pos += n;
    return 0;
}

inline int skip_bytes(Reader& r, int n)
{
    if (!can_read(r, n))
        return -1;
    r.pos += n;
    return 0;
}
