#include "shell/print_message.h"

#include "message/symbols.h"
#include "platform/platform.h"
#include "shell/pager.h"

#include <cstring>

// Each line is written by hand straight into the pager's gathered text.
namespace {

// Room enough for any line of a reply but the hexadecimal ones: two texts of a
// reply, each with every byte escaped, the words around them and the newline.
constexpr int LINE_ROOM = 2 * 4 * CHAR_TEXT_SIZE + 128;

// A short text of ours or of the system's (a mnemonic, an address).
char* copy_text(char* p, const char* text)
{
    while (*text)
        *p++ = *text++;
    return p;
}

// A name or character-string of a reply. When texts are escaped (standard
// output is a terminal), every byte outside the printable ASCII range 32-126
// shows as a backslash and three decimal digits (the escape of master files,
// RFC 1035 5.1) and a backslash as two, so that no reply can move the cursor,
// clear the screen or retitle the window: not by C0 controls, not by DEL, and
// not by the 8-bit controls such as CSI (155), which some terminals take raw
// and others in its UTF-8 form (194 155). Anywhere else it is written as received.
char* reply_text(char* p, const char* text)
{
    if (!output_settings.escape_texts)
        return copy_string(p, text, std::strlen(text));
    for (; *text; ++text) {
        auto c = static_cast<unsigned char>(*text);
        if (c < 32 || c > 126) {
            *p++ = '\\';
            *p++ = static_cast<char>('0' + c / 100);
            *p++ = static_cast<char>('0' + c / 10 % 10);
            *p++ = static_cast<char>('0' + c % 10);
            continue;
        }
        if (c == '\\')
            *p++ = '\\';
        *p++ = static_cast<char>(c);
    }
    return p;
}

// A text of any length shown as reply_text shows it, a character at a time.
void put_reply_text(const char* text)
{
    char one[2] = {0, 0};
    for (; *text; ++text) {
        one[0] = *text;
        gather(reply_text(room(4), one));
    }
}

// Each byte as two upper-case hexadecimal digits, on as many pieces of room as it takes.
void put_hex(const std::uint8_t* bytes, int count)
{
    static const char DIGITS[] = "0123456789ABCDEF";
    while (count > 0) {
        int piece = count < 1024 ? count : 1024;
        char* p = room(2 * piece);
        for (int i = 0; i < piece; ++i) {
            *p++ = DIGITS[bytes[i] >> 4];
            *p++ = DIGITS[bytes[i] & 0xF];
        }
        gather(p);
        bytes += piece;
        count -= piece;
    }
}

// The data form a record holds. The decoder gives each record the form its
// type selects; a record made otherwise prints as an empty one.
template <typename Form>
const Form& form_of(const ResourceRecord& rec)
{
    static const Form empty{};
    const Form* form = std::get_if<Form>(&rec.rdata);
    return form ? *form : empty;
}

// "LABEL = " and the record's domain name.
template <int N>
char* domain(char* p, const char (&label)[N], const ResourceRecord& rec)
{
    return reply_text(copy(p, label), form_of<DomainData>(rec).domain);
}

// A section: count records of the Message's records from first on.
void print_section(const char* title, const std::vector<ResourceRecord>& records, int first, int count)
{
    if (count == 0)
        return;
    put_string(title);
    end_line();
    for (int i = first; i < first + count && i < static_cast<int>(records.size()); ++i)
        print_record(records[static_cast<std::size_t>(i)]);
    end_line();
}

void print_soa(char* p, const SoaData& soa)
{
    p = reply_text(copy(p, "origin = "), soa.origin);
    end_line_at(reply_text(copy(p, ", mail addr = "), soa.mail_addr));
    p = decimal(copy(room(LINE_ROOM), "\tserial = "), soa.serial);
    p = decimal(copy(p, ", refresh = "), soa.refresh);
    p = decimal(copy(p, ", retry = "), soa.retry);
    p = decimal(copy(p, ", expire = "), soa.expire);
    gather(decimal(copy(p, ", ttl = "), soa.minimum));
}

void print_wks(char* p, const WksData& wks)
{
    gather(copy(dotted_address(copy(p, "inet address = "), wks.address), ", protocol = "));
    // The name the system's protocol database gives the protocol, or its
    // number. The database is a file that the reply's sender may not write but
    // someone else may: at a terminal its name is escaped as a reply's texts are.
    if (const char* name = protocol_name(wks.protocol))
        put_reply_text(name);
    else
        put_unsigned(wks.protocol);
    end_line();
    put("\tbitmap = ");
    // The bitmap holds rdlength - 5 octets; none when rdlength is below 5.
    put_hex(wks.bitmap.data(), static_cast<int>(wks.bitmap.size()));
}

// The data line (or lines) of a record, by its type, after the tab at p.
void print_rdata(char* p, const ResourceRecord& rec)
{
    switch (rec.rrtype) {
    case TYPE_A: p = dotted_address(copy(p, "internet address = "), form_of<AddressData>(rec).address); break;
    case TYPE_NS: p = domain(p, "nameserver = ", rec); break;
    case TYPE_MD: p = domain(p, "mail destination = ", rec); break;
    case TYPE_MF: p = domain(p, "mail forwarder = ", rec); break;
    case TYPE_CNAME: p = domain(p, "canonical name = ", rec); break;
    case TYPE_MB: p = domain(p, "mailbox = ", rec); break;
    case TYPE_MG: p = domain(p, "mail group member = ", rec); break;
    case TYPE_MR: p = domain(p, "mail rename = ", rec); break;
    case TYPE_PTR: p = domain(p, "domain name pointer = ", rec); break;
    case TYPE_SOA: print_soa(p, form_of<SoaData>(rec)); end_line(); return;
    case TYPE_WKS: print_wks(p, form_of<WksData>(rec)); end_line(); return;
    case TYPE_NULL: {
        const std::vector<std::uint8_t>& raw = form_of<RawData>(rec).raw;
        end_line_at(copy(p, "null = "));
        put_hex(raw.data(), static_cast<int>(raw.size()));
        end_line();
        return;
    }
    case TYPE_HINFO: {
        const HinfoData& hinfo = form_of<HinfoData>(rec);
        p = reply_text(copy(reply_text(copy(p, "CPU = "), hinfo.cpu), ", OS = "), hinfo.os);
        break;
    }
    case TYPE_MINFO: {
        const MinfoData& minfo = form_of<MinfoData>(rec);
        p = reply_text(copy(reply_text(copy(p, "requests = "), minfo.requests), ", errors = "), minfo.errors);
        break;
    }
    case TYPE_MX: {
        const MxData& mx = form_of<MxData>(rec);
        p = reply_text(copy(decimal(copy(p, "perference = "), mx.preference), ", exchange = "), mx.exchange);
        break;
    }
    case TYPE_TXT: p = copy(reply_text(copy(p, "text = \""), form_of<TextData>(rec).text), "\""); break;
    default: p = copy(p, "Printing of rdata not implement for current type"); break;
    }
    end_line_at(p);
}

}  // namespace

void print_hex(const std::uint8_t* bytes, int count) { put_hex(bytes, count); }

void print_header(const MessageHeader& h)
{
    static const char DIGITS[] = "0123456789ABCDEF";
    char* p = decimal(copy(room(LINE_ROOM), "\tID="), h.id);
    p = decimal(copy(p, ", QR="), h.qr);
    end_line_at(copy_text(copy(p, ", OPCODE="), OpcodeNames[h.opcode & 0xF]));
    p = decimal(copy(room(LINE_ROOM), "\tAA="), h.aa);
    p = decimal(copy(p, ", TC="), h.tc);
    p = decimal(copy(p, ", RD="), h.rd);
    p = decimal(copy(p, ", RA="), h.ra);
    p = copy(p, ", Z=");
    *p++ = DIGITS[h.z & 0xF];   // Z is three bits: one hexadecimal digit
    end_line_at(copy_text(copy(p, ", RCODE="), RcodeNames[h.rcode & 0xF]));
    end_line();
}

void print_question(const Question& q)
{
    char* p = reply_text(copy(room(LINE_ROOM), "\tNAME="), q.qname);
    p = copy_text(copy(p, ", TYPE="), symbol_to_text(TypeTable, q.qtype));
    end_line_at(copy_text(copy(p, ", CLASS="), symbol_to_text(ClassTable, q.qclass)));
}

void print_record(const ResourceRecord& rec)
{
    end_line_at(reply_text(copy(room(LINE_ROOM), "\tNAME="), rec.name));
    char* p = copy_text(copy(room(LINE_ROOM), "\tTYPE="), symbol_to_text(TypeTable, rec.rrtype));
    p = copy_text(copy(p, ", CLASS="), symbol_to_text(ClassTable, rec.rrclass));
    p = decimal(copy(p, ", TTL="), rec.ttl);
    end_line_at(decimal(copy(p, ", RDLENGTH="), rec.rdlength));
    print_rdata(copy(room(LINE_ROOM), "\t"), rec);
}

void print_message(const Message& m)
{
    const MessageHeader& h = m.header;
    put("Header:");
    end_line();
    print_header(h);
    if (h.qdcount != 0) {
        put("Question:");
        end_line();
        for (int i = 0; i < h.qdcount && i < static_cast<int>(m.questions.size()); ++i)
            print_question(m.questions[static_cast<std::size_t>(i)]);
        end_line();
    }
    print_section("Answer Section:", m.records, 0, h.ancount);
    print_section("Authority Section:", m.records, h.ancount, h.nscount);
    print_section("Additional Section:", m.records, h.ancount + h.nscount, h.arcount);
    flush_lines();
}
