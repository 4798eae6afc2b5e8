// Dotted text of IPv4 addresses: the same text as the socket layer's inet_ntoa.
#include "shell/pager.h"

#include <arpa/inet.h>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string text_of(std::uint32_t address)
{
    char room[16];   // the room it asks for, not an octet more
    return std::string(room, dotted_address(room, reinterpret_cast<const std::uint8_t*>(&address)));
}

std::uint32_t from_octets(unsigned a, unsigned b, unsigned c, unsigned d)
{
    const std::uint8_t octets[4] = {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b),
                                    static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(d)};
    std::uint32_t address;
    std::memcpy(&address, octets, 4);   // network byte order
    return address;
}

TEST(AddressText, NamedCases)
{
    const struct {
        unsigned a, b, c, d;
        const char* text;
    } cases[] = {
        {0, 0, 0, 0, "0.0.0.0"},
        {255, 255, 255, 255, "255.255.255.255"},
        {127, 0, 0, 1, "127.0.0.1"},
        {10, 0, 7, 208, "10.0.7.208"},
        {1, 20, 100, 9, "1.20.100.9"},
        {192, 0, 2, 10, "192.0.2.10"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text_of(from_octets(c.a, c.b, c.c, c.d)), c.text) << c.text;
}

TEST(AddressText, EveryOctetValueInEveryPlaceAsInetNtoa)
{
    for (unsigned v = 0; v < 256; ++v) {
        for (int place = 0; place < 4; ++place) {
            unsigned o[4] = {7, 70, 170, 1};
            o[place] = v;
            std::uint32_t address = from_octets(o[0], o[1], o[2], o[3]);
            in_addr a{};
            a.s_addr = address;
            std::string expected = inet_ntoa(a);
            ASSERT_EQ(text_of(address), expected) << v << " at " << place;
        }
    }
}

} // namespace
