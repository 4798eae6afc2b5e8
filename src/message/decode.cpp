#include "message/message.h"

#include "message/reader.h"
#include "resolver/settings.h"

#include <new>

namespace {

// A name of at most 255 octets holds at most 127 labels, so it never needs more
// pointers than that; following more means the pointers loop.
constexpr int MAX_JUMPS = 127;

int read_question(Reader& r, Question& q)
{
    if (read_name(r, q.qname) < 0)
        return -1;
    if (read_u16(r, &q.qtype) < 0 || read_u16(r, &q.qclass) < 0)
        return -1;
    return 0;
}

int read_record(Reader& r, ResourceRecord& rec)
{
    if (read_name(r, rec.name) < 0)
        return -1;
    if (read_u16(r, &rec.rrtype) < 0 || read_u16(r, &rec.rrclass) < 0 || read_u32(r, &rec.ttl) < 0 ||
        read_u16(r, &rec.rdlength) < 0)
        return -1;
    if (!can_read(r, rec.rdlength) || decode_rdata(r.data, r.end, r.pos, rec) < 0)
        return -1;
    // The next record starts rdlength octets on, however much the data decoding read.
    return skip_bytes(r, rec.rdlength);
}

// Reads up to count records into section; false when one did not lie inside the reply.
bool read_section(Reader& r, int count, std::vector<ResourceRecord>& section)
{
    // A record is large (its data holds every form), so growing the section one
    // record at a time moves and faults in a lot of memory. Room for as many as
    // the rest of the reply can hold (each takes at least 11 octets) is made once.
    int fit = r.end > r.pos ? (r.end - r.pos) / 11 : 0;
    section.reserve(static_cast<std::size_t>(count < fit ? count : fit));
    for (int i = 0; i < count; ++i) {
        section.emplace_back();
        if (read_record(r, section.back()) < 0) {
            section.pop_back();
            return false;
        }
    }
    return true;
}

}  // namespace

int expand_name(const std::uint8_t* message, int length, int position, char* out, int capacity)
{
    if (out == nullptr || capacity <= 0)
        return -1;
    Reader r{message, length, position};
    const int room = capacity - 1;   // the terminator always fits
    int used = 0;                    // output octets written
    int segment = 0;                 // output position where the current run of labels began
    int count = 0;                   // octets of the name at its own position
    bool own = true;                 // still reading at the name's own position
    int jumps = 0;
    for (;;) {
        std::uint8_t b;
        if (read_u8(r, &b) < 0)
            break;
        if (b == 0) {
            out[used] = '\0';
            return own ? count + 1 : count;
        }
        // The dot comes before the pointer test: a label followed by a pointer
        // to the root keeps its trailing dot.
        if (used > segment && used < room)
            out[used++] = '.';
        if (b >= 64) {   // a compression pointer (top bits 11, and 01/10 taken alike)
            std::uint8_t low;
            if (read_u8(r, &low) < 0 || ++jumps > MAX_JUMPS)
                break;
            if (own)
                count += 2;
            own = false;
            r.pos = ((b << 8) | low) & 0x3FFF;
            segment = used;
            continue;
        }
        if (!can_read(r, b))
            break;
        for (int i = 0; i < b; ++i)
            if (used < room)
                out[used++] = static_cast<char>(r.data[r.pos + i]);
        r.pos += b;
        if (own)
            count += b + 1;
    }
    out[used] = '\0';
    return -1;
}

std::unique_ptr<Message> decode_message(const std::uint8_t* reply, int length)
{
    if (reply == nullptr || length < HEADER_SIZE)
        return nullptr;
    try {
        auto m = std::make_unique<Message>();
        MessageHeader& h = m->header;
        Reader r{reply, length, 0};
        read_u16(r, &h.id);
        h.qr = static_cast<std::uint8_t>(get_qr(reply));
        h.opcode = static_cast<std::uint8_t>(get_opcode(reply));
        h.aa = static_cast<std::uint8_t>(get_aa(reply));
        h.tc = static_cast<std::uint8_t>(get_tc(reply));
        h.rd = static_cast<std::uint8_t>(get_rd(reply));
        h.ra = static_cast<std::uint8_t>(get_ra(reply));
        h.z = static_cast<std::uint8_t>(get_z(reply));
        h.rcode = static_cast<std::uint8_t>(get_rcode(reply));
        r.pos = 4;
        read_u16(r, &h.qdcount);
        read_u16(r, &h.ancount);
        read_u16(r, &h.nscount);
        read_u16(r, &h.arcount);

        // Entries are made as they are read, so a count that the reply cannot
        // hold costs no storage. A reply cut short (as a truncated UDP answer is)
        // keeps every entry that lies wholly inside it.
        bool whole = true;
        for (int i = 0; whole && i < h.qdcount; ++i) {
            m->questions.emplace_back();
            if (read_question(r, m->questions.back()) < 0) {
                m->questions.pop_back();
                whole = false;
            }
        }
        whole = whole && read_section(r, h.ancount, m->answers);
        whole = whole && read_section(r, h.nscount, m->authority);
        whole = whole && read_section(r, h.arcount, m->additional);

        // The printer prints by the counts: they say what was kept.
        h.qdcount = static_cast<std::uint16_t>(m->questions.size());
        h.ancount = static_cast<std::uint16_t>(m->answers.size());
        h.nscount = static_cast<std::uint16_t>(m->authority.size());
        h.arcount = static_cast<std::uint16_t>(m->additional.size());
        return m;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
