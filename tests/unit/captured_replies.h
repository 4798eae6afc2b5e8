// Replies captured from NSD 4 on 127.0.0.1 (zone "example" with one name per
// record type and an RRset of 80 addresses, and a reverse zone; "big" came
// over TCP, the rest by UDP), as annotated hexadecimal: the unit tests
// decode and print them, and every prefix of each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// a: 130 octets as NSD sent them
const char* const REPLY_A =
    "4b00"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000200020002"  // QDCOUNT 1, ANCOUNT 2, NSCOUNT 2, ARCOUNT 2
    "04686f7374076578616d706c650000010001"  // question host.example A class 1
    "c00c0001000100000e100004"  // answer host.example A class 1 ttl 3600 rdlength 4
    "c0000201"  //   data
    "c00c0001000100000e100004"  // answer host.example A class 1 ttl 3600 rdlength 4
    "c0000203"  //   data
    "c0110002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c011"  //   data
    "c0110002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c011"  //   data
    "c04a0001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c05c0001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// ns: 93 octets as NSD sent them
const char* const REPLY_NS =
    "4b01"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000200000002"  // QDCOUNT 1, ANCOUNT 2, NSCOUNT 0, ARCOUNT 2
    "076578616d706c650000020001"  // question example NS class 1
    "c00c0002000100000e100006"  // answer example NS class 1 ttl 3600 rdlength 6
    "036e7331c00c"  //   data
    "c00c0002000100000e100006"  // answer example NS class 1 ttl 3600 rdlength 6
    "036e7332c00c"  //   data
    "c0250001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c0370001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// soa: 140 octets as NSD sent them
const char* const REPLY_SOA =
    "4b02"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020002"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 2
    "076578616d706c650000060001"  // question example SOA class 1
    "c00c0006000100000e100027"  // answer example SOA class 1 ttl 3600 rdlength 39
    "036e7331c00c0a686f73746d6173746572c00c8000000100001c20000003840012750000000e10"  //   data
    "c00c0002000100000e100002"  // authority example NS class 1 ttl 3600 rdlength 2
    "c025"  //   data
    "c00c0002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c00c"  //   data
    "c0250001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c0660001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// mx: 146 octets as NSD sent them
const char* const REPLY_MX =
    "4b03"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000200020003"  // QDCOUNT 1, ANCOUNT 2, NSCOUNT 2, ARCOUNT 3
    "076578616d706c6500000f0001"  // question example MX class 1
    "c00c000f000100000e100009"  // answer example MX class 1 ttl 3600 rdlength 9
    "ffff046d61696cc00c"  //   data
    "c00c000f000100000e100004"  // answer example MX class 1 ttl 3600 rdlength 4
    "000ac027"  //   data
    "c00c0002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c00c"  //   data
    "c00c0002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c00c"  //   data
    "c0270001000100000e100004"  // additional mail.example A class 1 ttl 3600 rdlength 4
    "c0000219"  //   data
    "c04a0001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c05c0001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// cname: 148 octets as NSD sent them
const char* const REPLY_CNAME =
    "4b04"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000300020002"  // QDCOUNT 1, ANCOUNT 3, NSCOUNT 2, ARCOUNT 2
    "03777777076578616d706c650000010001"  // question www.example A class 1
    "c00c0005000100000e100007"  // answer www.example CNAME class 1 ttl 3600 rdlength 7
    "04686f7374c010"  //   data
    "c0290001000100000e100004"  // answer host.example A class 1 ttl 3600 rdlength 4
    "c0000201"  //   data
    "c0290001000100000e100004"  // answer host.example A class 1 ttl 3600 rdlength 4
    "c0000203"  //   data
    "c0100002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c010"  //   data
    "c0100002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c010"  //   data
    "c05c0001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c06e0001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// mb: 149 octets as NSD sent them
const char* const REPLY_MB =
    "4b05"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020004"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 4
    "046d626f78076578616d706c650000070001"  // question mbox.example MB class 1
    "c00c0007000100000e100007"  // answer mbox.example MB class 1 ttl 3600 rdlength 7
    "04686f7374c011"  //   data
    "c0110002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c011"  //   data
    "c0110002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c011"  //   data
    "c02a0001000100000e100004"  // additional host.example A class 1 ttl 3600 rdlength 4
    "c0000201"  //   data
    "c02a0001000100000e100004"  // additional host.example A class 1 ttl 3600 rdlength 4
    "c0000203"  //   data
    "c03d0001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c04f0001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// mg: 117 octets as NSD sent them
const char* const REPLY_MG =
    "4b06"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020002"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 2
    "046d677270076578616d706c650000080001"  // question mgrp.example MG class 1
    "c00c0008000100000e100007"  // answer mgrp.example MG class 1 ttl 3600 rdlength 7
    "0475736572c011"  //   data
    "c0110002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c011"  //   data
    "c0110002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c011"  //   data
    "c03d0001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c04f0001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// mr: 118 octets as NSD sent them
const char* const REPLY_MR =
    "4b07"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020002"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 2
    "046d72656e076578616d706c650000090001"  // question mren.example MR class 1
    "c00c0009000100000e100008"  // answer mren.example MR class 1 ttl 3600 rdlength 8
    "056f74686572c011"  //   data
    "c0110002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c011"  //   data
    "c0110002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c011"  //   data
    "c03e0001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c0500001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// md: 122 octets as NSD sent them
const char* const REPLY_MD =
    "4b08"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020002"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 2
    "026d64076578616d706c650000030001"  // question md.example MD class 1
    "c00c0003000100000e10000e"  // answer md.example MD class 1 ttl 3600 rdlength 14
    "04686f7374076578616d706c6500"  //   data
    "c00f0002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c00f"  //   data
    "c00f0002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c00f"  //   data
    "c0420001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c0540001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// mf: 122 octets as NSD sent them
const char* const REPLY_MF =
    "4b09"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020002"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 2
    "026d66076578616d706c650000040001"  // question mf.example MF class 1
    "c00c0004000100000e10000e"  // answer mf.example MF class 1 ttl 3600 rdlength 14
    "04686f7374076578616d706c6500"  //   data
    "c00f0002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c00f"  //   data
    "c00f0002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c00f"  //   data
    "c0420001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c0540001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// minfo: 125 octets as NSD sent them
const char* const REPLY_MINFO =
    "4b0a"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020002"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 2
    "026d69076578616d706c6500000e0001"  // question mi.example MINFO class 1
    "c00c000e000100000e100011"  // answer mi.example MINFO class 1 ttl 3600 rdlength 17
    "056f776e6572c00f066572726f7273c00f"  //   data
    "c00f0002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c00f"  //   data
    "c00f0002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c00f"  //   data
    "c0450001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c0570001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// hinfo: 120 octets as NSD sent them
const char* const REPLY_HINFO =
    "4b0b"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020002"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 2
    "026869076578616d706c6500000d0001"  // question hi.example HINFO class 1
    "c00c000d000100000e10000c"  // answer hi.example HINFO class 1 ttl 3600 rdlength 12
    "065044502d313104554e4958"  //   data
    "c00f0002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c00f"  //   data
    "c00f0002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c00f"  //   data
    "c0400001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c0520001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// hinfo0: 111 octets as NSD sent them
const char* const REPLY_HINFO0 =
    "4b0c"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020002"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 2
    "03686930076578616d706c6500000d0001"  // question hi0.example HINFO class 1
    "c00c000d000100000e100002"  // answer hi0.example HINFO class 1 ttl 3600 rdlength 2
    "0000"  //   data
    "c0100002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c010"  //   data
    "c0100002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c010"  //   data
    "c0370001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c0490001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// txt: 136 octets as NSD sent them
const char* const REPLY_TXT =
    "4b0d"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020002"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 2
    "03747874076578616d706c650000100001"  // question txt.example TXT class 1
    "c00c0010000100000e10001b"  // answer txt.example TXT class 1 ttl 3600 rdlength 27
    "0c666972737420737472696e670d7365636f6e6420737472696e67"  //   data
    "c0100002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c010"  //   data
    "c0100002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c010"  //   data
    "c0500001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c0620001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// txt0: 111 octets as NSD sent them
const char* const REPLY_TXT0 =
    "4b0e"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020002"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 2
    "0474787430076578616d706c650000100001"  // question txt0.example TXT class 1
    "c00c0010000100000e100001"  // answer txt0.example TXT class 1 ttl 3600 rdlength 1
    "00"  //   data
    "c0110002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c011"  //   data
    "c0110002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c011"  //   data
    "c0370001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c0490001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// wks: 125 octets as NSD sent them
const char* const REPLY_WKS =
    "4b0f"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020002"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 2
    "03776b73076578616d706c6500000b0001"  // question wks.example WKS class 1
    "c00c000b000100000e100010"  // answer wks.example WKS class 1 ttl 3600 rdlength 16
    "c0000201060000004000000000000080"  //   data
    "c0100002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c010"  //   data
    "c0100002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c010"  //   data
    "c0450001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c0570001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// wks17: 123 octets as NSD sent them
const char* const REPLY_WKS17 =
    "4b10"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020002"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 2
    "05776b733137076578616d706c6500000b0001"  // question wks17.example WKS class 1
    "c00c000b000100000e10000c"  // answer wks17.example WKS class 1 ttl 3600 rdlength 12
    "c00002011100000000000004"  //   data
    "c0120002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c012"  //   data
    "c0120002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c012"  //   data
    "c0430001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c0550001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// null: 112 octets as NSD sent them
const char* const REPLY_NULL =
    "4b11"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020002"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 2
    "036e756c076578616d706c6500000a0001"  // question nul.example NULL class 1
    "c00c000a000100000e100003"  // answer nul.example NULL class 1 ttl 3600 rdlength 3
    "010203"  //   data
    "c0100002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c010"  //   data
    "c0100002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c010"  //   data
    "c0380001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c04a0001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// null0: 110 octets as NSD sent them
const char* const REPLY_NULL0 =
    "4b12"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020002"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 2
    "046e756c30076578616d706c6500000a0001"  // question nul0.example NULL class 1
    "c00c000a000100000e100000"  // answer nul0.example NULL class 1 ttl 3600 rdlength 0
    "c0110002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c011"  //   data
    "c0110002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c011"  //   data
    "c0360001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c0480001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// aaaa: 124 octets as NSD sent them
const char* const REPLY_AAAA =
    "4b13"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020002"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 2
    "027636076578616d706c6500001c0001"  // question v6.example AAAA class 1
    "c00c001c000100000e100010"  // answer v6.example AAAA class 1 ttl 3600 rdlength 16
    "20010db8000000000000000000000001"  //   data
    "c00f0002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c00f"  //   data
    "c00f0002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c00f"  //   data
    "c0440001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c0560001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// srv: 166 octets as NSD sent them
const char* const REPLY_SRV =
    "4b14"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100020004"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 2, ARCOUNT 4
    "03737276076578616d706c650000210001"  // question srv.example SRV class 1
    "c00c0021000100000e100014"  // answer srv.example SRV class 1 ttl 3600 rdlength 20
    "00000005003504686f7374076578616d706c6500"  //   data
    "c0100002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c010"  //   data
    "c0100002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c010"  //   data
    "04686f7374c0100001000100000e100004"  // additional host.example A class 1 ttl 3600 rdlength 4
    "c0000201"  //   data
    "c0610001000100000e100004"  // additional host.example A class 1 ttl 3600 rdlength 4
    "c0000203"  //   data
    "c0490001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c05b0001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

// ptr: 84 octets as NSD sent them
const char* const REPLY_PTR =
    "4b15"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001000100010000"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 1, ARCOUNT 0
    "0131013201300331393207696e2d61646472046172706100000c0001"  // question 1.2.0.192.in-addr.arpa PTR class 1
    "c00c000c000100000e10000e"  // answer 1.2.0.192.in-addr.arpa PTR class 1 ttl 3600 rdlength 14
    "04686f7374076578616d706c6500"  //   data
    "c00e0002000100000e100006"  // authority 2.0.192.in-addr.arpa NS class 1 ttl 3600 rdlength 6
    "036e7331c039"  //   data
    ;

// any: 76 octets as NSD sent them
const char* const REPLY_ANY =
    "4b16"  // ID
    "8100"  // flags: QR RD, RCODE 0
    "0001000100000000"  // QDCOUNT 1, ANCOUNT 1, NSCOUNT 0, ARCOUNT 0
    "076578616d706c650000ff00ff"  // question example ANY class 255
    "c00c0006000100000e100027"  // answer example SOA class 1 ttl 3600 rdlength 39
    "036e7331c00c0a686f73746d6173746572c00c8000000100001c20000003840012750000000e10"  //   data
    ;

// nxdomain: 84 octets as NSD sent them
const char* const REPLY_NXDOMAIN =
    "4b17"  // ID
    "8503"  // flags: QR AA RD, RCODE 3
    "0001000000010000"  // QDCOUNT 1, ANCOUNT 0, NSCOUNT 1, ARCOUNT 0
    "076e6f7468657265076578616d706c650000010001"  // question nothere.example A class 1
    "c0140006000100000e100027"  // authority example SOA class 1 ttl 3600 rdlength 39
    "036e7331c0140a686f73746d6173746572c0148000000100001c20000003840012750000000e10"  //   data
    ;

// bigudp: 29 octets as NSD sent them
const char* const REPLY_BIGUDP =
    "4c01"  // ID
    "8700"  // flags: QR AA TC RD, RCODE 0
    "0001000000000000"  // QDCOUNT 1, ANCOUNT 0, NSCOUNT 0, ARCOUNT 0
    "03626967076578616d706c650000010001"  // question big.example A class 1
    ;

// big: 1377 octets as NSD sent them
const char* const REPLY_BIG =
    "4c00"  // ID
    "8500"  // flags: QR AA RD, RCODE 0
    "0001005000020002"  // QDCOUNT 1, ANCOUNT 80, NSCOUNT 2, ARCOUNT 2
    "03626967076578616d706c650000010001"  // question big.example A class 1
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000001"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000002"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000003"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000004"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000005"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000006"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000007"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000008"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000009"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00000a"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00000b"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00000c"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00000d"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00000e"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00000f"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000010"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000011"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000012"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000013"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000014"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000015"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000016"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000017"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000018"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000019"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00001a"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00001b"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00001c"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00001d"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00001e"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00001f"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000020"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000021"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000022"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000023"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000024"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000025"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000026"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000027"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000028"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000029"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00002a"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00002b"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00002c"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00002d"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00002e"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00002f"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000030"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000031"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000032"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000033"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000034"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000035"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000036"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000037"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000038"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000039"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00003a"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00003b"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00003c"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00003d"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00003e"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00003f"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000040"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000041"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000042"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000043"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000044"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000045"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000046"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000047"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000048"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000049"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00004a"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00004b"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00004c"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00004d"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00004e"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a00004f"  //   data
    "c00c0001000100000e100004"  // answer big.example A class 1 ttl 3600 rdlength 4
    "0a000050"  //   data
    "c0100002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7331c010"  //   data
    "c0100002000100000e100006"  // authority example NS class 1 ttl 3600 rdlength 6
    "036e7332c010"  //   data
    "c5290001000100000e100004"  // additional ns1.example A class 1 ttl 3600 rdlength 4
    "7f000001"  //   data
    "c53b0001000100000e100004"  // additional ns2.example A class 1 ttl 3600 rdlength 4
    "c0000202"  //   data
    ;

struct CapturedReply {
    const char* label;
    const char* hex;
};

const CapturedReply CAPTURED_REPLIES[] = {
    {"a", REPLY_A},
    {"ns", REPLY_NS},
    {"soa", REPLY_SOA},
    {"mx", REPLY_MX},
    {"cname", REPLY_CNAME},
    {"mb", REPLY_MB},
    {"mg", REPLY_MG},
    {"mr", REPLY_MR},
    {"md", REPLY_MD},
    {"mf", REPLY_MF},
    {"minfo", REPLY_MINFO},
    {"hinfo", REPLY_HINFO},
    {"hinfo0", REPLY_HINFO0},
    {"txt", REPLY_TXT},
    {"txt0", REPLY_TXT0},
    {"wks", REPLY_WKS},
    {"wks17", REPLY_WKS17},
    {"null", REPLY_NULL},
    {"null0", REPLY_NULL0},
    {"aaaa", REPLY_AAAA},
    {"srv", REPLY_SRV},
    {"ptr", REPLY_PTR},
    {"any", REPLY_ANY},
    {"nxdomain", REPLY_NXDOMAIN},
    {"bigudp", REPLY_BIGUDP},
    {"big", REPLY_BIG},
};

// The octets of a hexadecimal text; blanks are ignored.
inline std::vector<std::uint8_t> octets_from_hex(const std::string& hex)
{
    std::vector<std::uint8_t> out;
    int high = -1;
    for (char c : hex) {
        int v = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
              : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (v < 0)
            continue;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<std::uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    return out;
}
