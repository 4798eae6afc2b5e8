// The fixed vocabulary of DNS numbers: types, classes, opcodes, response codes.
#pragma once

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
// share one line.
const char* symbol_to_text(const SymbolEntry* table, int value);
// The value whose mnemonic equals text ignoring the case of A-Z, or 0.
int text_to_symbol(const SymbolEntry* table, const char* text);
int type_from_text(const char* text);
int class_from_text(const char* text);
