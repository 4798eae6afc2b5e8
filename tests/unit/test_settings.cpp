// Header accessors, the header template and the start of the resolver.
#include "resolver/settings.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(Header, GettersTakeTheirBits)
{
    const struct {
        std::uint8_t octet2, octet3;
        unsigned qr, opcode, aa, tc, rd, ra, z, rcode;
    } cases[] = {
        {0x78, 0xF3, 0, 15, 0, 0, 0, 1, 7, 3},
        {0x85, 0x80, 1, 0, 1, 0, 1, 1, 0, 0},
        {0xFF, 0xFF, 1, 15, 1, 1, 1, 1, 7, 15},
        {0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0},
        {0x02, 0x0F, 0, 0, 0, 1, 0, 0, 0, 15},
    };
    for (const auto& c : cases) {
        std::uint8_t h[HEADER_SIZE] = {0x12, 0x34, c.octet2, c.octet3};
        EXPECT_EQ(get_qr(h), c.qr);
        EXPECT_EQ(get_opcode(h), c.opcode);
        EXPECT_EQ(get_aa(h), c.aa);
        EXPECT_EQ(get_tc(h), c.tc);
        EXPECT_EQ(get_rd(h), c.rd);
        EXPECT_EQ(get_ra(h), c.ra);
        EXPECT_EQ(get_z(h), c.z);
        EXPECT_EQ(get_rcode(h), c.rcode);
    }
}

TEST(Header, SettersChangeOneBit)
{
    std::uint8_t h[HEADER_SIZE] = {0, 0, 0x85, 0xFF};
    set_tc(h, 1);
    EXPECT_EQ(h[2], 0x87);
    set_tc(h, 1);
    EXPECT_EQ(h[2], 0x87);
    set_tc(h, 0);
    EXPECT_EQ(h[2], 0x85);
    set_rd(h, 0);
    EXPECT_EQ(h[2], 0x84);
    set_rd(h, 7);
    EXPECT_EQ(h[2], 0x85);
    EXPECT_EQ(h[3], 0xFF);
}

TEST(Settings, StartValues)
{
    const std::uint8_t header[HEADER_SIZE] = {0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(resolver_settings.port, 53);
    EXPECT_EQ(resolver_settings.OptionFlags, 0u);
    EXPECT_EQ(resolver_settings.retry_count, 3);
    EXPECT_EQ(resolver_settings.timeout_secs, 1);
    EXPECT_EQ(0, std::memcmp(resolver_settings.HeaderTemplate, header, HEADER_SIZE));
}

TEST(Settings, StartSeedsFromTheClockEveryTime)
{
    // Two starts in the same second give the same identifier; the clock may
    // tick between them, so one retry is allowed.
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::time_t before = std::time(nullptr);
        ASSERT_EQ(resolver_start(), 0);
        std::uint16_t first = resolver_settings.next_id;
        resolver_settings.next_id = static_cast<std::uint16_t>(first + 100);
        ASSERT_EQ(resolver_start(), 0);
        if (std::time(nullptr) == before) {
            EXPECT_EQ(resolver_settings.next_id, first);
            return;
        }
    }
    GTEST_SKIP() << "the clock ticked during both tries";
}

TEST(Settings, StartDrawsAgainWhenTheSecondChanges)
{
    // Were the draw kept beyond its second, every query of a run would carry
    // the same identifier. Waits for the clock's next second (at most one).
    ASSERT_EQ(resolver_start(), 0);
    std::time_t started = std::time(nullptr);
    std::time_t now;
    while ((now = std::time(nullptr)) == started)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(resolver_start(), 0);
    std::uint16_t id = resolver_settings.next_id;
    if (std::time(nullptr) != now)
        GTEST_SKIP() << "the clock ticked again during the start";
    std::srand(static_cast<unsigned>(now));
    EXPECT_EQ(id, static_cast<std::uint16_t>(std::rand()));
}

TEST(Settings, StartGivesTheFirstDrawAfterSeedingWithTheClock)
{
    // Whatever the generator went through in between, each start gives the
    // first draw of the generator seeded with the current second.
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::time_t before = std::time(nullptr);
        ASSERT_EQ(resolver_start(), 0);
        std::uint16_t first = resolver_settings.next_id;
        std::srand(12345);
        std::rand();
        ASSERT_EQ(resolver_start(), 0);
        std::uint16_t second = resolver_settings.next_id;
        std::srand(static_cast<unsigned>(before));
        auto expected = static_cast<std::uint16_t>(std::rand());
        if (std::time(nullptr) == before) {
            EXPECT_EQ(first, expected);
            EXPECT_EQ(second, expected);
            return;
        }
    }
    GTEST_SKIP() << "the clock ticked during both tries";
}

} // namespace
