// The symbol tables in both directions: numbers printed as mnemonics, and
// mnemonics typed by the user read as numbers.
#include "message/symbols.h"
#include "shell/text.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(Symbols, TextToValue)
{
    const struct {
        const SymbolEntry* table;
        const char* text;
        int value;
    } cases[] = {
        {TypeTable, "mx", 15},       {TypeTable, "Mx", 15},        {TypeTable, "MX", 15},
        {TypeTable, "nsap_ptr", 23}, {TypeTable, "any", 255},      {ClassTable, "any", 255},
        {TypeTable, "atma", 34},     {TypeTable, "IXFR", 251},     {TypeTable, "A", 1},
        {TypeTable, "M", 0},         {TypeTable, "MXX", 0},        {TypeTable, "", 0},
        {TypeTable, " MX", 0},       {TypeTable, "MX ", 0},        {ClassTable, "NONE", 0},
        {ClassTable, "chaos", 3},    {ClassTable, "CSNET", 2},     {ClassTable, "in", 1},
        {ClassTable, "IN\xC0", 0},   {TypeTable, "\xC1" "A", 0},
        {TypeTable, "nsap?ptr", 0},   // only letters are folded: '?' is no '_'
    };
    for (const auto& c : cases)
        EXPECT_EQ(text_to_symbol(c.table, c.text), c.value) << c.text;
    EXPECT_EQ(type_from_text("srv"), 33);
    EXPECT_EQ(class_from_text("hesiod"), 4);
}

TEST(Symbols, ValueToText)
{
    const struct {
        const SymbolEntry* table;
        int value;
        const char* text;
    } cases[] = {
        {TypeTable, 28, "AAAA"},  {TypeTable, 1, "A"},     {TypeTable, 255, "ANY"},
        {TypeTable, 35, "35"},    {TypeTable, 250, "250"}, {TypeTable, 0, "0"},
        {TypeTable, 65535, "65535"}, {ClassTable, 3, "CHAOS"}, {ClassTable, 0, "NONE"},
        {ClassTable, 254, "254"}, {ClassTable, -1, "-1"},
        {TypeTable, 252, "AXFR"}, {TypeTable, 253, "MAILB"}, {TypeTable, 254, "MAILA"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(symbol_to_text(c.table, c.value), c.text) << c.value;
}

TEST(Symbols, EveryRowReadsBothWays)
{
    // Each mnemonic is printed for its number and read as it; printing takes
    // the types 1 to 34 by their place in the table, so a row out of place or
    // a number mistyped shows here.
    for (const SymbolEntry* table : {TypeTable, ClassTable}) {
        for (const SymbolEntry* row = table; row->mnemonic; ++row) {
            EXPECT_STREQ(symbol_to_text(table, row->value), row->mnemonic);
            EXPECT_EQ(text_to_symbol(table, row->mnemonic), row->value) << row->mnemonic;
        }
    }
    EXPECT_STREQ(TypeTable[33].mnemonic, "ATMA");
}

TEST(Symbols, TwoNumbersOnOneLineKeepTheirOwnText)
{
    const char* type = symbol_to_text(TypeTable, 99);
    const char* qclass = symbol_to_text(ClassTable, 7);
    EXPECT_STREQ(type, "99");
    EXPECT_STREQ(qclass, "7");
}

TEST(Symbols, OpcodeAndRcodeNames)
{
    EXPECT_STREQ(OpcodeNames[6], "6");
    EXPECT_STREQ(OpcodeNames[15], "ZONEREF");
    EXPECT_STREQ(RcodeNames[14], "14");
    EXPECT_STREQ(RcodeNames[15], "NOCHANGE");
}

} // namespace
