#include "message/message.h"

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

void print_rdata(const ResourceRecord& rec)
{
    const RData& d = rec.rdata;
    switch (rec.rrtype) {
    case 1:  std::printf("internet address = %s", address_text(d.address)); break;
    case 2:  std::printf("nameserver = %s", d.domain); break;
    case 3:  std::printf("mail destination = %s", d.domain); break;
    case 4:  std::printf("mail forwarder = %s", d.domain); break;
    case 5:  std::printf("canonical name = %s", d.domain); break;
    case 6:
        std::printf("origin = %s", d.soa.origin);
        std::printf(", mail addr = %s", d.soa.mail_addr);
        end_line();
        std::printf("\tserial = %lu", static_cast<unsigned long>(d.soa.serial));
        std::printf(", refresh = %lu", static_cast<unsigned long>(d.soa.refresh));
        std::printf(", retry = %lu", static_cast<unsigned long>(d.soa.retry));
        std::printf(", expire = %lu", static_cast<unsigned long>(d.soa.expire));
        std::printf(", ttl = %lu", static_cast<unsigned long>(d.soa.minimum));
        break;
    case 7:  std::printf("mailbox = %s", d.domain); break;
    case 8:  std::printf("mail group member = %s", d.domain); break;
    case 9:  std::printf("mail rename = %s", d.domain); break;
    case 10:
        std::fputs("null = ", stdout);
        end_line();
        print_hex(d.raw.data(), static_cast<int>(d.raw.size()));
        break;
    case 11: {
        std::printf("inet address = %s, protocol = ", address_text(d.wks.address));
        const char* name = protocol_name(d.wks.protocol);
        if (name != nullptr)
            std::printf("%s", name);
        else
            std::printf("%d", d.wks.protocol);
        end_line();
        std::fputs("\tbitmap = ", stdout);
        // The bitmap holds rdlength - 5 octets; none when rdlength is below 5.
        print_hex(d.wks.bitmap.data(), static_cast<int>(d.wks.bitmap.size()));
        break;
    }
    case 12: std::printf("domain name pointer = %s", d.domain); break;
    case 13: std::printf("CPU = %s, OS = %s", d.hinfo.cpu, d.hinfo.os); break;
    case 14: std::printf("requests = %s, errors = %s", d.minfo.requests, d.minfo.errors); break;
    case 15: std::printf("perference = %d, exchange = %s", d.mx.preference, d.mx.exchange); break;
    case 16: std::printf("text = \"%s\"", d.text); break;
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
