#include "message/message.h"

#include "message/reader.h"

namespace {

int read_char_string(Reader& r, char* out)
{
    int used = copy_char_string(r.data, r.end, r.pos, out);
    return used < 0 ? -1 : skip_bytes(r, used);
}

}  // namespace

int copy_char_string(const std::uint8_t* message, int length, int position, char* out)
{
    Reader r{message, length, position};
    std::uint8_t n;
    out[0] = '\0';
    if (read_u8(r, &n) < 0 || read_bytes(r, out, n) < 0) {
        out[0] = '\0';
        return -1;
    }
    out[n] = '\0';
    return n + 1;
}

// Items are read in full from where the data starts, whatever rdlength says,
// as long as they lie inside the message; only the WKS bitmap and the raw copy
// take their size from rdlength.
int decode_rdata(const std::uint8_t* message, int length, int position, ResourceRecord& record)
{
    Reader r{message, length, position};
    RData& d = record.rdata;
    switch (record.rrtype) {
    case 1:   // A
        return read_bytes(r, d.address, 4);
    case 2: case 3: case 4: case 5: case 7: case 8: case 9: case 12:
        return read_name(r, d.domain);
    case 6:   // SOA
        if (read_name(r, d.soa.origin) < 0 || read_name(r, d.soa.mail_addr) < 0)
            return -1;
        if (read_u32(r, &d.soa.serial) < 0 || read_u32(r, &d.soa.refresh) < 0 || read_u32(r, &d.soa.retry) < 0 ||
            read_u32(r, &d.soa.expire) < 0 || read_u32(r, &d.soa.minimum) < 0)
            return -1;
        return 0;
    case 11:   // WKS: shorter than 5 octets leaves the bitmap empty
        if (read_bytes(r, d.wks.address, 4) < 0 || read_u8(r, &d.wks.protocol) < 0)
            return -1;
        if (record.rdlength > 5) {
            if (!can_read(r, record.rdlength - 5))
                return -1;
            d.wks.bitmap.assign(r.data + r.pos, r.data + r.pos + (record.rdlength - 5));
        }
        return 0;
    case 13:   // HINFO
        if (read_char_string(r, d.hinfo.cpu) < 0 || read_char_string(r, d.hinfo.os) < 0)
            return -1;
        return 0;
    case 14:   // MINFO
        if (read_name(r, d.minfo.requests) < 0 || read_name(r, d.minfo.errors) < 0)
            return -1;
        return 0;
    case 15:   // MX
        if (read_u16(r, &d.mx.preference) < 0 || read_name(r, d.mx.exchange) < 0)
            return -1;
        return 0;
    case 16:   // TXT: the first character-string only
        return read_char_string(r, d.text);
    default:   // NULL and every type without its own form
        if (!can_read(r, record.rdlength))
            return -1;
        d.raw.assign(r.data + r.pos, r.data + r.pos + record.rdlength);
        return 0;
    }
}
