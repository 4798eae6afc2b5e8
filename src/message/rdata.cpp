#include "message/message.h"

#include "message/symbols.h"

int copy_char_string(Reader& r, char* out)
{
    std::uint8_t n;
    out[0] = '\0';
    Reader at = r;   // moved only when the whole string is there
    if (read_u8(at, &n) < 0 || read_bytes(at, out, n) < 0) {
        out[0] = '\0';
        return -1;
    }
    out[n] = '\0';
    r = at;
    return n + 1;
}

// Items are read in full from where the data starts, whatever rdlength says,
// as long as they lie inside the message; only the WKS bitmap and the raw copy
// take their size from rdlength, whose octets the caller has found inside it.
int decode_rdata(Reader& r, ResourceRecord& record)
{
    RData& d = record.rdata;
    switch (record.rrtype) {
    case TYPE_A:
        return read_bytes(r, d.emplace<AddressData>().address, 4);
    case TYPE_NS: case TYPE_MD: case TYPE_MF: case TYPE_CNAME:
    case TYPE_MB: case TYPE_MG: case TYPE_MR: case TYPE_PTR:
        return read_name(r, d.emplace<DomainData>().domain);
    case TYPE_SOA: {
        SoaData& soa = d.emplace<SoaData>();
        if (read_name(r, soa.origin) < 0 || read_name(r, soa.mail_addr) < 0 || read_u32(r, &soa.serial) < 0 ||
            read_u32(r, &soa.refresh) < 0 || read_u32(r, &soa.retry) < 0 || read_u32(r, &soa.expire) < 0 ||
            read_u32(r, &soa.minimum) < 0)
            return -1;
        return 0;
    }
    case TYPE_WKS: {   // no bitmap when rdlength is 5 or less
        WksData& wks = d.emplace<WksData>();
        if (read_bytes(r, wks.address, 4) < 0 || read_u8(r, &wks.protocol) < 0)
            return -1;
        if (record.rdlength > 5)
            wks.bitmap.assign(r.data + r.pos, r.data + r.pos + (record.rdlength - 5));
        return 0;
    }
    case TYPE_HINFO: {
        HinfoData& hinfo = d.emplace<HinfoData>();
        if (copy_char_string(r, hinfo.cpu) < 0 || copy_char_string(r, hinfo.os) < 0)
            return -1;
        return 0;
    }
    case TYPE_MINFO: {
        MinfoData& minfo = d.emplace<MinfoData>();
        if (read_name(r, minfo.requests) < 0 || read_name(r, minfo.errors) < 0)
            return -1;
        return 0;
    }
    case TYPE_MX: {
        MxData& mx = d.emplace<MxData>();
        if (read_u16(r, &mx.preference) < 0 || read_name(r, mx.exchange) < 0)
            return -1;
        return 0;
    }
    case TYPE_TXT:   // the first character-string only
        return copy_char_string(r, d.emplace<TextData>().text) < 0 ? -1 : 0;
    default:   // NULL and every type without a form of its own
        d.emplace<RawData>().raw.assign(r.data + r.pos, r.data + r.pos + record.rdlength);
        return 0;
    }
}
