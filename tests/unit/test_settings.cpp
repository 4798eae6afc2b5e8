// The settings at start and the start of the resolver.
#include "resolver/settings.h"

#include "capture.h"
#include "message/reader.h"
#include "platform/platform.h"
#include "resolver/query.h"

#include <cstring>
#include <gtest/gtest.h>
#include <set>

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

// A known source in place of the system's for one test.
struct SourceGuard {
    RandomSource saved = random_source;
    ~SourceGuard() { random_source = saved; }
};

int known_octets(void* out, int size)
{
    static const std::uint8_t OCTETS[] = {0xAB, 0xCD, 0xEF};
    std::memcpy(out, OCTETS, static_cast<std::size_t>(size));
    return 0;
}
int no_octets(void*, int) { return -1; }

TEST(Settings, StartDrawsTheIdentifierFromTheRandomSource)
{
    SourceGuard guard;
    random_source = known_octets;
    resolver_settings.next_id = 0;
    ASSERT_EQ(resolver_start(), 0);
    EXPECT_EQ(resolver_settings.next_id, 0xABCD);   // the first two octets, big-endian

    // Without a source no query goes out: the start fails, as when the socket
    // layer will not start, and says so with debug only.
    random_source = no_octets;
    ResolverSettings saved = resolver_settings;
    resolver_settings.OptionFlags = OPT_DEBUG;
    CapturedStream out;
    EXPECT_EQ(resolver_start(), -1);
    resolver_settings.OptionFlags = 0;
    EXPECT_EQ(resolver_start(), -1);
    resolver_settings = saved;
    EXPECT_EQ(out.text(), "Could not draw a query identifier.");
}

TEST(Settings, QueriesComposedInOneSecondCarryDifferentIdentifiers)
{
    // The system's source gives what it can, and fails for what it cannot.
    std::uint8_t octets[257];
    EXPECT_EQ(system_random(octets, 2), 0);
    EXPECT_EQ(system_random(octets, 257), -1);

    // Drawn from the system's source, four identifiers are all the same with
    // a chance of one in 2^48; seeded from the clock, they were the same all
    // through a second.
    std::set<std::uint16_t> ids;
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(resolver_start(), 0);
        std::uint8_t query[64];
        ASSERT_GT(make_query("host.example", 1, 1, query, sizeof query), 0);
        ids.insert(load16(query));
    }
    EXPECT_GT(ids.size(), 1u);
}

} // namespace
