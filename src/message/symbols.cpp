#include "message/symbols.h"

#include <cstdio>

const SymbolEntry TypeTable[] = {
    {TYPE_A, "A"},         {TYPE_NS, "NS"},       {TYPE_MD, "MD"},       {TYPE_MF, "MF"},
    {TYPE_CNAME, "CNAME"}, {TYPE_SOA, "SOA"},     {TYPE_MB, "MB"},       {TYPE_MG, "MG"},
    {TYPE_MR, "MR"},       {TYPE_NULL, "NULL"},   {TYPE_WKS, "WKS"},     {TYPE_PTR, "PTR"},
    {TYPE_HINFO, "HINFO"}, {TYPE_MINFO, "MINFO"}, {TYPE_MX, "MX"},       {TYPE_TXT, "TXT"},
    {17, "RP"},            {18, "AFSDB"},         {19, "X25"},           {20, "ISDN"},
    {21, "RT"},            {22, "NSAP"},          {23, "NSAP_PTR"},      {24, "SIG"},
    {25, "KEY"},           {26, "PX"},            {27, "GPOS"},          {28, "AAAA"},
    {29, "LOC"},           {30, "NXT"},           {31, "EID"},           {32, "NIMLOC"},
    {33, "SRV"},           {34, "ATMA"},          {251, "IXFR"},         {252, "AXFR"},
    {253, "MAILB"},        {254, "MAILA"},        {TYPE_ANY, "ANY"},     {0, nullptr},
};

const SymbolEntry ClassTable[] = {
    {CLASS_IN, "IN"},   {CLASS_CSNET, "CSNET"}, {CLASS_CHAOS, "CHAOS"}, {CLASS_HESIOD, "HESIOD"},
    {CLASS_ANY, "ANY"}, {CLASS_NONE, "NONE"},   {0, nullptr},
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
    // TypeTable holds the types 1 to 34 in order in its first rows.
    if (value >= 1 && value <= 34 && table == TypeTable)
        return TypeTable[value - 1].mnemonic;
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
