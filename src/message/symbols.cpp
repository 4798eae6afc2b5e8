#include "message/symbols.h"

#include <cstdio>

const SymbolEntry TypeTable[] = {
    {1, "A"},      {2, "NS"},     {3, "MD"},      {4, "MF"},       {5, "CNAME"},   {6, "SOA"},
    {7, "MB"},     {8, "MG"},     {9, "MR"},      {10, "NULL"},    {11, "WKS"},    {12, "PTR"},
    {13, "HINFO"}, {14, "MINFO"}, {15, "MX"},     {16, "TXT"},     {17, "RP"},     {18, "AFSDB"},
    {19, "X25"},   {20, "ISDN"},  {21, "RT"},     {22, "NSAP"},    {23, "NSAP_PTR"}, {24, "SIG"},
    {25, "KEY"},   {26, "PX"},    {27, "GPOS"},   {28, "AAAA"},    {29, "LOC"},    {30, "NXT"},
    {31, "EID"},   {32, "NIMLOC"}, {33, "SRV"},   {34, "ATMA"},    {251, "IXFR"},  {252, "AXFR"},
    {253, "MAILB"}, {254, "MAILA"}, {255, "ANY"}, {0, nullptr},
};

const SymbolEntry ClassTable[] = {
    {1, "IN"}, {2, "CSNET"}, {3, "CHAOS"}, {4, "HESIOD"}, {255, "ANY"}, {0, "NONE"}, {0, nullptr},
};

const char* const OpcodeNames[16] = {
    "QUERY", "IQUERY", "CQUERYM", "CQUERYU", "NOTIFY", "UPDATE", "6", "7",
    "8", "9", "10", "11", "12", "13", "ZONEINIT", "ZONEREF",
};

const char* const RcodeNames[16] = {
    "NOERROR", "FORMERR", "SERVFAIL", "NXDOMAIN", "NOTIMP", "REFUSED", "YXDOMAIN", "YXRRSET",
    "NXRRSET", "NOTAUTH", "ZONEERR", "11", "12", "13", "14", "NOCHANGE",
};

const char* symbol_to_text(const SymbolEntry* table, int value)
{
    for (const SymbolEntry* row = table; row->mnemonic; ++row)
        if (row->value == value)
            return row->mnemonic;
    // A ring of buffers, so that a type and a class printed on one line keep their own texts.
    static char numbers[4][12];
    static unsigned next;
    char* text = numbers[next++ % 4];
    std::snprintf(text, sizeof numbers[0], "%d", value);
    return text;
}

static char upper_ascii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

int text_to_symbol(const SymbolEntry* table, const char* text)
{
    for (const SymbolEntry* row = table; row->mnemonic; ++row) {
        const char* a = row->mnemonic;
        const char* b = text;
        while (*a && upper_ascii(*a) == upper_ascii(*b))
            ++a, ++b;
        if (!*a && !*b)
            return row->value;
    }
    return 0;
}

int type_from_text(const char* text) { return text_to_symbol(TypeTable, text); }
int class_from_text(const char* text) { return text_to_symbol(ClassTable, text); }
