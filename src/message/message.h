// The decoded form of a reply. A Message owns copies of everything it shows
// and never points into the reply octets.
#pragma once

#include "message/reader.h"

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

constexpr int NAME_TEXT_SIZE = 255;   // a name text, terminator included
constexpr int CHAR_TEXT_SIZE = 256;   // a character-string: 255 bytes and the terminator

struct MessageHeader {
    std::uint16_t id;
    std::uint8_t qr, opcode, aa, tc, rd, ra, z, rcode;
    std::uint16_t qdcount, ancount, nscount, arcount;
};

// A question and a record are filled as they are read: their constructors
// leave the name texts as they find them rather than clear them first.
struct Question {
    Question() {}
    char qname[NAME_TEXT_SIZE];
    std::uint16_t qtype;
    std::uint16_t qclass;
};

// Record data: one form per kind of type, the one its rrtype selects. The
// forms with texts are filled as they are read, like questions and records:
// their constructors leave the texts as they find them.
struct RawData {   // NULL and every type without a form of its own
    std::vector<std::uint8_t> raw;
};
struct AddressData {   // A
    std::uint8_t address[4];   // as on the wire
};
struct DomainData {   // NS, MD, MF, CNAME, MB, MG, MR, PTR
    DomainData() {}
    char domain[NAME_TEXT_SIZE];
};
struct SoaData {
    SoaData() {}
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
    HinfoData() {}
    char cpu[CHAR_TEXT_SIZE];
    char os[CHAR_TEXT_SIZE];
};
struct MinfoData {
    MinfoData() {}
    char requests[NAME_TEXT_SIZE];
    char errors[NAME_TEXT_SIZE];
};
struct MxData {
    MxData() {}
    std::uint16_t preference;
    char exchange[NAME_TEXT_SIZE];
};
struct TextData {   // TXT: its first character-string
    TextData() {}
    char text[CHAR_TEXT_SIZE];
};

using RData = std::variant<RawData, AddressData, DomainData, SoaData, WksData, HinfoData, MinfoData, MxData,
                           TextData>;

struct ResourceRecord {
    ResourceRecord() {}
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
    // The answer, authority and additional sections, one after another: the
    // header's counts say how many records each has.
    std::vector<ResourceRecord> records;
};

// The Message of a reply of length octets, or nothing when the reply is shorter
// than its header or storage runs out. Decoding stops at the first question or
// record that does not lie wholly inside the reply (a reply cut short, a name
// that loops); the section counts in the header then say what was kept.
std::optional<Message> decode_message(const std::uint8_t* reply, int length);
// Ends a Message its owner is done with. Its storage, emptied, serves the next
// decode_message, so that a lookup after the first allocates nothing.
void release_message(Message&& m);

// Expands the (possibly compressed) name at the reader's position into out, a
// text of capacity bytes that is always terminated; a longer text is cut.
// Returns the octets the name occupies at the position, or -1 when the name
// reaches past the end of the message or follows too many pointers.
int expand_name(const Reader& at, char* out, int capacity);
// Expands the name at the position into out (NAME_TEXT_SIZE bytes) and moves
// past the octets it occupies there: 0, or -1.
int read_name(Reader& r, char* out);
// Copies the character-string at the position into out (CHAR_TEXT_SIZE bytes)
// and moves past it. Returns the octets it occupied (its length octet + 1), or
// -1 when it reaches past the end (out is then empty).
int copy_char_string(Reader& r, char* out);
// Fills record.rdata, in the form record.rrtype selects, from the data at the
// position, where record.rdlength octets lie inside the message. Every item
// must lie inside it too: 0, or -1 when one does not.
int decode_rdata(Reader& r, ResourceRecord& record);
