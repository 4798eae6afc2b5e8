#include "shell/print_message.h"

#include "message/symbols.h"
#include "platform/platform.h"
#include "shell/pager.h"

#include <cstdio>
#include <cstring>

namespace {

// An IPv4 address held as on the wire, as dotted text.
const char* address_text(const std::uint8_t* octets)
{
    std::uint32_t address;
    std::memcpy(&address, octets, 4);   // network byte order stays as it is
    return address_to_text(address);
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
    std::fputs(title, stdout);
    end_line();
    for (int i = 0; i < count && i < static_cast<int>(records.size()); ++i)
        print_record(records[static_cast<std::size_t>(i)]);
    end_line();
}

void print_wks(const WksData& wks)
{
    std::printf("inet address = %s, protocol = ", address_text(wks.address));
    if (const char* name = protocol_name(wks.protocol))
        std::printf("%s", name);
    else
        std::printf("%d", wks.protocol);
    end_line();
    std::fputs("\tbitmap = ", stdout);
    // The bitmap holds rdlength - 5 octets; none when rdlength is below 5.
    print_hex(wks.bitmap.data(), static_cast<int>(wks.bitmap.size()));
}

void print_rdata(const ResourceRecord& rec)
{
    switch (rec.rrtype) {
    case TYPE_A: std::printf("internet address = %s", address_text(form_of<AddressData>(rec).address)); break;
    case TYPE_NS: std::printf("nameserver = %s", domain_of(rec)); break;
    case TYPE_MD: std::printf("mail destination = %s", domain_of(rec)); break;
    case TYPE_MF: std::printf("mail forwarder = %s", domain_of(rec)); break;
    case TYPE_CNAME: std::printf("canonical name = %s", domain_of(rec)); break;
    case TYPE_SOA: {
        const SoaData& soa = form_of<SoaData>(rec);
        std::printf("origin = %s, mail addr = %s", soa.origin, soa.mail_addr);
        end_line();
        std::printf("\tserial = %lu, refresh = %lu, retry = %lu, expire = %lu, ttl = %lu",
                    static_cast<unsigned long>(soa.serial), static_cast<unsigned long>(soa.refresh),
                    static_cast<unsigned long>(soa.retry), static_cast<unsigned long>(soa.expire),
                    static_cast<unsigned long>(soa.minimum));
        break;
    }
    case TYPE_MB: std::printf("mailbox = %s", domain_of(rec)); break;
    case TYPE_MG: std::printf("mail group member = %s", domain_of(rec)); break;
    case TYPE_MR: std::printf("mail rename = %s", domain_of(rec)); break;
    case TYPE_NULL: {
        const std::vector<std::uint8_t>& raw = form_of<RawData>(rec).raw;
        std::fputs("null = ", stdout);
        end_line();
        print_hex(raw.data(), static_cast<int>(raw.size()));
        break;
    }
    case TYPE_WKS: print_wks(form_of<WksData>(rec)); break;
    case TYPE_PTR: std::printf("domain name pointer = %s", domain_of(rec)); break;
    case TYPE_HINFO:
        std::printf("CPU = %s, OS = %s", form_of<HinfoData>(rec).cpu, form_of<HinfoData>(rec).os);
        break;
    case TYPE_MINFO:
        std::printf("requests = %s, errors = %s", form_of<MinfoData>(rec).requests, form_of<MinfoData>(rec).errors);
        break;
    case TYPE_MX:
        std::printf("perference = %d, exchange = %s", form_of<MxData>(rec).preference, form_of<MxData>(rec).exchange);
        break;
    case TYPE_TXT: std::printf("text = \"%s\"", form_of<TextData>(rec).text); break;
    default: std::fputs("Printing of rdata not implement for current type", stdout); break;
    }
    end_line();
}

}  // namespace

void print_hex(const std::uint8_t* bytes, int count)
{
    for (int i = 0; i < count; ++i)
        std::printf("%02X", bytes[i]);
}

void print_header(const MessageHeader& h)
{
    std::printf("\tID=%d, QR=%d, OPCODE=%s", h.id, h.qr, OpcodeNames[h.opcode & 0xF]);
    end_line();
    std::printf("\tAA=%d, TC=%d, RD=%d, RA=%d, Z=%X, RCODE=%s", h.aa, h.tc, h.rd, h.ra, h.z,
                RcodeNames[h.rcode & 0xF]);
    end_line();
    end_line();
}

void print_question(const Question& q)
{
    std::printf("\tNAME=%s, TYPE=%s, CLASS=%s", q.qname, symbol_to_text(TypeTable, q.qtype),
                symbol_to_text(ClassTable, q.qclass));
    end_line();
}

void print_record(const ResourceRecord& rec)
{
    std::printf("\tNAME=%s", rec.name);
    end_line();
    std::printf("\tTYPE=%s, CLASS=%s, TTL=%lu, RDLENGTH=%d", symbol_to_text(TypeTable, rec.rrtype),
                symbol_to_text(ClassTable, rec.rrclass), static_cast<unsigned long>(rec.ttl), rec.rdlength);
    end_line();
    std::fputc('\t', stdout);
    print_rdata(rec);
}

void print_message(const Message& m)
{
    const MessageHeader& h = m.header;
    std::fputs("Header:", stdout);
    end_line();
    print_header(h);
    if (h.qdcount != 0) {
        std::fputs("Question:", stdout);
        end_line();
        for (int i = 0; i < h.qdcount && i < static_cast<int>(m.questions.size()); ++i)
            print_question(m.questions[static_cast<std::size_t>(i)]);
        end_line();
    }
    print_section("Answer Section:", m.answers, h.ancount);
    print_section("Authority Section:", m.authority, h.nscount);
    print_section("Additional Section:", m.additional, h.arcount);
}
