// The 12-octet header at the start of every DNS message (RFC 1035 4.1.1):
// ID, two octets of flags, then the four section counts, all big-endian.
#pragma once

#include <cstdint>

constexpr int HEADER_SIZE = 12;

// The flag fields, each shifted down to bit 0; header points at octet 0.
inline unsigned get_qr(const std::uint8_t* header) { return (header[2] >> 7) & 1u; }
inline unsigned get_opcode(const std::uint8_t* header) { return (header[2] >> 3) & 0xFu; }
inline unsigned get_aa(const std::uint8_t* header) { return (header[2] >> 2) & 1u; }
inline unsigned get_tc(const std::uint8_t* header) { return (header[2] >> 1) & 1u; }
inline unsigned get_rd(const std::uint8_t* header) { return header[2] & 1u; }
inline unsigned get_ra(const std::uint8_t* header) { return (header[3] >> 7) & 1u; }
inline unsigned get_z(const std::uint8_t* header) { return (header[3] >> 4) & 7u; }
inline unsigned get_rcode(const std::uint8_t* header) { return header[3] & 0xFu; }

// Each setter changes its one bit and leaves the rest of the header as it was.
inline void set_tc(std::uint8_t* header, int on)
{
    header[2] = static_cast<std::uint8_t>(on ? header[2] | 0x02 : header[2] & ~0x02);
}

inline void set_rd(std::uint8_t* header, int on)
{
    header[2] = static_cast<std::uint8_t>(on ? header[2] | 0x01 : header[2] & ~0x01);
}
