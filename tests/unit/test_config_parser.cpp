// The IP configuration tool's output: the line parser on fixture texts, and the
// reader that feeds it 99-character pieces and adds what it finds. The resolver
// configuration file: which of its lines name a server.
#include "capture.h"
#include "platform/platform.h"
#include "servers/config_parser.h"
#include "servers/discovery.h"
#include "servers/server_list.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Every value the parser takes out of the lines, in order.
std::vector<std::string> parse_all(const std::vector<const char*>& lines)
{
    std::vector<std::string> found;
    bool continuation = false;
    for (const char* line : lines) {
        std::string value = parse_config_line(line, continuation);
        if (!value.empty())
            found.push_back(value);
    }
    return found;
}

using Texts = std::vector<std::string>;

TEST(ConfigParser, FixtureTexts)
{
    const struct {
        const char* name;
        std::vector<const char*> lines;
        Texts found;
    } cases[] = {
        {"labelled line and a continuation line",
         {"        Default Gateway . . . . . . . . . : 10.0.0.254\n",
          "        DNS Servers . . . . . . . . . . . : 10.0.0.1\n",
          "                                            10.0.0.2\n",
          "        NetBIOS over Tcpip. . . . . . . . : Enabled\n"},
         {"10.0.0.1", "10.0.0.2"}},
        {"a bare address after the next labelled line is ignored",
         {"        DNS Servers . . . . . . . . . . . : 10.0.0.1\n",
          "                                            10.0.0.2\n",
          "        Primary WINS Server . . . . . . . : 10.0.0.9\n",
          "                                            10.0.0.3\n"},
         {"10.0.0.1", "10.0.0.2"}},
        {"a value right after the colon", {"DNS Servers:10.0.0.1\n"}, {"10.0.0.1"}},
        {"an empty value starts no continuation",
         {"        DNS Servers . . . . . . . . . . . : \n",
          "                                            10.0.0.2\n"},
         {}},
        {"an empty value ends a running continuation",
         {"        DNS Servers . . . . . . . . . . . : 10.0.0.1\n",
          "        DNS Servers . . . . . . . . . . . :\t\n",
          "                                            10.0.0.2\n"},
         {"10.0.0.1"}},
        {"blank lines keep the continuation",
         {"        DNS Servers . . . . . . . . . . . : 10.0.0.1\n", "\n", " \t \n",
          "                                            10.0.0.2\n"},
         {"10.0.0.1", "10.0.0.2"}},
        {"an IPv6 continuation line ends it",
         {"        DNS Servers . . . . . . . . . . . : 10.0.0.1\n",
          "                                            fec0:0:0:ffff::1%1\n",
          "                                            10.0.0.2\n"},
         {"10.0.0.1"}},
        {"other spellings of the label are not recognised",
         {"        DNS servers . . . . . . . . . . . : 10.0.0.1\n",
          "        DNS-Server. . . . . . . . . . . . : 10.0.0.2\n",
          "        dns servers : 10.0.0.3\n", "        DNSServers : 10.0.0.4\n",
          "                                            10.0.0.5\n"},
         {}},
        {"only the first word of a value, up to a blank or a tab",
         {"DNS Servers : 10.0.0.1 10.0.0.9\n", "\t10.0.0.2\t10.0.0.8\n"},
         {"10.0.0.1", "10.0.0.2"}},
        {"tabs around the value",
         {"DNS Servers\t:\t\t10.0.0.1\t\n"},
         {"10.0.0.1"}},
        {"the first colon after the label, wherever the label stands",
         {"1: Primary DNS Servers (IPv4): 10.0.0.1\n"},
         {"10.0.0.1"}},
        {"a colon only before the label: nothing, and continuation ends",
         {"DNS Servers : 10.0.0.1\n", "Note: DNS Servers follow\n", "   10.0.0.2\n"},
         {"10.0.0.1"}},
        {"a continuation line without a line end (the file's last)",
         {"DNS Servers : 10.0.0.1\n", "   10.0.0.2"},
         {"10.0.0.1", "10.0.0.2"}},
        {"host names are taken as they stand",
         {"DNS Servers : ns1.example\n", "   ns2.example\n"},
         {"ns1.example", "ns2.example"}},
        {"a bare line before any label is ignored",
         {"10.0.0.7\n", "DNS Servers : 10.0.0.1\n"},
         {"10.0.0.1"}},
        {"a second adapter's entry starts its own continuation",
         {"DNS Servers : 10.0.0.1\n", "Description : Second\n", "DNS Servers : 10.0.1.1\n",
          "   10.0.1.2\n"},
         {"10.0.0.1", "10.0.1.1", "10.0.1.2"}},
        {"a line end inside the value's skip run",
         {"DNS Servers :\n"},
         {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse_all(c.lines), c.found) << c.name;
}

TEST(ConfigParser, ContinuationCarriesAcrossCalls)
{
    bool continuation = false;
    EXPECT_EQ(parse_config_line("   10.0.0.1\n", continuation), "");
    EXPECT_FALSE(continuation);
    EXPECT_EQ(parse_config_line("DNS Servers : 10.0.0.1\n", continuation), "10.0.0.1");
    EXPECT_TRUE(continuation);
    // The flag is set whatever becomes of the value later.
    EXPECT_EQ(parse_config_line("\n", continuation), "");
    EXPECT_TRUE(continuation);
    EXPECT_EQ(parse_config_line("Other : x\n", continuation), "");
    EXPECT_FALSE(continuation);
}

struct ReadResult {
    int printed;
    std::string out, err;
    std::vector<std::uint32_t> list;
};

// Reads text as the tool's output file, with the list emptied first.
ReadResult read_text(const std::string& text)
{
    clear_servers();
    CapturedStream out, err(stderr);
    int printed = add_config_servers(text);
    std::string o = out.text();
    return {printed, o, err.text(),
            std::vector<std::uint32_t>(server_list.addresses, server_list.addresses + server_list.count)};
}

std::uint32_t ip(const char* text) { return inet_addr(text); }

TEST(ConfigReader, PrintsEachAddedServer)
{
    ReadResult r = read_text("   DNS Servers . . . : 10.0.0.1\n"
                             "                       10.0.0.2\n"
                             "   NetBIOS . . . . . : Enabled\n");
    EXPECT_EQ(r.printed, 2);
    EXPECT_EQ(r.out, "10.0.0.1, 10.0.0.2");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.list, (std::vector<std::uint32_t>{ip("10.0.0.1"), ip("10.0.0.2")}));
}

TEST(ConfigReader, RefusedFirstAddressLeavesTheFirstPrintToTheNext)
{
    ReadResult r = read_text("   DNS Servers . . . : 255.255.255.255\n"
                             "                       10.0.0.2\n"
                             "                       10.0.0.3\n");
    EXPECT_EQ(r.printed, 2);
    EXPECT_EQ(r.out, "10.0.0.2, 10.0.0.3");
    EXPECT_EQ(r.err.rfind("Bad IP address.: ", 0), 0u) << r.err;
    EXPECT_EQ(r.list, (std::vector<std::uint32_t>{ip("10.0.0.2"), ip("10.0.0.3")}));
}

TEST(ConfigReader, FailureReportStandsAfterThePrintedServers)
{
    // Standard output and standard error into one file, as on a console.
    clear_servers();
    const std::string text = "DNS Servers : 10.0.0.1\n  255.255.255.255\n  10.0.0.3\n";
    std::fflush(stdout);
    std::fflush(stderr);
    std::FILE* merged = std::tmpfile();
    int saved_out = dup(1), saved_err = dup(2);
    dup2(fileno(merged), 1);
    dup2(fileno(merged), 2);
    add_config_servers(text);
    std::fflush(stdout);
    dup2(saved_out, 1);
    dup2(saved_err, 2);
    close(saved_out);
    close(saved_err);
    std::rewind(merged);
    char buffer[512];
    std::string both(buffer, std::fread(buffer, 1, sizeof buffer, merged));
    std::fclose(merged);
    EXPECT_EQ(both.rfind("10.0.0.1Bad IP address.: ", 0), 0u) << both;
    EXPECT_EQ(both.substr(both.size() - 11), "\n, 10.0.0.3") << both;
}

TEST(ConfigReader, EmptyFileFindsNothing)
{
    ReadResult r = read_text("");
    EXPECT_EQ(r.printed, 0);
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_TRUE(r.list.empty());
}

TEST(ConfigReader, HostNameAddsAllItsAddresses)
{
    // localhost comes from /etc/hosts, without any DNS traffic.
    std::vector<std::uint32_t> addresses;
    if (resolve_host("localhost", addresses) != 0 || addresses.empty())
        GTEST_SKIP() << "this system does not resolve localhost";
    ReadResult r = read_text("   DNS Servers . . . : localhost\n");
    EXPECT_EQ(r.printed, 1);
    EXPECT_EQ(r.out, "localhost");
    EXPECT_EQ(r.list, addresses);
}

TEST(ConfigReader, LongLinesArriveInPiecesOf99)
{
    // The labelled line is padded to 99 characters, so its rest arrives as a
    // piece of its own: without ':' it reads as a continuation line.
    std::string labelled = "   DNS Servers . . . : 10.0.0.1";
    labelled += std::string(99 - labelled.size(), ' ');
    ReadResult split = read_text(labelled + " 10.0.0.2\n");
    EXPECT_EQ(split.out, "10.0.0.1, 10.0.0.2");
    // The cut after the 99th character falls inside an address: two words.
    ReadResult cut = read_text("DNS Servers : 10.0.0.1\n" + std::string(98, ' ') + "10.0.0.2\n");
    EXPECT_EQ(cut.out, "10.0.0.1, 1, 0.0.0.2");

    // A label whose ':' lies beyond the first 99 characters is never matched.
    std::string dotted = "   DNS Servers";
    while (dotted.size() < 100)
        dotted += " .";
    ReadResult lost = read_text(dotted + " : 10.0.0.1\n   10.0.0.2\n");
    EXPECT_EQ(lost.printed, 0);
    EXPECT_EQ(lost.out, "");
}

TEST(ResolvConf, ServersOfAFile)
{
    const struct {
        const char* name;
        std::string file;
        Texts servers;
    } cases[] = {
        {"servers in order", "nameserver 127.0.0.1\nnameserver 10.0.0.29\n", {"127.0.0.1", "10.0.0.29"}},
        {"a local stub resolver", "nameserver 127.0.0.53\noptions edns0 trust-ad\nsearch .\n", {"127.0.0.53"}},
        {"IPv6 and malformed servers skipped",
         "nameserver ::1\nnameserver fe80::1%eth0\nnameserver 10.0.0.1.5\nnameserver 10.0.0.256\n"
         "nameserver\t10.0.0.3 # office\n",
         {"10.0.0.3"}},
        // a letter before or after the digits, three parts, an empty part, a
        // leading zero, a part that wraps past 2^32, the keyword in capitals
        {"near misses of an address",
         "nameserver a1.2.3.4\nnameserver 10.0.0.1a\nnameserver 10.0.3\nnameserver 10..0.1\n"
         "nameserver 10.01.0.1\nnameserver 4294967296.0.0.1\nNAMESERVER 10.0.0.9\n",
         {}},
        {"comments and other keywords",
         "# nameserver 10.0.0.1\n; nameserver 10.0.0.2\nnameservers 10.0.0.4\nname 10.0.0.5\n", {}},
        {"the tail of a long line is no line of its own",
         "search " + std::string(504, 'a') + " nameserver 127.0.0.8\nnameserver 10.0.0.5", {"10.0.0.5"}},
        {"a long line is read whole", "nameserver" + std::string(492, ' ') + "10.0.0.123\n", {"10.0.0.123"}},
        {"an empty file", "", {}},
    };
    for (const auto& c : cases) {
        Texts found;
        read_resolv_conf(c.file, found);
        EXPECT_EQ(found, c.servers) << c.name;
    }
}

} // namespace
