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

// The Message of a reply of length octets, or nothing when the reply is shorter
// than its header or storage runs out. Decoding stops at the first question or
// record that does not lie wholly inside the reply (a reply cut short, a name
// that loops); the section counts in the header then say what was kept.
std::unique_ptr<Message> decode_message(const std::uint8_t* reply, int length);

// Expands the (possibly compressed) name at position of the message of length
// octets into out, a text of capacity bytes that is always terminated; a longer
// text is cut. Returns the octets the name occupies at position, or -1 when the
// name reaches past the end of the message or follows too many pointers.
int expand_name(const std::uint8_t* message, int length, int position, char* out, int capacity);
// Copies the character-string at position into out (CHAR_TEXT_SIZE bytes).
// Returns the octets it occupies (its length octet + 1), or -1 past the end.
int copy_char_string(const std::uint8_t* message, int length, int position, char* out);
// Fills record.rdata from the data at position, as record.rrtype says. Every
// item must lie inside the message: 0, or -1 when one does not.
int decode_rdata(const std::uint8_t* message, int length, int position, ResourceRecord& record);

// Prints every section of the Message through the pager.
void print_message(const Message& message);
void print_header(const MessageHeader& header);
void print_question(const Question& question);
void print_record(const ResourceRecord& record);
// Each byte as two upper-case hexadecimal digits; nothing for count <= 0.
void print_hex(const std::uint8_t* bytes, int count);
