// The header accessors, the message decoder, name expansion and record data,
// on hand-built and captured replies.
#include "message/header.h"
#include "message/message.h"

#include "captured_replies.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Octets = std::vector<std::uint8_t>;

Octets cat(std::initializer_list<Octets> parts)
{
    Octets out;
    for (const Octets& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A header with the given counts, ID 0xBEEF, QR and RD set.
Octets header(int qd, int an, int ns, int ar)
{
    return {0xBE, 0xEF, 0x81, 0x00,
            0, static_cast<std::uint8_t>(qd), 0, static_cast<std::uint8_t>(an),
            0, static_cast<std::uint8_t>(ns), 0, static_cast<std::uint8_t>(ar)};
}

// Fixed fields of a record: type, class IN, TTL 300, rdlength.
Octets fixed(int type, int rdlength)
{
    return {static_cast<std::uint8_t>(type >> 8), static_cast<std::uint8_t>(type), 0x00, 0x01,
            0x00, 0x00, 0x01, 0x2C,
            static_cast<std::uint8_t>(rdlength >> 8), static_cast<std::uint8_t>(rdlength)};
}

std::optional<Message> decode(const Octets& o)
{
    return decode_message(o.data(), static_cast<int>(o.size()));
}

// The data form a decoded record holds (the test fails if it holds another).
template <typename Form>
const Form& as(const RData& d)
{
    static const Form none{};
    const Form* form = std::get_if<Form>(&d);
    EXPECT_NE(form, nullptr) << "the record holds another form of data";
    return form ? *form : none;
}

// One section of a decoded Message, in place in its one storage of records.
struct Section {
    const std::vector<ResourceRecord>& records;
    std::size_t first, count;
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    const ResourceRecord& operator[](std::size_t i) const { return records.at(i < count ? first + i : records.size()); }
};
Section answers(const Message& m) { return {m.records, 0, m.header.ancount}; }
Section authority(const Message& m) { return {m.records, m.header.ancount, m.header.nscount}; }
Section additional(const Message& m)
{
    return {m.records, std::size_t{m.header.ancount} + m.header.nscount, m.header.arcount};
}

Octets address_of(const RData& d) { return Octets(as<AddressData>(d).address, as<AddressData>(d).address + 4); }

// Expands the name at position of message.
int expand(const Octets& message, int position, char* out, int capacity)
{
    return expand_name(Reader{message.data(), static_cast<int>(message.size()), position}, out, capacity);
}

// ---------------------------------------------------------------- header accessors

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
    // The neighbouring bit is kept, clear or set, each time one changes.
    std::uint8_t h[HEADER_SIZE] = {0, 0, 0x84, 0xFF};
    const struct { void (*set)(std::uint8_t*, int); int on; int want; } steps[] = {
        {set_rd, 7, 0x85}, {set_tc, 1, 0x87}, {set_tc, 1, 0x87}, {set_rd, 0, 0x86},
        {set_tc, 0, 0x84}, {set_tc, 1, 0x86}, {set_rd, 1, 0x87}, {set_tc, 0, 0x85},
    };
    for (const auto& step : steps) {
        step.set(h, step.on);
        EXPECT_EQ(h[2], step.want) << "step " << (&step - steps);
    }
    EXPECT_EQ(h[3], 0xFF);
}

// ---------------------------------------------------------------- expand_name

struct NameCase {
    const char* label;
    Octets message;
    int position;
    std::string text;   // expected text
    int count;          // expected result
};

std::vector<NameCase> name_cases()
{
    const Octets root = {0x00};
    const Octets two = {3, 'c', 'o', 'm', 2, 'n', 'z', 0};   // "com.nz" at 0
    return {
        {"root alone", {0x00}, 0, "", 1},
        {"three labels", {3, 'w', 'w', 'w', 7, 'e', 'x', 'a', 'm', 'p', 'l', 'e', 3, 'c', 'o', 'm', 0},
         0, "www.example.com", 17},
        {"pointer first", cat({two, {0xC0, 0x00}}), 8, "com.nz", 2},
        {"label then pointer", cat({two, {4, 'h', 'o', 's', 't', 0xC0, 0x00}}), 8, "host.com.nz", 7},
        {"label then pointer to root keeps the dot", cat({root, {3, 'a', 'b', 'c', 0xC0, 0x00}}), 1, "abc.", 6},
        {"pointer to pointer", cat({two, {0xC0, 0x00, 0xC0, 0x08}}), 10, "com.nz", 2},
        {"label, pointer, label, pointer",
         cat({two, {2, 'm', 'x', 0xC0, 0x00, 4, 'h', 'o', 's', 't', 0xC0, 0x08}}), 13, "host.mx.com.nz", 7},
        {"forward pointer", cat({{0xC0, 0x02}, two}), 0, "com.nz", 2},
        {"pointer to offset 256: its first octet's low bits count",
         cat({Octets(256, 0), {2, 'h', 'i', 0, 1, 'a', 0xC1, 0x00}}), 260, "a.hi", 4},
        {"length 0x40 taken as a pointer", cat({two, {0x40, 0x00}}), 8, "com.nz", 2},
        {"length 0x80 taken as a pointer", cat({two, {0x80, 0x00}}), 8, "com.nz", 2},
        {"dot and unprintable bytes kept", {3, 'a', '.', 0x01, 2, 0xFF, 'Z', 0}, 0, "a.\x01.\xFFZ", 8},
        {"label of 63", cat({{63}, Octets(63, 'x'), {0}}), 0, std::string(63, 'x'), 65},
    };
}

TEST(ExpandName, EdgeCases)
{
    for (const NameCase& c : name_cases()) {
        char out[NAME_TEXT_SIZE];
        std::memset(out, '#', sizeof out);
        int count = expand(c.message, c.position, out, NAME_TEXT_SIZE);
        EXPECT_EQ(count, c.count) << c.label;
        EXPECT_EQ(std::string(out, std::strlen(out)), c.text) << c.label;
    }
}

// Names that do not end inside the message, or whose pointers never end.
TEST(ExpandName, RefusedNames)
{
    Octets chain;   // pointer i points at pointer i-1; pointer 0 at the root at 0
    chain.push_back(0);
    for (int i = 0; i < 128; ++i) {
        int target = i == 0 ? 0 : 1 + 2 * (i - 1);
        chain.push_back(static_cast<std::uint8_t>(0xC0 | (target >> 8)));
        chain.push_back(static_cast<std::uint8_t>(target));
    }
    const struct {
        const char* label;
        Octets message;
        int position;
    } cases[] = {
        {"empty message", {}, 0},
        {"no root label", {3, 'c', 'o', 'm'}, 0},
        {"label past the end", {5, 'a', 'b'}, 0},
        {"pointer missing its second octet", {3, 'c', 'o', 'm', 0xC0}, 0},
        {"pointer past the end", {0xC0, 0x10}, 0},
        {"pointer to itself", {0xC0, 0x00}, 0},
        {"two pointers in a loop", {0xC0, 0x02, 0xC0, 0x00}, 0},
        {"label and pointer in a loop", {1, 'a', 0xC0, 0x00}, 0},
        {"position past the end", {0}, 1},
        {"negative position", {0}, -1},
        {"128 pointers in a chain", chain, static_cast<int>(chain.size()) - 2},
    };
    for (const auto& c : cases) {
        char out[NAME_TEXT_SIZE];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(expand(c.message, c.position, out, NAME_TEXT_SIZE), -1)
            << c.label;
        EXPECT_NE(std::memchr(out, '\0', sizeof out), nullptr) << c.label << ": text not terminated";
    }
    // 127 pointers are still followed.
    char out[NAME_TEXT_SIZE];
    EXPECT_EQ(expand(chain, static_cast<int>(chain.size()) - 4, out, NAME_TEXT_SIZE), 2);
    EXPECT_STREQ(out, "");
    // No text to write into.
    EXPECT_EQ(expand(chain, 0, nullptr, NAME_TEXT_SIZE), -1);
    EXPECT_EQ(expand(chain, 0, out, 0), -1);
}

// The text holds at most 254 bytes and its terminator; the count is unaffected.
TEST(ExpandName, LongTextIsCut)
{
    const struct {
        const char* label;
        int labels;          // labels of size 'x'
        int size;
        int last;            // then one label of this length (0: none)
        std::size_t text;    // expected text length
    } cases[] = {
        {"253 bytes", 3, 63, 61, 253},
        {"254 bytes exactly", 3, 63, 62, 254},
        {"255 bytes cut to 254", 3, 63, 63, 254},
        {"far longer cut to 254", 8, 63, 0, 254},
        {"short labels cut to 254", 16, 15, 0, 254},
    };
    for (const auto& c : cases) {
        Octets m;
        for (int i = 0; i < c.labels; ++i) {
            m.push_back(static_cast<std::uint8_t>(c.size));
            m.insert(m.end(), static_cast<std::size_t>(c.size), 'x');
        }
        if (c.last > 0) {
            m.push_back(static_cast<std::uint8_t>(c.last));
            m.insert(m.end(), static_cast<std::size_t>(c.last), 'y');
        }
        m.push_back(0);
        char out[NAME_TEXT_SIZE + 16];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(expand(m, 0, out, NAME_TEXT_SIZE), static_cast<int>(m.size()))
            << c.label;
        EXPECT_EQ(std::strlen(out), c.text) << c.label;
        EXPECT_EQ(out[NAME_TEXT_SIZE], '#') << c.label << ": written past the capacity";
    }
    // A pointer loop that grows the text is refused, not cut.
    Octets loop = {3, 'a', 'b', 'c', 0xC0, 0x00};
    char out[NAME_TEXT_SIZE];
    EXPECT_EQ(expand(loop, 0, out, NAME_TEXT_SIZE), -1);
    // Room for the terminator alone: the text is empty, the count whole.
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(expand({1, 'a', 0}, 0, out, 1), 3);
    EXPECT_EQ(out[0], '\0');
    EXPECT_EQ(out[1], '#');
}

// ---------------------------------------------------------------- decode_message

TEST(DecodeMessage, HeaderFields)
{
    // ID 0xFFFF; QR 1, OPCODE 15, AA 1, TC 1, RD 1; RA 1, Z 7, RCODE 15; no entries.
    Octets m = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0};
    auto msg = decode(m);
    ASSERT_TRUE(msg);
    const MessageHeader& h = msg->header;
    EXPECT_EQ(h.id, 0xFFFF);
    EXPECT_EQ(h.qr, 1);
    EXPECT_EQ(h.opcode, 15);
    EXPECT_EQ(h.aa, 1);
    EXPECT_EQ(h.tc, 1);
    EXPECT_EQ(h.rd, 1);
    EXPECT_EQ(h.ra, 1);
    EXPECT_EQ(h.z, 7);
    EXPECT_EQ(h.rcode, 15);
    EXPECT_TRUE(msg->questions.empty() && msg->records.empty());

    // 0x28 = OPCODE 5, 0x53 = Z 5, RCODE 3.
    m = {0x12, 0x34, 0x28, 0x53, 0, 0, 0, 0, 0, 0, 0, 0};
    msg = decode(m);
    ASSERT_TRUE(msg);
    EXPECT_EQ(msg->header.id, 0x1234);
    EXPECT_EQ(msg->header.qr, 0);
    EXPECT_EQ(msg->header.opcode, 5);
    EXPECT_EQ(msg->header.rd, 0);
    EXPECT_EQ(msg->header.z, 5);
    EXPECT_EQ(msg->header.rcode, 3);
}

TEST(DecodeMessage, ShorterThanHeaderGivesNothing)
{
    Octets m = header(0, 0, 0, 0);
    for (int n = 0; n < 12; ++n)
        EXPECT_FALSE(decode_message(m.data(), n)) << n;
    EXPECT_FALSE(decode_message(nullptr, 12));
    EXPECT_TRUE(decode_message(m.data(), 12));
}

// Sections follow each other with no gap, and a record's data never shifts the next.
TEST(DecodeMessage, SectionsAndRdlength)
{
    const Octets m = cat({
        header(1, 2, 1, 1),
        {1, 'q', 0}, {0x00, 0x01, 0x00, 0xFF},                    // question q A ANY at 12
        {0xC0, 0x0C}, fixed(1, 6), {10, 0, 0, 1, 0xAA, 0xBB},     // A with rdlength 6: address from the first 4
        {0xC0, 0x0C}, fixed(1, 2), {10, 0},                       // A with rdlength 2: address read in full
        {0xC0, 0x0C}, fixed(2, 3), {1, 'n', 0},                   // NS "n"
        {0xC0, 0x0C}, fixed(15, 4), {0xFF, 0xFF, 0xC0, 0x0C},     // MX 65535 q
    });
    auto msg = decode(m);
    ASSERT_TRUE(msg);
    EXPECT_EQ(msg->header.qdcount, 1);
    ASSERT_EQ(msg->questions.size(), 1u);
    EXPECT_STREQ(msg->questions[0].qname, "q");
    EXPECT_EQ(msg->questions[0].qtype, 1);
    EXPECT_EQ(msg->questions[0].qclass, 255);
    ASSERT_EQ(answers(*msg).size(), 2u);
    const ResourceRecord& a1 = answers(*msg)[0];
    EXPECT_STREQ(a1.name, "q");
    EXPECT_EQ(a1.rrclass, 1);
    EXPECT_EQ(a1.ttl, 300u);
    EXPECT_EQ(a1.rdlength, 6);
    EXPECT_EQ(address_of(a1.rdata), (Octets{10, 0, 0, 1}));
    const ResourceRecord& a2 = answers(*msg)[1];
    EXPECT_EQ(a2.rdlength, 2);
    // The address runs on into the next record's owner name (C0 0C).
    EXPECT_EQ(address_of(a2.rdata), (Octets{10, 0, 0xC0, 0x0C}));
    ASSERT_EQ(authority(*msg).size(), 1u);
    EXPECT_EQ(authority(*msg)[0].rrtype, 2);
    EXPECT_STREQ(as<DomainData>(authority(*msg)[0].rdata).domain, "n");
    ASSERT_EQ(additional(*msg).size(), 1u);
    EXPECT_EQ(as<MxData>(additional(*msg)[0].rdata).preference, 65535);
    EXPECT_STREQ(as<MxData>(additional(*msg)[0].rdata).exchange, "q");
}

// A reply that ends before what it announces keeps every entry that lies wholly
// inside it, and its counts say how many were kept; it takes no more storage
// than its octets can hold, whatever it announces.
TEST(DecodeMessage, CutRepliesKeepWholeEntries)
{
    const Octets question = {1, 'q', 0, 0x00, 0x01, 0x00, 0x01};
    const Octets answer = cat({{0xC0, 0x0C}, fixed(1, 4), {192, 0, 2, 1}});
    const struct {
        const char* label;
        Octets message;
        int qd, an, ns, ar;
    } cases[] = {
        {"announces 3 answers, holds 1", cat({header(1, 3, 0, 0), question, answer}), 1, 1, 0, 0},
        {"announces 65535 of each, holds none", {0, 1, 0x81, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         0, 0, 0, 0},
        {"announces 65535 of each, holds two questions",
         cat({{0, 1, 0x81, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, question, question}), 2, 0, 0, 0},
        {"announces 65535 answers, holds ten of the fewest octets",
         cat({{0, 1, 0x81, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0}, {0}, fixed(10, 0), {0}, fixed(10, 0), {0}, fixed(10, 0),
              {0}, fixed(10, 0), {0}, fixed(10, 0), {0}, fixed(10, 0), {0}, fixed(10, 0), {0}, fixed(10, 0), {0},
              fixed(10, 0), {0}, fixed(10, 0)}),
         0, 10, 0, 0},
        {"question cut in its type", cat({header(2, 1, 0, 0), question, {1, 'r', 0, 0x00}}), 1, 0, 0, 0},
        {"rdlength past the end", cat({header(1, 2, 0, 0), question, answer, {0xC0, 0x0C}, fixed(1, 5),
                                       {192, 0, 2, 2}}), 1, 1, 0, 0},
        {"rdlength 65535", cat({header(1, 1, 0, 0), question, {0xC0, 0x0C}, fixed(16, 65535), {3, 'a', 'b', 'c'}}),
         1, 0, 0, 0},
        {"A data past the end though rdlength is 0",
         cat({header(1, 2, 0, 0), question, answer, {0xC0, 0x0C}, fixed(1, 0), {192, 0}}), 1, 1, 0, 0},
        {"record name points at itself", cat({header(1, 1, 1, 0), question, answer, {0xC0, 0x23}, fixed(1, 4),
                                   {1, 2, 3, 4}}), 1, 1, 0, 0},
        {"name in data past the end", cat({header(1, 2, 0, 0), question, answer, {0xC0, 0x0C}, fixed(5, 2),
                                           {0xC0, 0xF0}}), 1, 1, 0, 0},
        {"rdlength past the end: what follows its fixed fields is not read as the authority",
         cat({header(1, 1, 1, 0), question, {0xC0, 0x0C}, fixed(1, 12), {0}, fixed(99, 0)}), 1, 0, 0, 0},
        {"authority cut: additional dropped too",
         cat({header(1, 1, 1, 1), question, answer, {0xC0, 0x0C}, fixed(2, 4)}), 1, 1, 0, 0},
    };
    // Held to the end, so that every case is decoded into new storage, not
    // into what an earlier decoding left for the next.
    auto held = decode(header(0, 0, 0, 0));
    for (const auto& c : cases) {
        auto msg = decode(c.message);
        ASSERT_TRUE(msg) << c.label;
        // The fewest octets a question and a record take: a root name and the
        // fixed fields; one entry more is made before it is found not to fit.
        const std::size_t after_header = c.message.size() - HEADER_SIZE;
        EXPECT_LE(msg->questions.capacity(), after_header / (1 + 4) + 1) << c.label;
        EXPECT_LE(msg->records.capacity(), after_header / (1 + 10) + 1) << c.label;
        const MessageHeader& h = msg->header;
        EXPECT_EQ(h.qdcount, c.qd) << c.label;
        EXPECT_EQ(h.ancount, c.an) << c.label;
        EXPECT_EQ(h.nscount, c.ns) << c.label;
        EXPECT_EQ(h.arcount, c.ar) << c.label;
        EXPECT_EQ(msg->questions.size(), static_cast<std::size_t>(c.qd)) << c.label;
        EXPECT_EQ(msg->records.size(), static_cast<std::size_t>(c.an + c.ns + c.ar)) << c.label;
    }
}

// ---------------------------------------------------------------- record data

struct DataCase {
    const char* label;
    int type;
    Octets data;      // the record data; rdlength is its size unless given
    int rdlength;     // -1: the size of data
    void (*check)(const RData&);
};

// Each record sits in a reply whose question name "q" is at 12, so data may point there.
std::optional<Message> one_record(int type, const Octets& data, int rdlength)
{
    return decode(cat({header(1, 1, 0, 0), {1, 'q', 0, 0, 1, 0, 1}, {0xC0, 0x0C},
                       fixed(type, rdlength < 0 ? static_cast<int>(data.size()) : rdlength), data}));
}

TEST(DecodeRdata, EveryType)
{
    const DataCase cases[] = {
        {"A", 1, {192, 0, 2, 7}, -1,
         [](const RData& d) { EXPECT_EQ(address_of(d), (Octets{192, 0, 2, 7})); }},
        {"NS compressed", 2, {2, 'n', 's', 0xC0, 0x0C}, -1, [](const RData& d) { EXPECT_STREQ(as<DomainData>(d).domain, "ns.q"); }},
        {"MD", 3, {1, 'd', 0}, -1, [](const RData& d) { EXPECT_STREQ(as<DomainData>(d).domain, "d"); }},
        {"MF", 4, {1, 'f', 0}, -1, [](const RData& d) { EXPECT_STREQ(as<DomainData>(d).domain, "f"); }},
        {"CNAME pointer only", 5, {0xC0, 0x0C}, -1, [](const RData& d) { EXPECT_STREQ(as<DomainData>(d).domain, "q"); }},
        {"SOA numbers stay unsigned", 6,
         {1, 'o', 0xC0, 0x0C, 0xC0, 0x0C,
          0x80, 0x00, 0x00, 0x00,   // serial 2147483648
          0x00, 0x00, 0x1C, 0x20,   // refresh 7200
          0x00, 0x00, 0x03, 0x84,   // retry 900
          0xFF, 0xFF, 0xFF, 0xFF,   // expire 4294967295
          0x00, 0x00, 0x00, 0x3C},  // minimum 60
         -1,
         [](const RData& d) {
             EXPECT_STREQ(as<SoaData>(d).origin, "o.q");
             EXPECT_STREQ(as<SoaData>(d).mail_addr, "q");
             EXPECT_EQ(as<SoaData>(d).serial, 2147483648u);
             EXPECT_EQ(as<SoaData>(d).refresh, 7200u);
             EXPECT_EQ(as<SoaData>(d).retry, 900u);
             EXPECT_EQ(as<SoaData>(d).expire, 4294967295u);
             EXPECT_EQ(as<SoaData>(d).minimum, 60u);
         }},
        {"MB", 7, {1, 'b', 0}, -1, [](const RData& d) { EXPECT_STREQ(as<DomainData>(d).domain, "b"); }},
        {"MG", 8, {1, 'g', 0}, -1, [](const RData& d) { EXPECT_STREQ(as<DomainData>(d).domain, "g"); }},
        {"MR", 9, {1, 'r', 0}, -1, [](const RData& d) { EXPECT_STREQ(as<DomainData>(d).domain, "r"); }},
        {"NULL", 10, {0, 1, 0xFF}, -1, [](const RData& d) { EXPECT_EQ(as<RawData>(d).raw, (Octets{0, 1, 0xFF})); }},
        {"NULL empty", 10, {}, -1, [](const RData& d) { EXPECT_TRUE(as<RawData>(d).raw.empty()); }},
        {"WKS", 11, {192, 0, 2, 1, 6, 0x00, 0x40, 0x01}, -1,
         [](const RData& d) {
             EXPECT_EQ(Octets(as<WksData>(d).address, as<WksData>(d).address + 4), (Octets{192, 0, 2, 1}));
             EXPECT_EQ(as<WksData>(d).protocol, 6);
             EXPECT_EQ(as<WksData>(d).bitmap, (Octets{0x00, 0x40, 0x01}));
         }},
        {"WKS with a bitmap of one octet", 11, {192, 0, 2, 1, 6, 0x80}, -1,
         [](const RData& d) { EXPECT_EQ(as<WksData>(d).bitmap, (Octets{0x80})); }},
        {"WKS of 5 has no bitmap", 11, {192, 0, 2, 1, 17}, -1,
         [](const RData& d) {
             EXPECT_EQ(as<WksData>(d).protocol, 17);
             EXPECT_TRUE(as<WksData>(d).bitmap.empty());
         }},
        {"WKS shorter than 5: no bitmap, fields read in full", 11, {192, 0, 2, 1, 17}, 3,
         [](const RData& d) {
             EXPECT_EQ(as<WksData>(d).protocol, 17);
             EXPECT_TRUE(as<WksData>(d).bitmap.empty());
         }},
        {"PTR", 12, {4, 'h', 'o', 's', 't', 0xC0, 0x0C}, -1, [](const RData& d) { EXPECT_STREQ(as<DomainData>(d).domain, "host.q"); }},
        {"HINFO os right after cpu", 13, {3, 'v', 'a', 'x', 4, 'u', 'n', 'i', 'x'}, -1,
         [](const RData& d) {
             EXPECT_STREQ(as<HinfoData>(d).cpu, "vax");
             EXPECT_STREQ(as<HinfoData>(d).os, "unix");
         }},
        {"HINFO two empty strings", 13, {0, 0}, -1,
         [](const RData& d) {
             EXPECT_STREQ(as<HinfoData>(d).cpu, "");
             EXPECT_STREQ(as<HinfoData>(d).os, "");
         }},
        {"MINFO", 14, {1, 'r', 0xC0, 0x0C, 1, 'e', 0}, -1,
         [](const RData& d) {
             EXPECT_STREQ(as<MinfoData>(d).requests, "r.q");
             EXPECT_STREQ(as<MinfoData>(d).errors, "e");
         }},
        {"MX", 15, {0x00, 0x0A, 0xC0, 0x0C}, -1,
         [](const RData& d) {
             EXPECT_EQ(as<MxData>(d).preference, 10);
             EXPECT_STREQ(as<MxData>(d).exchange, "q");
         }},
        {"TXT keeps the first string only", 16, {2, 'h', 'i', 3, 'y', 'o', 'u'}, -1,
         [](const RData& d) { EXPECT_STREQ(as<TextData>(d).text, "hi"); }},
        {"TXT empty string", 16, {0}, -1, [](const RData& d) { EXPECT_STREQ(as<TextData>(d).text, ""); }},
        {"TXT of 255 bytes", 16, cat({{255}, Octets(255, 't')}), -1,
         [](const RData& d) { EXPECT_EQ(std::string(as<TextData>(d).text), std::string(255, 't')); }},
        {"AAAA kept raw", 28, {0x20, 0x01, 0x0D, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, -1,
         [](const RData& d) { EXPECT_EQ(as<RawData>(d).raw.size(), 16u); }},
        {"type 0 kept raw", 0, {7}, -1, [](const RData& d) { EXPECT_EQ(as<RawData>(d).raw, Octets{7}); }},
        {"type 65535 kept raw", 65535, {1, 2}, -1, [](const RData& d) { EXPECT_EQ(as<RawData>(d).raw, (Octets{1, 2})); }},
    };
    for (const DataCase& c : cases) {
        auto msg = one_record(c.type, c.data, c.rdlength);
        ASSERT_TRUE(msg) << c.label;
        ASSERT_EQ(answers(*msg).size(), 1u) << c.label;
        EXPECT_EQ(answers(*msg)[0].rrtype, c.type) << c.label;
        SCOPED_TRACE(c.label);
        c.check(answers(*msg)[0].rdata);
    }
}

// Data items that would reach past the end of the reply drop the record.
TEST(DecodeRdata, ItemsPastTheEnd)
{
    const struct {
        const char* label;
        int type;
        Octets data;
        int rdlength;
    } cases[] = {
        {"A of 3 at the end", 1, {1, 2, 3}, 3},
        {"SOA numbers missing", 6, {0, 0, 0, 0, 0, 1}, 6},
        {"SOA minimum of 3 at the end", 6, {0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 5}, 21},
        {"MX preference only", 15, {0, 1}, 2},
        {"TXT string longer than the reply", 16, {9, 'a'}, 2},
        {"HINFO second string missing", 13, {1, 'a'}, 2},
        {"WKS of 3 at the end", 11, {1, 2, 3}, 3},
        {"MINFO second name missing", 14, {1, 'a', 0}, 3},
    };
    for (const auto& c : cases) {
        auto msg = one_record(c.type, c.data, c.rdlength);
        ASSERT_TRUE(msg) << c.label;
        EXPECT_EQ(msg->header.ancount, 0) << c.label;
        EXPECT_TRUE(answers(*msg).empty()) << c.label;
    }
}

TEST(CopyCharString, LengthAndBounds)
{
    const Octets full = cat({{255}, Octets(255, 's'), {'x'}});
    const struct {
        const char* label;
        Octets message;
        int length;     // octets of the message to read in
        int position;
        int result;     // and the reader's position after it, when not -1
        std::string text;
    } cases[] = {
        {"empty string", {0, 'x'}, 2, 0, 1, ""},
        {"two bytes", {2, 'o', 'k', 'x'}, 4, 0, 3, "ok"},
        {"ends inside the string", {2, 'o', 'k', 'x'}, 2, 0, -1, ""},
        {"no length octet", {2, 'o', 'k', 'x'}, 4, 4, -1, ""},
        {"255 bytes fill the text and its terminator", full, 257, 0, 256, std::string(255, 's')},
    };
    for (const auto& c : cases) {
        char out[CHAR_TEXT_SIZE + 1];
        std::memset(out, '#', sizeof out);
        Reader r{c.message.data(), c.length, c.position};
        EXPECT_EQ(copy_char_string(r, out), c.result) << c.label;
        EXPECT_EQ(r.pos, c.position + (c.result < 0 ? 0 : c.result)) << c.label;
        ASSERT_NE(std::memchr(out, '\0', CHAR_TEXT_SIZE), nullptr) << c.label << ": not terminated";
        EXPECT_EQ(std::string(out), c.text) << c.label;
        EXPECT_EQ(out[CHAR_TEXT_SIZE], '#') << c.label << ": written past the text";
    }
}

// ---------------------------------------------------------------- captured replies

struct Expected {
    const char* label;
    int qd, an, ns, ar;
    int rcode;
    void (*check)(const Message&);
};

const ResourceRecord& first_answer(const Message& m) { return answers(m)[0]; }

const Expected EXPECTED[] = {
    {"a", 1, 2, 2, 2, 0, [](const Message& m) {
         EXPECT_STREQ(m.questions[0].qname, "host.example");
         EXPECT_EQ(address_of(answers(m)[1].rdata), (Octets{192, 0, 2, 3}));
         EXPECT_STREQ(as<DomainData>(authority(m)[1].rdata).domain, "ns2.example");
         EXPECT_STREQ(additional(m)[0].name, "ns1.example");
     }},
    {"ns", 1, 2, 0, 2, 0, [](const Message& m) { EXPECT_STREQ(as<DomainData>(first_answer(m).rdata).domain, "ns1.example"); }},
    {"soa", 1, 1, 2, 2, 0, [](const Message& m) {
         const SoaData& s = as<SoaData>(first_answer(m).rdata);
         EXPECT_STREQ(s.origin, "ns1.example");
         EXPECT_STREQ(s.mail_addr, "hostmaster.example");
         EXPECT_EQ(s.serial, 2147483649u);
         EXPECT_EQ(s.minimum, 3600u);
         EXPECT_EQ(authority(m)[0].rdlength, 2);   // a pointer into the SOA data
         EXPECT_STREQ(as<DomainData>(authority(m)[0].rdata).domain, "ns1.example");
     }},
    {"mx", 1, 2, 2, 3, 0, [](const Message& m) {
         EXPECT_EQ(as<MxData>(first_answer(m).rdata).preference, 65535);
         EXPECT_STREQ(as<MxData>(first_answer(m).rdata).exchange, "mail.example");
         EXPECT_STREQ(as<MxData>(answers(m)[1].rdata).exchange, "mail.example");   // a pointer into the first MX
     }},
    {"cname", 1, 3, 2, 2, 0, [](const Message& m) { EXPECT_STREQ(as<DomainData>(first_answer(m).rdata).domain, "host.example"); }},
    {"mb", 1, 1, 2, 4, 0, [](const Message& m) { EXPECT_STREQ(as<DomainData>(first_answer(m).rdata).domain, "host.example"); }},
    {"mg", 1, 1, 2, 2, 0, [](const Message& m) { EXPECT_STREQ(as<DomainData>(first_answer(m).rdata).domain, "user.example"); }},
    {"mr", 1, 1, 2, 2, 0, [](const Message& m) { EXPECT_STREQ(as<DomainData>(first_answer(m).rdata).domain, "other.example"); }},
    {"md", 1, 1, 2, 2, 0, [](const Message& m) { EXPECT_STREQ(as<DomainData>(first_answer(m).rdata).domain, "host.example"); }},
    {"mf", 1, 1, 2, 2, 0, [](const Message& m) { EXPECT_STREQ(as<DomainData>(first_answer(m).rdata).domain, "host.example"); }},
    {"minfo", 1, 1, 2, 2, 0, [](const Message& m) {
         EXPECT_STREQ(as<MinfoData>(first_answer(m).rdata).requests, "owner.example");
         EXPECT_STREQ(as<MinfoData>(first_answer(m).rdata).errors, "errors.example");
     }},
    {"hinfo", 1, 1, 2, 2, 0, [](const Message& m) {
         EXPECT_STREQ(as<HinfoData>(first_answer(m).rdata).cpu, "PDP-11");
         EXPECT_STREQ(as<HinfoData>(first_answer(m).rdata).os, "UNIX");
     }},
    {"hinfo0", 1, 1, 2, 2, 0, [](const Message& m) {
         EXPECT_STREQ(as<HinfoData>(first_answer(m).rdata).cpu, "");
         EXPECT_STREQ(as<HinfoData>(first_answer(m).rdata).os, "");
     }},
    {"txt", 1, 1, 2, 2, 0, [](const Message& m) { EXPECT_STREQ(as<TextData>(first_answer(m).rdata).text, "first string"); }},
    {"txt0", 1, 1, 2, 2, 0, [](const Message& m) { EXPECT_STREQ(as<TextData>(first_answer(m).rdata).text, ""); }},
    {"wks", 1, 1, 2, 2, 0, [](const Message& m) {
         const WksData& w = as<WksData>(first_answer(m).rdata);
         EXPECT_EQ(w.protocol, 6);
         EXPECT_EQ(w.bitmap.size(), 11u);   // ports 25 and 80
         EXPECT_EQ(w.bitmap[3], 0x40);
         EXPECT_EQ(w.bitmap[10], 0x80);
     }},
    {"wks17", 1, 1, 2, 2, 0, [](const Message& m) {
         EXPECT_EQ(as<WksData>(first_answer(m).rdata).protocol, 17);
         EXPECT_EQ(as<WksData>(first_answer(m).rdata).bitmap, (Octets{0, 0, 0, 0, 0, 0, 4}));   // port 53
     }},
    {"null", 1, 1, 2, 2, 0, [](const Message& m) { EXPECT_EQ(as<RawData>(first_answer(m).rdata).raw, (Octets{1, 2, 3})); }},
    {"null0", 1, 1, 2, 2, 0, [](const Message& m) { EXPECT_TRUE(as<RawData>(first_answer(m).rdata).raw.empty()); }},
    {"aaaa", 1, 1, 2, 2, 0, [](const Message& m) {
         EXPECT_EQ(as<RawData>(first_answer(m).rdata).raw,
                   (Octets{0x20, 0x01, 0x0D, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
     }},
    {"srv", 1, 1, 2, 4, 0, [](const Message& m) { EXPECT_EQ(as<RawData>(first_answer(m).rdata).raw.size(), 20u); }},
    {"ptr", 1, 1, 1, 0, 0, [](const Message& m) {
         EXPECT_STREQ(m.questions[0].qname, "1.2.0.192.in-addr.arpa");
         EXPECT_STREQ(as<DomainData>(first_answer(m).rdata).domain, "host.example");
     }},
    {"any", 1, 1, 0, 0, 0, [](const Message& m) { EXPECT_EQ(m.questions[0].qclass, 255); }},
    {"nxdomain", 1, 0, 1, 0, 3, [](const Message& m) { EXPECT_EQ(authority(m)[0].rrtype, 6); }},
    {"bigudp", 1, 0, 0, 0, 0, [](const Message& m) { EXPECT_EQ(m.header.tc, 1); }},
    {"big", 1, 80, 2, 2, 0, [](const Message& m) {
         EXPECT_EQ(address_of(answers(m)[79].rdata), (Octets{10, 0, 0, 80}));
     }},
};

TEST(CapturedReplies, DecodeInFull)
{
    ASSERT_EQ(sizeof EXPECTED / sizeof EXPECTED[0], sizeof CAPTURED_REPLIES / sizeof CAPTURED_REPLIES[0]);
    for (std::size_t i = 0; i < sizeof EXPECTED / sizeof EXPECTED[0]; ++i) {
        const Expected& e = EXPECTED[i];
        ASSERT_STREQ(e.label, CAPTURED_REPLIES[i].label);
        SCOPED_TRACE(e.label);
        auto msg = decode(octets_from_hex(CAPTURED_REPLIES[i].hex));
        ASSERT_TRUE(msg);
        const MessageHeader& h = msg->header;
        EXPECT_EQ(h.qr, 1);
        EXPECT_EQ(h.rcode, e.rcode);
        ASSERT_EQ(h.qdcount, e.qd);
        ASSERT_EQ(h.ancount, e.an);
        ASSERT_EQ(h.nscount, e.ns);
        ASSERT_EQ(h.arcount, e.ar);
        e.check(*msg);
    }
}

// Every prefix of every real reply decodes safely; what is kept only grows with
// the prefix, and each kept entry is the same as in the whole reply, in storage
// released by the decoding before it.
TEST(CapturedReplies, EveryPrefix)
{
    for (const CapturedReply& c : CAPTURED_REPLIES) {
        SCOPED_TRACE(c.label);
        const Octets whole = octets_from_hex(c.hex);
        auto full = decode(whole);
        ASSERT_TRUE(full);
        int kept_before = 0;
        for (std::size_t n = 0; n <= whole.size(); ++n) {
            Octets prefix(whole.begin(), whole.begin() + static_cast<long>(n));   // exact size: ASan sees overreads
            auto msg = decode(prefix);
            if (n < 12) {
                EXPECT_FALSE(msg) << n;
                continue;
            }
            ASSERT_TRUE(msg) << n;
            const MessageHeader& h = msg->header;
            int kept = h.qdcount + h.ancount + h.nscount + h.arcount;
            EXPECT_GE(kept, kept_before) << n;
            kept_before = kept;
            EXPECT_EQ(msg->questions.size(), h.qdcount);
            EXPECT_EQ(msg->records.size(), std::size_t{h.ancount} + h.nscount + h.arcount);
            // Sections fill in order: a later section has entries only when the earlier ones are complete.
            if (h.ancount > 0) {
                EXPECT_EQ(h.qdcount, full->header.qdcount) << n;
            }
            if (h.nscount > 0) {
                EXPECT_EQ(h.ancount, full->header.ancount) << n;
            }
            if (h.arcount > 0) {
                EXPECT_EQ(h.nscount, full->header.nscount) << n;
            }
            for (std::size_t i = 0; i < answers(*msg).size(); ++i) {
                EXPECT_STREQ(answers(*msg)[i].name, answers(*full)[i].name) << n;
                EXPECT_EQ(answers(*msg)[i].rdlength, answers(*full)[i].rdlength) << n;
            }
            // Released as the shell releases it: the next prefix is decoded
            // into this one's storage and must hold nothing of it.
            release_message(std::move(*msg));
        }
        EXPECT_EQ(kept_before, full->header.qdcount + full->header.ancount + full->header.nscount +
                                   full->header.arcount);
    }
}

// The transport keeps at most 1024 octets of a reply: the 80 addresses that
// came over TCP in 1377 octets, cut there, still show the 62 that fit whole.
TEST(CapturedReplies, CutAt1024Octets)
{
    const Octets whole = octets_from_hex(REPLY_BIG);
    ASSERT_GT(whole.size(), 1024u);
    const Octets cut(whole.begin(), whole.begin() + 1024);
    auto msg = decode(cut);
    ASSERT_TRUE(msg);
    EXPECT_EQ(msg->header.qdcount, 1);
    EXPECT_EQ(msg->header.ancount, 62);   // 29 + 62 * 16 = 1021 octets
    EXPECT_EQ(msg->header.nscount, 0);
    EXPECT_EQ(msg->header.arcount, 0);
    ASSERT_EQ(answers(*msg).size(), 62u);
    EXPECT_EQ(address_of(answers(*msg)[61].rdata), (Octets{10, 0, 0, 62}));
}

// The A reply cut at each record boundary keeps exactly the records before it.
TEST(CapturedReplies, CutAtRecordBoundaries)
{
    const Octets whole = octets_from_hex(REPLY_A);
    const struct {
        int length;
        int qd, an, ns, ar;
    } cases[] = {
        {12, 0, 0, 0, 0},    // the header alone
        {29, 0, 0, 0, 0},    // the question but its last octet
        {30, 1, 0, 0, 0},    // the question host.example A IN: 12 + 18
        {45, 1, 0, 0, 0},    // the first answer but its last octet
        {46, 1, 1, 0, 0},    // the first answer: 30 + 16
        {62, 1, 2, 0, 0},    // the second answer
        {80, 1, 2, 1, 0},    // the first NS: example, ns1.example (rdlength 6)
        {98, 1, 2, 2, 0},    // the second NS
        {114, 1, 2, 2, 1},   // the first additional A: ns1.example
        {129, 1, 2, 2, 1},   // the second additional A but its last octet
        {130, 1, 2, 2, 2},   // the whole reply
    };
    for (const auto& c : cases) {
        auto msg = decode_message(whole.data(), c.length);
        ASSERT_TRUE(msg) << c.length;
        EXPECT_EQ(msg->header.qdcount, c.qd) << c.length;
        EXPECT_EQ(msg->header.ancount, c.an) << c.length;
        EXPECT_EQ(msg->header.nscount, c.ns) << c.length;
        EXPECT_EQ(msg->header.arcount, c.ar) << c.length;
    }
}

}  // namespace
