// Dotted text of IPv4 addresses: the same text as the socket layer's inet_ntoa;
// and decimal numbers, as std::to_string writes them.
#include "shell/pager.h"

#include <arpa/inet.h>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

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

// Each number is written in its own place: the octets around it stay as they were.
TEST(DecimalText, AsToString)
{
    std::vector<std::uint32_t> values;
    for (std::uint32_t v = 0; v < 1000; ++v)
        values.push_back(v);
    for (std::uint32_t power = 1000; power <= 1000000000u; power *= 10)
        for (std::uint32_t v : {power - 1, power, power + 1, power / 100 * 99, power / 10 * 99 + 9})
            values.push_back(v);
    values.push_back(4294967295u);
    for (std::uint32_t v : values) {
        char room[1 + 10 + 1];
        std::memset(room, '#', sizeof room);
        char* end = decimal_digits(room + 1, v);
        std::string expected = "#" + std::to_string(v);
        ASSERT_EQ(std::string(room, end), expected) << v;
        ASSERT_EQ(std::string(end, room + sizeof room), std::string(room + sizeof room - end, '#')) << v;
    }
}

} // namespace
