#include "shell/text.h"

#include "message/symbols.h"

const char* skip_blanks(const char* p)
{
    while (is_blank(*p))
        ++p;
    return p;
}

const char* scan_word(const char* p, char* out)
{
    p = skip_blanks(p);
    int n = 0;
    while (!ends_word(*p) && n < LINE_SIZE - 1)
        out[n++] = *p++;
    out[n] = '\0';
    return p;
}

int text_to_symbol(const SymbolEntry* table, const char* text)
{
    for (const SymbolEntry* row = table; row->mnemonic; ++row)
        if (same_text(row->mnemonic, text))
            return row->value;
    return 0;
}

int type_from_text(const char* text) { return text_to_symbol(TypeTable, text); }
int class_from_text(const char* text) { return text_to_symbol(ClassTable, text); }
