// Query composition, octet for octet.
#include "resolver/query.h"
#include "resolver/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Octets = std::vector<std::uint8_t>;

struct TemplateGuard {   // restores the process-wide settings after a test
    ResolverSettings saved = resolver_settings;
    ~TemplateGuard() { resolver_settings = saved; }
};

Octets compose(const char* name, int qclass, int qtype, int size, int* result)
{
    Octets buffer(static_cast<std::size_t>(size) + 8, 0xEE);   // guard octets past the end
    *result = make_query(name, qclass, qtype, buffer.data(), size);
    return buffer;
}

TEST(MakeQuery, HostExampleIsThirtyOctets)
{
    TemplateGuard guard;
    resolver_settings.next_id = 0x1233;
    int result = 0;
    Octets got = compose("host.example", 1, 1, 1024, &result);
    const Octets want = {
        0x12, 0x34,             // identifier: next_id advanced
        0x01, 0x00,             // RD set
        0x00, 0x01,             // QDCOUNT 1
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x04, 'h', 'o', 's', 't',
        0x07, 'e', 'x', 'a', 'm', 'p', 'l', 'e',
        0x00,                   // root
        0x00, 0x01,             // QTYPE A
        0x00, 0x01,             // QCLASS IN
    };
    ASSERT_EQ(result, 30);
    EXPECT_EQ(Octets(got.begin(), got.begin() + 30), want);
    EXPECT_EQ(resolver_settings.next_id, 0x1234);
}

TEST(MakeQuery, HeaderFieldsFollowTemplateAndArguments)
{
    TemplateGuard guard;
    int result = 0;

    set_rd(resolver_settings.HeaderTemplate, 0);   // norecurse
    Octets got = compose("host.example", 1, 1, 1024, &result);
    ASSERT_EQ(result, 30);
    EXPECT_EQ(got[2], 0x00);
    set_rd(resolver_settings.HeaderTemplate, 1);

    got = compose("host.example", 255, 0x1FF10, 1024, &result);   // only the low 16 bits count
    ASSERT_EQ(result, 30);
    EXPECT_EQ(got[26], 0xFF);
    EXPECT_EQ(got[27], 0x10);
    EXPECT_EQ(got[28], 0x00);
    EXPECT_EQ(got[29], 0xFF);

    resolver_settings.next_id = 0xFFFF;
    got = compose("a", 1, 1, 1024, &result);
    EXPECT_EQ(got[0], 0x00);
    EXPECT_EQ(got[1], 0x00);
    EXPECT_EQ(resolver_settings.next_id, 0);
}

TEST(MakeQuery, ReverseNameKeepsCase)
{
    TemplateGuard guard;
    int result = 0;
    Octets got = compose("4.3.2.1.IN-ADDR.ARPA", 1, 12, 1024, &result);
    const Octets want = {0x01, '4', 0x01, '3', 0x01, '2', 0x01, '1',
                         0x07, 'I', 'N', '-', 'A', 'D', 'D', 'R',
                         0x04, 'A', 'R', 'P', 'A', 0x00};
    ASSERT_EQ(result, 12 + 22 + 4);
    EXPECT_EQ(Octets(got.begin() + 12, got.begin() + 34), want);
}

TEST(MakeQuery, BufferBounds)
{
    TemplateGuard guard;
    const char* name = "host.example";
    const int L = static_cast<int>(std::strlen(name));
    int result = 0;

    Octets got = compose(name, 1, 1, L + 18, &result);
    EXPECT_EQ(result, L + 18);

    got = compose(name, 1, 1, L + 17, &result);
    EXPECT_EQ(result, -1);
    for (int i = L + 17; i < L + 17 + 8; ++i)
        EXPECT_EQ(got[i], 0xEE) << "octet " << i << " past the buffer";
    for (int i = 12; i < L + 17; ++i)
        EXPECT_EQ(got[i], 0xEE) << "name octet " << i << " written on failure";

    resolver_settings.next_id = 7;
    got = compose(name, 1, 1, 11, &result);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(resolver_settings.next_id, 7);
    EXPECT_EQ(got[0], 0xEE);

    got = compose(name, 1, 1, 12, &result);   // a header and no more
    EXPECT_EQ(result, -1);
    EXPECT_EQ(resolver_settings.next_id, 8);
    EXPECT_EQ(got[1], 8);          // header written
    EXPECT_EQ(got[12], 0xEE);      // nothing past the buffer

    EXPECT_EQ(make_query(name, 1, 1, nullptr, 1024), -1);
    EXPECT_EQ(resolver_settings.next_id, 8);
}

struct NameCase {
    const char* label;
    std::string name;
    Octets want;   // empty: refused
};

TEST(EncodeName, NamesAtAndBeyondTheLimits)
{
    const std::string l63(63, 'a');
    const std::string l64(64, 'a');
    // 4 labels of 63 = 256 octets with lengths, + root = 257: too long.
    // 3 labels of 63 and one of 61 = 192 + 62 + 1 = 255: the longest name.
    const std::string longest = l63 + "." + l63 + "." + l63 + "." + std::string(61, 'b');
    const std::string too_long = l63 + "." + l63 + "." + l63 + "." + std::string(62, 'b');

    Octets label63 = {63};
    label63.insert(label63.end(), 63, 'a');
    label63.push_back(0);
    Octets longest_wire;
    for (int i = 0; i < 3; ++i) {
        longest_wire.push_back(63);
        longest_wire.insert(longest_wire.end(), 63, 'a');
    }
    longest_wire.push_back(61);
    longest_wire.insert(longest_wire.end(), 61, 'b');
    longest_wire.push_back(0);

    const NameCase cases[] = {
        {"trailing dot is the root", "com.", {3, 'c', 'o', 'm', 0}},
        {"dot alone is the root", ".", {0}},
        {"empty text is the root", "", {0}},
        {"two labels and trailing dot", "a.b.", {1, 'a', 1, 'b', 0}},
        {"one letter", "a", {1, 'a', 0}},
        {"leading dot refused", ".com", {}},
        {"two dots in a row refused", "a..b", {}},
        {"two trailing dots refused", "com..", {}},
        {"label of 63 kept", l63, label63},
        {"label of 64 refused", l64, {}},
        {"255 octets on the wire kept", longest, longest_wire},
        {"256 octets on the wire refused", too_long, {}},
        {"bytes copied unchanged", "A\x01\xFF", {3, 'A', 0x01, 0xFF, 0}},
    };
    for (const NameCase& c : cases) {
        Octets out(300, 0xEE);
        int result = encode_name(c.name.c_str(), out.data(), 300);
        if (c.want.empty()) {
            EXPECT_EQ(result, -1) << c.label;
            EXPECT_EQ(out, Octets(300, 0xEE)) << c.label << ": written on refusal";
        } else {
            ASSERT_EQ(result, static_cast<int>(c.want.size())) << c.label;
            EXPECT_EQ(Octets(out.begin(), out.begin() + result), c.want) << c.label;
            EXPECT_EQ(out[result], 0xEE) << c.label;
            // One octet less does not fit and writes nothing.
            Octets small(300, 0xEE);
            EXPECT_EQ(encode_name(c.name.c_str(), small.data(), result - 1), -1) << c.label;
            EXPECT_EQ(small, Octets(300, 0xEE)) << c.label;
        }
    }
    // No name, or nowhere to write it.
    Octets out(300, 0xEE);
    EXPECT_EQ(encode_name(nullptr, out.data(), 300), -1);
    EXPECT_EQ(out, Octets(300, 0xEE));
    EXPECT_EQ(encode_name("com", nullptr, 300), -1);
}

}  // namespace
