// The printed form of a Message, compared byte for byte.
#include "platform/platform.h"
#include "shell/pager.h"
#include "shell/print_message.h"

#include "capture.h"
#include "captured_replies.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

using Octets = std::vector<std::uint8_t>;

const std::string PAUSE = "Press any key to continue... \r                                       \r";

std::string printed(const std::function<void()>& print)
{
    page_line_count = 0;
    CapturedStream out;
    print();
    flush_lines();
    return out.text();
}

std::string printed_reply(const Octets& reply)
{
    auto msg = decode_message(reply.data(), static_cast<int>(reply.size()));
    if (!msg)
        return "(no message)";
    return printed([&] { print_message(*msg); });
}

ResourceRecord record(int type, int rdlength)
{
    ResourceRecord r{};
    std::strcpy(r.name, "owner.example");
    r.rrtype = static_cast<std::uint16_t>(type);
    r.rrclass = 1;
    r.ttl = 3600;
    r.rdlength = static_cast<std::uint16_t>(rdlength);
    return r;
}

const char* const HEAD = "\tNAME=owner.example\n";

std::string repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// A line written past the room it took stops a debug build before the text
// is used, whether it is gathered or ended: the fuzz targets count on it.
TEST(PrintLines, PastItsRoomStopsADebugBuild)
{
#ifdef NDEBUG
    GTEST_SKIP() << "the check is made in debug builds";
#endif
    EXPECT_DEATH(gather(copy(room(2), "abc")), "room_end");
    EXPECT_DEATH(end_line_at(copy(room(3), "abc")), "room_end");
}

TEST(PrintHex, UpperCaseAndNothingBetween)
{
    const std::uint8_t bytes[] = {0x00, 0x0A, 0xFF, 0x5c};
    EXPECT_EQ(printed([&] { print_hex(bytes, 4); }), "000AFF5C");
    EXPECT_EQ(printed([&] { print_hex(bytes + 1, 1); }), "0A");
    EXPECT_EQ(printed([&] { print_hex(bytes, 0); }), "");
    EXPECT_EQ(printed([&] { print_hex(bytes, -3); }), "");
    // More than the gathered text holds: handed on as it fills, each part in its
    // place; the last part one octet short of a whole one.
    std::vector<std::uint8_t> many(5119);
    std::string expected;
    for (std::size_t i = 0; i < many.size(); ++i) {
        many[i] = static_cast<std::uint8_t>(0xA0 + i / 1000);
        expected += "A" + std::to_string(i / 1000);
    }
    EXPECT_EQ(printed([&] { print_hex(many.data(), static_cast<int>(many.size())); }), expected);
}

TEST(PrintHeader, FlagsAndNames)
{
    const struct {
        const char* label;
        MessageHeader header;
        std::string text;
    } cases[] = {
        {"all zero", {}, "\tID=0, QR=0, OPCODE=QUERY\n\tAA=0, TC=0, RD=0, RA=0, Z=0, RCODE=NOERROR\n\n"},
        {"all set", {65535, 1, 5, 1, 1, 1, 1, 7, 3, 0, 0, 0, 0},
         "\tID=65535, QR=1, OPCODE=UPDATE\n\tAA=1, TC=1, RD=1, RA=1, Z=7, RCODE=NXDOMAIN\n\n"},
        {"opcode and rcode held as numbers", {1, 1, 6, 0, 0, 0, 0, 0, 11, 0, 0, 0, 0},
         "\tID=1, QR=1, OPCODE=6\n\tAA=0, TC=0, RD=0, RA=0, Z=0, RCODE=11\n\n"},
        {"last names, Z in hexadecimal", {2, 0, 15, 0, 0, 0, 0, 10, 15, 0, 0, 0, 0},
         "\tID=2, QR=0, OPCODE=ZONEREF\n\tAA=0, TC=0, RD=0, RA=0, Z=A, RCODE=NOCHANGE\n\n"},
        {"opcode 13, rcode 14", {3, 0, 13, 0, 0, 0, 0, 0, 14, 0, 0, 0, 0},
         "\tID=3, QR=0, OPCODE=13\n\tAA=0, TC=0, RD=0, RA=0, Z=0, RCODE=14\n\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(printed([&] { print_header(c.header); }), c.text) << c.label;
}

TEST(PrintQuestion, NamesOrNumbers)
{
    Question q{};
    std::strcpy(q.qname, "host.example");
    q.qtype = 28;
    q.qclass = 255;
    EXPECT_EQ(printed([&] { print_question(q); }), "\tNAME=host.example, TYPE=AAAA, CLASS=ANY\n");
    q.qtype = 99;
    q.qclass = 7;
    EXPECT_EQ(printed([&] { print_question(q); }), "\tNAME=host.example, TYPE=99, CLASS=7\n");
    q.qname[0] = '\0';
    q.qtype = 2;
    q.qclass = 1;
    EXPECT_EQ(printed([&] { print_question(q); }), "\tNAME=, TYPE=NS, CLASS=IN\n");
}

TEST(PrintRecord, EveryType)
{
    const char* tcp = protocol_name(6);
    const std::string tcp_text = tcp ? tcp : "6";
    ASSERT_EQ(protocol_name(200), nullptr) << "protocol 200 must have no name for this test";

    const struct {
        const char* label;
        ResourceRecord rec;
        std::function<void(RData&)> fill;
        std::string data;   // what follows the tab of the third line
        bool escaped = false;   // texts shown as at a terminal
    } cases[] = {
        {"A", record(1, 4), [](RData& d) { std::memcpy(d.emplace<AddressData>().address, "\xC0\x00\x02\x01", 4); },
         "internet address = 192.0.2.1\n"},
        {"NS", record(2, 6), [](RData& d) { std::strcpy(d.emplace<DomainData>().domain, "ns1.example"); }, "nameserver = ns1.example\n"},
        {"MD", record(3, 6), [](RData& d) { std::strcpy(d.emplace<DomainData>().domain, "d.example"); }, "mail destination = d.example\n"},
        {"MF", record(4, 6), [](RData& d) { std::strcpy(d.emplace<DomainData>().domain, "f.example"); }, "mail forwarder = f.example\n"},
        {"CNAME", record(5, 2), [](RData& d) { std::strcpy(d.emplace<DomainData>().domain, "c.example"); }, "canonical name = c.example\n"},
        {"SOA", record(6, 39),
         [](RData& d) {
             SoaData& soa = d.emplace<SoaData>();
             std::strcpy(soa.origin, "ns1.example");
             std::strcpy(soa.mail_addr, "hostmaster.example");
             soa.serial = 4294967295u;
             soa.refresh = 7200;
             soa.retry = 900;
             soa.expire = 2147483648u;
             soa.minimum = 0;
         },
         "origin = ns1.example, mail addr = hostmaster.example\n"
         "\tserial = 4294967295, refresh = 7200, retry = 900, expire = 2147483648, ttl = 0\n"},
        {"MB", record(7, 2), [](RData& d) { std::strcpy(d.emplace<DomainData>().domain, "b.example"); }, "mailbox = b.example\n"},
        {"MG", record(8, 2), [](RData& d) { std::strcpy(d.emplace<DomainData>().domain, "g.example"); },
         "mail group member = g.example\n"},
        {"MR", record(9, 2), [](RData& d) { std::strcpy(d.emplace<DomainData>().domain, "r.example"); }, "mail rename = r.example\n"},
        {"NULL", record(10, 3), [](RData& d) { d = RawData{{0x01, 0xAB, 0x00}}; }, "null = \n01AB00\n"},
        {"NULL empty", record(10, 0), [](RData&) {}, "null = \n\n"},
        {"WKS tcp", record(11, 8),
         [](RData& d) {
             WksData& wks = d.emplace<WksData>();
             std::memcpy(wks.address, "\x0A\x00\x00\x01", 4);
             wks.protocol = 6;
             wks.bitmap = {0x00, 0x40, 0xFF};
         },
         "inet address = 10.0.0.1, protocol = " + tcp_text + "\n\tbitmap = 0040FF\n"},
        {"WKS protocol without a name", record(11, 5),
         [](RData& d) {
             WksData& wks = d.emplace<WksData>();
             std::memcpy(wks.address, "\x0A\x00\x00\x02", 4);
             wks.protocol = 200;
         },
         "inet address = 10.0.0.2, protocol = 200\n\tbitmap = \n"},
        {"WKS shorter than 5", record(11, 2),
         [](RData& d) {
             WksData& wks = d.emplace<WksData>();
             std::memcpy(wks.address, "\x0A\x00\x00\x03", 4);
             wks.protocol = 200;
         },
         "inet address = 10.0.0.3, protocol = 200\n\tbitmap = \n"},
        {"PTR", record(12, 2), [](RData& d) { std::strcpy(d.emplace<DomainData>().domain, "host.example"); },
         "domain name pointer = host.example\n"},
        {"HINFO", record(13, 9),
         [](RData& d) {
             HinfoData& hinfo = d.emplace<HinfoData>();
             std::strcpy(hinfo.cpu, "VAX");
             std::strcpy(hinfo.os, "UNIX");
         },
         "CPU = VAX, OS = UNIX\n"},
        {"MINFO", record(14, 4),
         [](RData& d) {
             MinfoData& minfo = d.emplace<MinfoData>();
             std::strcpy(minfo.requests, "r.example");
             std::strcpy(minfo.errors, "e.example");
         },
         "requests = r.example, errors = e.example\n"},
        {"MX", record(15, 4),
         [](RData& d) {
             MxData& mx = d.emplace<MxData>();
             mx.preference = 65535;
             std::strcpy(mx.exchange, "mail.example");
         },
         "perference = 65535, exchange = mail.example\n"},
        {"TXT", record(16, 6), [](RData& d) { std::strcpy(d.emplace<TextData>().text, "hello"); }, "text = \"hello\"\n"},
        {"TXT empty", record(16, 1), [](RData&) {}, "text = \"\"\n"},
        // The longest lines a reply can make, every byte of their texts escaped.
        {"HINFO escaped, two strings of 255", record(13, 512),
         [](RData& d) {
             HinfoData& hinfo = d.emplace<HinfoData>();
             for (int i = 0; i < 255; ++i) {
                 hinfo.cpu[i] = '\x01';
                 hinfo.os[i] = i % 2 ? '\\' : '\x9B';
             }
             hinfo.cpu[255] = hinfo.os[255] = '\0';
         },
         "CPU = " + repeat("\\001", 255) + ", OS = " + repeat("\\155\\\\", 127) + "\\155\n", true},
        {"MINFO escaped, two names of 254", record(14, 512),
         [](RData& d) {
             MinfoData& minfo = d.emplace<MinfoData>();
             std::memset(minfo.requests, 0x7F, 254);
             std::memset(minfo.errors, 0xFF, 254);
             minfo.requests[254] = minfo.errors[254] = '\0';
         },
         "requests = " + repeat("\\127", 254) + ", errors = " + repeat("\\255", 254) + "\n", true},
        {"TXT escaped, the printable ones as they are", record(16, 8),
         [](RData& d) { std::strcpy(d.emplace<TextData>().text, "a ~\x1F\x7F"); }, "text = \"a ~\\031\\127\"\n", true},
        {"AAAA", record(28, 16), [](RData& d) { d = RawData{Octets(16, 1)}; },
         "Printing of rdata not implement for current type\n"},
        {"type 0", record(0, 0), [](RData&) {}, "Printing of rdata not implement for current type\n"},
    };
    for (const auto& c : cases) {
        ResourceRecord rec = c.rec;
        c.fill(rec.rdata);
        std::string second = "\tTYPE=";
        second += c.label[0] == 't' ? "0" : std::string(c.label).substr(0, std::string(c.label).find(' '));
        second += ", CLASS=IN, TTL=3600, RDLENGTH=" + std::to_string(c.rec.rdlength) + "\n";
        output_settings.escape_texts = c.escaped;
        EXPECT_EQ(printed([&] { print_record(rec); }), HEAD + second + "\t" + c.data) << c.label;
        output_settings.escape_texts = false;
    }
}

TEST(PrintRecord, UnknownTypeAndClassAsNumbers)
{
    ResourceRecord rec = record(99, 0);
    rec.rrclass = 7;
    rec.ttl = 4294967295u;
    EXPECT_EQ(printed([&] { print_record(rec); }),
              std::string(HEAD) + "\tTYPE=99, CLASS=7, TTL=4294967295, RDLENGTH=0\n"
                                  "\tPrinting of rdata not implement for current type\n");
    rec = record(33, 100);   // SRV: its mnemonic, the fallback data line
    rec.rrclass = 3;
    rec.ttl = 86399;        // the last of the digit pairs
    EXPECT_EQ(printed([&] { print_record(rec); }),
              std::string(HEAD) + "\tTYPE=SRV, CLASS=CHAOS, TTL=86399, RDLENGTH=100\n"
                                  "\tPrinting of rdata not implement for current type\n");
}

TEST(PrintMessage, EmptySectionsPrintNothing)
{
    Message m{};
    m.header.id = 7;
    m.header.qr = 1;
    EXPECT_EQ(printed([&] { print_message(m); }),
              "Header:\n\tID=7, QR=1, OPCODE=QUERY\n\tAA=0, TC=0, RD=0, RA=0, Z=0, RCODE=NOERROR\n\n");

    ResourceRecord a = record(1, 4);
    std::memcpy(a.rdata.emplace<AddressData>().address, "\x7F\x00\x00\x01", 4);
    m.records.push_back(a);
    m.header.ancount = 1;
    EXPECT_EQ(printed([&] { print_message(m); }),
              "Header:\n\tID=7, QR=1, OPCODE=QUERY\n\tAA=0, TC=0, RD=0, RA=0, Z=0, RCODE=NOERROR\n\n"
              "Answer Section:\n"
              "\tNAME=owner.example\n\tTYPE=A, CLASS=IN, TTL=3600, RDLENGTH=4\n\tinternet address = 127.0.0.1\n"
              "\n");
}

// The A reply of NSD, 31 lines: the pager pauses after the 24th.
TEST(PrintMessage, CapturedAReplyWithAPause)
{
    EXPECT_EQ(printed_reply(octets_from_hex(REPLY_A)),
              "Header:\n"
              "\tID=19200, QR=1, OPCODE=QUERY\n"
              "\tAA=1, TC=0, RD=1, RA=0, Z=0, RCODE=NOERROR\n"
              "\n"
              "Question:\n"
              "\tNAME=host.example, TYPE=A, CLASS=IN\n"
              "\n"
              "Answer Section:\n"
              "\tNAME=host.example\n"
              "\tTYPE=A, CLASS=IN, TTL=3600, RDLENGTH=4\n"
              "\tinternet address = 192.0.2.1\n"
              "\tNAME=host.example\n"
              "\tTYPE=A, CLASS=IN, TTL=3600, RDLENGTH=4\n"
              "\tinternet address = 192.0.2.3\n"
              "\n"
              "Authority Section:\n"
              "\tNAME=example\n"
              "\tTYPE=NS, CLASS=IN, TTL=3600, RDLENGTH=6\n"
              "\tnameserver = ns1.example\n"
              "\tNAME=example\n"
              "\tTYPE=NS, CLASS=IN, TTL=3600, RDLENGTH=6\n"
              "\tnameserver = ns2.example\n"
              "\n"
              "Additional Section:\n" +
                  PAUSE +
                  "\tNAME=ns1.example\n"
                  "\tTYPE=A, CLASS=IN, TTL=3600, RDLENGTH=4\n"
                  "\tinternet address = 127.0.0.1\n"
                  "\tNAME=ns2.example\n"
                  "\tTYPE=A, CLASS=IN, TTL=3600, RDLENGTH=4\n"
                  "\tinternet address = 192.0.2.2\n"
                  "\n");
}

TEST(PrintMessage, CapturedReplies)
{
    const struct {
        const char* label;
        const char* hex;
        int length;   // octets of the reply to decode; 0: all
        std::string text;
    } cases[] = {
        {"NXDOMAIN with the SOA", REPLY_NXDOMAIN, 0,
         "Header:\n"
         "\tID=19223, QR=1, OPCODE=QUERY\n"
         "\tAA=1, TC=0, RD=1, RA=0, Z=0, RCODE=NXDOMAIN\n"
         "\n"
         "Question:\n"
         "\tNAME=nothere.example, TYPE=A, CLASS=IN\n"
         "\n"
         "Authority Section:\n"
         "\tNAME=example\n"
         "\tTYPE=SOA, CLASS=IN, TTL=3600, RDLENGTH=39\n"
         "\torigin = ns1.example, mail addr = hostmaster.example\n"
         "\tserial = 2147483649, refresh = 7200, retry = 900, expire = 1209600, ttl = 3600\n"
         "\n"},
        {"WKS answer, the reply cut after it", REPLY_WKS, 57,
         "Header:\n"
         "\tID=19215, QR=1, OPCODE=QUERY\n"
         "\tAA=1, TC=0, RD=1, RA=0, Z=0, RCODE=NOERROR\n"
         "\n"
         "Question:\n"
         "\tNAME=wks.example, TYPE=WKS, CLASS=IN\n"
         "\n"
         "Answer Section:\n"
         "\tNAME=wks.example\n"
         "\tTYPE=WKS, CLASS=IN, TTL=3600, RDLENGTH=16\n"
         "\tinet address = 192.0.2.1, protocol = " +
             std::string(protocol_name(6) ? protocol_name(6) : "6") +
             "\n"
             "\tbitmap = 0000004000000000000080\n"
             "\n"},
        {"NULL of 0 octets, the reply cut inside the second authority record", REPLY_NULL0, 70,
         "Header:\n"
         "\tID=19218, QR=1, OPCODE=QUERY\n"
         "\tAA=1, TC=0, RD=1, RA=0, Z=0, RCODE=NOERROR\n"
         "\n"
         "Question:\n"
         "\tNAME=nul0.example, TYPE=NULL, CLASS=IN\n"
         "\n"
         "Answer Section:\n"
         "\tNAME=nul0.example\n"
         "\tTYPE=NULL, CLASS=IN, TTL=3600, RDLENGTH=0\n"
         "\tnull = \n"
         "\n"
         "\n"
         "Authority Section:\n"
         "\tNAME=example\n"
         "\tTYPE=NS, CLASS=IN, TTL=3600, RDLENGTH=6\n"
         "\tnameserver = ns1.example\n"
         "\n"},
        {"header only", REPLY_TXT, 12,
         "Header:\n"
         "\tID=19213, QR=1, OPCODE=QUERY\n"
         "\tAA=1, TC=0, RD=1, RA=0, Z=0, RCODE=NOERROR\n"
         "\n"},
    };
    for (const auto& c : cases) {
        Octets reply = octets_from_hex(c.hex);
        if (c.length > 0)
            reply.resize(static_cast<std::size_t>(c.length));
        EXPECT_EQ(printed_reply(reply), c.text) << c.label;
    }
}

}  // namespace
