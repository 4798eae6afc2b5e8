// The settings at start and the start of the resolver.
#include "resolver/settings.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <gtest/gtest.h>
#include <thread>

namespace {

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
