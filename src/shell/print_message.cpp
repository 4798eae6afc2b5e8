#include "shell/print_message.h"

#include "message/symbols.h"
#include "platform/platform.h"
#include "shell/pager.h"

#include <cstring>

// Every line goes through the pager's counted output, formatted by hand.
namespace {

// A name or character-string of a reply. When standard output is a terminal,
// every byte 0-31 and 127 in it shows as a backslash and three decimal digits
// (the escape of master files, RFC 1035 5.1) and a backslash as two, so that
// no reply can move the cursor, clear the screen or retitle the window.
// Anywhere else it is written as received.
void put_text(const char* text)
{
    static const bool at_terminal = output_is_terminal();
    int n = static_cast<int>(std::strlen(text));
    if (!at_terminal) {
        put(text, n);
        return;
    }
    char shown[4 * CHAR_TEXT_SIZE];   // every byte escaped, at the most
    int used = 0;
    for (int i = 0; i < n && used <= static_cast<int>(sizeof shown) - 4; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 32 || c == 127) {
            shown[used++] = '\\';
            shown[used++] = static_cast<char>('0' + c / 100);
            shown[used++] = static_cast<char>('0' + c / 10 % 10);
            shown[used++] = static_cast<char>('0' + c % 10);
            continue;
        }
        if (c == '\\')
            shown[used++] = '\\';
        shown[used++] = static_cast<char>(c);
    }
    put(shown, used);
}

// An IPv4 address held as on the wire, as dotted text.
void put_address(const std::uint8_t* octets)
{
    std::uint32_t address;
    std::memcpy(&address, octets, 4);   // network byte order stays as it is
    put_string(address_to_text(address));
}

// Each byte as two upper-case hexadecimal digits.
void put_hex(const std::uint8_t* bytes, int count)
{
    static const char DIGITS[] = "0123456789ABCDEF";
    for (int i = 0; i < count; ++i) {
        const char pair[2] = {DIGITS[bytes[i] >> 4], DIGITS[bytes[i] & 0xF]};
        put(pair, 2);
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

const char* domain_of(const ResourceRecord& rec) { return form_of<DomainData>(rec).domain; }

void print_section(const char* title, const std::vector<ResourceRecord>& records, int count)
{
    if (count == 0)
        return;
    put_string(title);
    end_line();
    for (int i = 0; i < count && i < static_cast<int>(records.size()); ++i)
        print_record(records[static_cast<std::size_t>(i)]);
    end_line();
}

void put_soa(const SoaData& soa)
{
    put("origin = ");
    put_text(soa.origin);
    put(", mail addr = ");
    put_text(soa.mail_addr);
    end_line();
    put("\tserial = ");
    put_unsigned(soa.serial);
    put(", refresh = ");
    put_unsigned(soa.refresh);
    put(", retry = ");
    put_unsigned(soa.retry);
    put(", expire = ");
    put_unsigned(soa.expire);
    put(", ttl = ");
    put_unsigned(soa.minimum);
}

void put_wks(const WksData& wks)
{
    put("inet address = ");
    put_address(wks.address);
    put(", protocol = ");
    // The name the system gives the protocol, or its number.
    if (const char* name = protocol_name(wks.protocol))
        put_string(name);
    else
        put_unsigned(wks.protocol);
    end_line();
    put("\tbitmap = ");
    // The bitmap holds rdlength - 5 octets; none when rdlength is below 5.
    put_hex(wks.bitmap.data(), static_cast<int>(wks.bitmap.size()));
}

// The data line (or lines) of a record, by its type.
void put_rdata(const ResourceRecord& rec)
{
    switch (rec.rrtype) {
    case TYPE_A: put("internet address = "); put_address(form_of<AddressData>(rec).address); break;
    case TYPE_NS: put("nameserver = "); put_text(domain_of(rec)); break;
    case TYPE_MD: put("mail destination = "); put_text(domain_of(rec)); break;
    case TYPE_MF: put("mail forwarder = "); put_text(domain_of(rec)); break;
    case TYPE_CNAME: put("canonical name = "); put_text(domain_of(rec)); break;
    case TYPE_SOA: put_soa(form_of<SoaData>(rec)); break;
    case TYPE_MB: put("mailbox = "); put_text(domain_of(rec)); break;
    case TYPE_MG: put("mail group member = "); put_text(domain_of(rec)); break;
    case TYPE_MR: put("mail rename = "); put_text(domain_of(rec)); break;
    case TYPE_NULL: {
        const std::vector<std::uint8_t>& raw = form_of<RawData>(rec).raw;
        put("null = ");
        end_line();
        put_hex(raw.data(), static_cast<int>(raw.size()));
        break;
    }
    case TYPE_WKS: put_wks(form_of<WksData>(rec)); break;
    case TYPE_PTR: put("domain name pointer = "); put_text(domain_of(rec)); break;
    case TYPE_HINFO:
        put("CPU = ");
        put_text(form_of<HinfoData>(rec).cpu);
        put(", OS = ");
        put_text(form_of<HinfoData>(rec).os);
        break;
    case TYPE_MINFO:
        put("requests = ");
        put_text(form_of<MinfoData>(rec).requests);
        put(", errors = ");
        put_text(form_of<MinfoData>(rec).errors);
        break;
    case TYPE_MX:
        put("perference = ");
        put_unsigned(form_of<MxData>(rec).preference);
        put(", exchange = ");
        put_text(form_of<MxData>(rec).exchange);
        break;
    case TYPE_TXT: put("text = \""); put_text(form_of<TextData>(rec).text); put("\""); break;
    default: put("Printing of rdata not implement for current type"); break;
    }
    end_line();
}

}  // namespace

void print_hex(const std::uint8_t* bytes, int count) { put_hex(bytes, count); }

void print_header(const MessageHeader& h)
{
    static const char DIGITS[] = "0123456789ABCDEF";
    put("\tID=");
    put_unsigned(h.id);
    put(", QR=");
    put_unsigned(h.qr);
    put(", OPCODE=");
    put_string(OpcodeNames[h.opcode & 0xF]);
    end_line();
    put("\tAA=");
    put_unsigned(h.aa);
    put(", TC=");
    put_unsigned(h.tc);
    put(", RD=");
    put_unsigned(h.rd);
    put(", RA=");
    put_unsigned(h.ra);
    put(", Z=");
    put(&DIGITS[h.z & 0xF], 1);   // Z is three bits: one hexadecimal digit
    put(", RCODE=");
    put_string(RcodeNames[h.rcode & 0xF]);
    end_line();
    end_line();
}

void print_question(const Question& q)
{
    put("\tNAME=");
    put_text(q.qname);
    put(", TYPE=");
    put_string(symbol_to_text(TypeTable, q.qtype));
    put(", CLASS=");
    put_string(symbol_to_text(ClassTable, q.qclass));
    end_line();
}

void print_record(const ResourceRecord& rec)
{
    put("\tNAME=");
    put_text(rec.name);
    end_line();
    put("\tTYPE=");
    put_string(symbol_to_text(TypeTable, rec.rrtype));
    put(", CLASS=");
    put_string(symbol_to_text(ClassTable, rec.rrclass));
    put(", TTL=");
    put_unsigned(rec.ttl);
    put(", RDLENGTH=");
    put_unsigned(rec.rdlength);
    end_line();
    put("\t");
    put_rdata(rec);
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
    print_section("Answer Section:", m.answers, h.ancount);
    print_section("Authority Section:", m.authority, h.nscount);
    print_section("Additional Section:", m.additional, h.arcount);
    flush_lines();
}
