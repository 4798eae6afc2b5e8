// The fixed vocabulary of DNS numbers: types, classes, opcodes, response codes.
#pragma once

// The record types that have a form of their own, and the query type ANY.
constexpr int TYPE_A = 1, TYPE_NS = 2, TYPE_MD = 3, TYPE_MF = 4, TYPE_CNAME = 5, TYPE_SOA = 6, TYPE_MB = 7,
              TYPE_MG = 8, TYPE_MR = 9, TYPE_NULL = 10, TYPE_WKS = 11, TYPE_PTR = 12, TYPE_HINFO = 13,
              TYPE_MINFO = 14, TYPE_MX = 15, TYPE_TXT = 16, TYPE_ANY = 255;
constexpr int CLASS_NONE = 0, CLASS_IN = 1, CLASS_CSNET = 2, CLASS_CHAOS = 3, CLASS_HESIOD = 4, CLASS_ANY = 255;

struct SymbolEntry {
    int value;
    const char* mnemonic;   // nullptr in the end row
};

extern const SymbolEntry TypeTable[];
extern const SymbolEntry ClassTable[];
extern const char* const OpcodeNames[16];
extern const char* const RcodeNames[16];

// Text for printing: the mnemonic of value, or value in decimal. A decimal text
// stays valid until the same slot comes round again, so several results can
// share one line. (Mnemonics typed by the user are read by the shell.)
const char* symbol_to_text(const SymbolEntry* table, int value);
