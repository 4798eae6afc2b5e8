// The `set` option parser: which option a text selects, and its refusals.
#include "capture.h"
#include "resolver/settings.h"
#include "shell/shell.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

const ResolverSettings DEFAULTS = resolver_settings;

struct Outcome {
    std::string printed;
    int type, qclass;
    ResolverSettings settings;
};

Outcome apply(const char* line)
{
    resolver_settings = DEFAULTS;
    current_type = 1;
    current_class = 255;
    CapturedStream out;
    apply_set_option(line);
    Outcome o{out.text(), current_type, current_class, resolver_settings};
    resolver_settings = DEFAULTS;
    current_type = 1;
    current_class = 255;
    return o;
}

struct TypeCase {
    const char* line;
    const char* printed;
    int type;
    int qclass;
};

TEST(SetOption, TypeAndClass)
{
    const TypeCase cases[] = {
        {"set type=mx", "", 15, 255},
        {"set TYPE=MX", "", 15, 255},
        {"set querytype=MX", "", 15, 255},
        {"set q=MX", "", 15, 255},
        {"set ty=nsap_ptr", "", 23, 255},
        {"set type = soa", "", 6, 255},
        {"set type   =   ptr  extra", "", 12, 255},
        {"set Querytype=MX", "Invalid option\n", 1, 255},   // only a lower-case q
        {"set type=XYZ", "Invalid type\n", 1, 255},
        {"set type", "Invalid type\n", 1, 255},
        {"set type=", "Invalid type\n", 1, 255},
        {"set type= ", "Invalid type\n", 1, 255},
        {"set class=chaos", "", 1, 3},
        {"set class=IN", "", 1, 1},
        {"set class=any", "", 1, 255},
        {"set class=NONE", "Invalid class\n", 1, 255},
        {"set class", "Invalid class\n", 1, 255},
        {"set CL=hesiod", "", 1, 4},
        // the first "=" anywhere after the option counts
        {"set type mx=ns", "", 2, 255},
    };
    for (const TypeCase& c : cases) {
        Outcome o = apply(c.line);
        EXPECT_EQ(o.printed, c.printed) << c.line;
        EXPECT_EQ(o.type, c.type) << c.line;
        EXPECT_EQ(o.qclass, c.qclass) << c.line;
    }
}

struct IntCase {
    const char* line;
    const char* printed;
    int retry, timeout, port;
};

TEST(SetOption, IntegerValues)
{
    const IntCase cases[] = {
        {"set retry=5", "", 5, 1, 53},
        {"set retry=-1", "", -1, 1, 53},
        {"set retry = +7", "", 7, 1, 53},
        {"set RET=0", "", 0, 1, 53},
        {"set timeout=0", "", 3, 0, 53},
        {"set timeout=-20", "", 3, -20, 53},
        {"set TIM=2147483647", "", 3, 2147483647, 53},
        {"set timeout=2147483648", "Invalid value\n", 3, 1, 53},
        {"set timeout=-2147483648", "", 3, INT_MIN, 53},
        {"set retry=-2147483649", "Invalid value\n", 3, 1, 53},
        {"set retry=010", "", 10, 1, 53},   // decimal, whatever its leading zero
        {"set retry=99999999999999999999", "Invalid value\n", 3, 1, 53},
        {"set retry=x", "Invalid value\n", 3, 1, 53},
        {"set retry", "Invalid value\n", 3, 1, 53},
        {"set retry=", "Invalid value\n", 3, 1, 53},
        {"set retry=-", "Invalid value\n", 3, 1, 53},
        {"set retry=5x", "", 5, 1, 53},
        {"set port=1023", "", 3, 1, 1023},
        {"set Port=53", "", 3, 1, 53},
        {"set port=1", "", 3, 1, 1},
        {"set port=1024", "Invalid value\n", 3, 1, 53},
        {"set port=0", "Invalid value\n", 3, 1, 53},
        {"set port=-1", "Invalid value\n", 3, 1, 53},
        {"set port=-65483", "Invalid value\n", 3, 1, 53},
        {"set port=65589", "Invalid value\n", 3, 1, 53},
        {"set port", "Invalid value\n", 3, 1, 53},
        // one option per line
        {"set retry=5 timeout=2", "", 5, 1, 53},
    };
    for (const IntCase& c : cases) {
        Outcome o = apply(c.line);
        EXPECT_EQ(o.printed, c.printed) << c.line;
        EXPECT_EQ(o.settings.retry_count, c.retry) << c.line;
        EXPECT_EQ(o.settings.timeout_secs, c.timeout) << c.line;
        EXPECT_EQ(o.settings.port, c.port) << c.line;
    }
}

struct FlagCase {
    const char* line;
    const char* printed;
    std::uint32_t flags;
    std::uint8_t rd_octet;
};

TEST(SetOption, Flags)
{
    const FlagCase cases[] = {
        {"set debug", "", OPT_DEBUG, 1},
        {"set deb", "", OPT_DEBUG, 1},
        {"set debug=off", "", OPT_DEBUG, 1},
        {"set DEBUG", "", OPT_DEBUG, 1},
        {"   set    debug", "", OPT_DEBUG, 1},
        {"set\tdebug", "", OPT_DEBUG, 1},
        {"set debug vc", "", OPT_DEBUG, 1},
        {"set NoDebug", "", 0, 1},
        {"set vc", "", OPT_USE_VC, 1},
        {"set Verbose", "", OPT_USE_VC, 1},
        {"set NOVC", "", 0, 1},
        {"set norecurse", "", 0, 0},
        {"set NOREC", "", 0, 0},
        {"set recurse", "", 0, 1},
        {"set REC", "", 0, 1},
        {"set d", "Invalid option\n", 0, 1},
        {"set nod", "Invalid option\n", 0, 1},
        {"set", "Invalid option\n", 0, 1},
        {"set ", "Invalid option\n", 0, 1},
        {"   set", "Invalid option\n", 0, 1},
        {"set xyz", "Invalid option\n", 0, 1},
        // the skip of four characters takes whatever follows "set"
        {"setdebug", "Invalid option\n", 0, 1},
        {"set\r", "Invalid option\n", 0, 1},
    };
    for (const FlagCase& c : cases) {
        Outcome o = apply(c.line);
        EXPECT_EQ(o.printed, c.printed) << c.line;
        EXPECT_EQ(o.settings.OptionFlags, c.flags) << c.line;
        EXPECT_EQ(o.settings.HeaderTemplate[2], c.rd_octet) << c.line;
    }
}

TEST(SetOption, NoreccurseLeavesTheRestOfTheTemplate)
{
    Outcome o = apply("set norecurse");
    for (int i = 0; i < HEADER_SIZE; ++i)
        EXPECT_EQ(o.settings.HeaderTemplate[i], 0) << i;
}

} // namespace
