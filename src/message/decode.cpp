#include "message/message.h"

#include "message/header.h"

#include <cstring>
#include <new>
#include <utility>

namespace {

// A name of at most 255 octets holds at most 127 labels, so it never needs more
// pointers than that; following more means the pointers loop.
constexpr int MAX_JUMPS = 127;

constexpr int SHORT_LABEL = 16;

// The least octets an entry takes: a root name and the fixed fields.
constexpr int QUESTION_MIN = 1 + 4;
constexpr int RECORD_MIN = 1 + 10;

int read_question(Reader& r, Question& q)
{
    if (read_name(r, q.qname) < 0 || read_u16(r, &q.qtype) < 0 || read_u16(r, &q.qclass) < 0)
        return -1;
    return 0;
}

int read_record(Reader& r, ResourceRecord& rec)
{
    // The name, then type, class, TTL and rdlength: ten octets checked at once.
    std::uint8_t fixed[10];
    if (read_name(r, rec.name) < 0 || read_bytes(r, fixed, sizeof fixed) < 0)
        return -1;
    rec.rrtype = load16(fixed);
    rec.rrclass = load16(fixed + 2);
    rec.ttl = load32(fixed + 4);
    rec.rdlength = load16(fixed + 8);
    if (!can_read(r, rec.rdlength))
        return -1;
    // The data is read from where it starts as far as its items go; the next
    // record starts rdlength octets on, however much that was.
    Reader data = r;
    if (decode_rdata(data, rec) < 0)
        return -1;
    return skip_bytes(r, rec.rdlength);
}

// Makes room once for as many of count entries as the rest of the reply can
// hold, and for the one more that is made before it is found not to fit: a
// count the reply cannot hold costs no storage, and the storage is not made
// again while the entries are read.
template <typename Entry>
void make_room(const Reader& r, int count, int least, std::vector<Entry>& entries)
{
    int fit = (r.end > r.pos ? (r.end - r.pos) / least : 0) + 1;
    if (count > 0)
        entries.reserve(entries.size() + static_cast<std::size_t>(count < fit ? count : fit));
}

// Reads up to count entries onto the end of entries and leaves in count those
// kept. False when one did not lie wholly inside the reply: it is not kept, and
// no later entry is read.
template <typename Entry>
bool read_entries(Reader& r, std::uint16_t& count, std::vector<Entry>& entries, int (*read_entry)(Reader&, Entry&))
{
    for (int i = 0; i < count; ++i) {
        entries.emplace_back();
        if (read_entry(r, entries.back()) < 0) {
            entries.pop_back();
            count = static_cast<std::uint16_t>(i);
            return false;
        }
    }
    return true;
}

// The storage of the last Message released, emptied: at most what one reply
// needed, kept for the next.
Message spare;

// The header, which the caller has seen the reply hold whole.
void read_header(Reader& r, MessageHeader& h)
{
    std::uint8_t top[HEADER_SIZE];
    read_bytes(r, top, HEADER_SIZE);
    h.id = load16(top);
    h.qr = static_cast<std::uint8_t>(get_qr(top));
    h.opcode = static_cast<std::uint8_t>(get_opcode(top));
    h.aa = static_cast<std::uint8_t>(get_aa(top));
    h.tc = static_cast<std::uint8_t>(get_tc(top));
    h.rd = static_cast<std::uint8_t>(get_rd(top));
    h.ra = static_cast<std::uint8_t>(get_ra(top));
    h.z = static_cast<std::uint8_t>(get_z(top));
    h.rcode = static_cast<std::uint8_t>(get_rcode(top));
    h.qdcount = load16(top + 4);
    h.ancount = load16(top + 6);
    h.nscount = load16(top + 8);
    h.arcount = load16(top + 10);
}

}  // namespace

int expand_name(const Reader& at, char* out, int capacity)
{
    if (out == nullptr || capacity <= 0)
        return -1;
    Reader r = at;
    const int room = capacity - 1;   // the terminator always fits
    int used = 0;                    // output octets written
    int segment = 0;                 // output position where the current run of labels began
    int count = -1;                  // octets of the name at its own position, once a pointer leaves it
    int jumps = 0;
    while (can_read(r, 1)) {
        unsigned b = r.data[r.pos];
        if (b == 0) {
            out[used] = '\0';
            return count < 0 ? r.pos + 1 - at.pos : count;
        }
        // The dot comes before the pointer test: a label followed by a pointer
        // to the root keeps its trailing dot.
        if (used > segment && used < room)
            out[used++] = '.';
        if (b >= 64) {   // a compression pointer (top bits 11, and 01/10 taken alike)
            if (!can_read(r, 2) || ++jumps > MAX_JUMPS)
                break;
            if (count < 0)
                count = r.pos + 2 - at.pos;
            r.pos = ((b << 8) | r.data[r.pos + 1]) & 0x3FFF;
            segment = used;
            continue;
        }
        ++r.pos;
        if (!can_read(r, static_cast<int>(b)))
            break;
        if (b <= SHORT_LABEL && r.end - r.pos >= SHORT_LABEL && room - used >= SHORT_LABEL) {
            // Most labels are short: copied in one fixed move that may run past
            // the label, within the reply and the output, which costs less than a call.
            std::memcpy(out + used, r.data + r.pos, SHORT_LABEL);
            used += static_cast<int>(b);
        } else {
            int take = static_cast<int>(b) < room - used ? static_cast<int>(b) : room - used;
            std::memcpy(out + used, r.data + r.pos, static_cast<std::size_t>(take));
            used += take;
        }
        r.pos += static_cast<int>(b);
    }
    out[used] = '\0';
    return -1;
}

int read_name(Reader& r, char* out)
{
    int used = expand_name(r, out, NAME_TEXT_SIZE);
    return used < 0 ? -1 : skip_bytes(r, used);
}

std::optional<Message> decode_message(const std::uint8_t* reply, int length)
{
    if (reply == nullptr || length < HEADER_SIZE)
        return std::nullopt;
    try {
        std::optional<Message> m(std::in_place, std::move(spare));
        MessageHeader& h = m->header;
        Reader r{reply, length, 0};
        read_header(r, h);
        // A reply cut short (as a truncated UDP answer is) keeps every entry
        // that lies wholly inside it, and the counts say what was kept: the
        // printer prints by them.
        make_room(r, h.qdcount, QUESTION_MIN, m->questions);
        bool whole = read_entries(r, h.qdcount, m->questions, read_question);
        // The answer, authority and additional records lie one after another
        // in one storage, made once for the three.
        make_room(r, h.ancount + h.nscount + h.arcount, RECORD_MIN, m->records);
        for (std::uint16_t* count : {&h.ancount, &h.nscount, &h.arcount}) {
            if (whole)
                whole = read_entries(r, *count, m->records, read_record);
            else
                *count = 0;
        }
        return m;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

void release_message(Message&& m)
{
    m.questions.clear();
    m.records.clear();
    spare = std::move(m);
}
