// The decoded form of a reply. A Message owns copies of everything it shows
// and never points into the reply octets.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

constexpr int NAME_TEXT_SIZE = 255;   // a name text, terminator included
constexpr int CHAR_TEXT_SIZE = 256;   // a character-string: 255 bytes and the terminator

struct MessageHeader {
    std::uint16_t id;
    std::uint8_t qr, opcode, aa, tc, rd, ra, z, rcode;
    std::uint16_t qdcount, ancount, nscount, arcount;
};

struct Question {
    char qname[NAME_TEXT_SIZE];
    std::uint16_t qtype;
    std::uint16_t qclass;
};

// Record data; which members hold the data follows from the record's rrtype.
struct SoaData {
    char origin[NAME_TEXT_SIZE];
    char mail_addr[NAME_TEXT_SIZE];
    std::uint32_t serial, refresh, retry, expire, minimum;
};
struct WksData {
    std::uint8_t address[4];
    std::uint8_t protocol;
    std::vector<std::uint8_t> bitmap;
};
struct HinfoData {
    char cpu[CHAR_TEXT_SIZE];
    char os[CHAR_TEXT_SIZE];
};
struct MinfoData {
    char requests[NAME_TEXT_SIZE];
    char errors[NAME_TEXT_SIZE];
};
struct MxData {
    std::uint16_t preference;
    char exchange[NAME_TEXT_SIZE];
};

struct RData {
    std::uint8_t address[4];               // A
    char domain[NAME_TEXT_SIZE];           // NS, MD, MF, CNAME, MB, MG, MR, PTR
    SoaData soa;                           // SOA
    WksData wks;                           // WKS
    HinfoData hinfo;                       // HINFO
    MinfoData minfo;                       // MINFO
    MxData mx;                             // MX
    char text[CHAR_TEXT_SIZE];             // TXT
    std::vector<std::uint8_t> raw;         // NULL and every other type
};

struct ResourceRecord {
    char name[NAME_TEXT_SIZE];
    std::uint16_t rrtype;
    std::uint16_t rrclass;
    std::uint32_t ttl;
    std::uint16_t rdlength;
    RData rdata;
};

struct Message {
    MessageHeader header;
    std::vector<Question> questions;
    std::vector<ResourceRecord> answers;
    std::vector<ResourceRecord> authority;
    std::vector<ResourceRecord> additional;
};

// The Message of a reply of length octets, or nothing when it cannot be decoded.
std::unique_ptr<Message> decode_message(const std::uint8_t* reply, int length);
// Prints every section of the Message through the pager.
void print_message(const Message& message);
