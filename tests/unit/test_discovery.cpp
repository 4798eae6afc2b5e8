// Discovery on POSIX: the servers of /etc/resolv.conf, announced and appended;
// "not found" and an empty list when it names none. (Which lines name a server
// is the table of test_config_parser.cpp.) Each case puts its own
// file over /etc/resolv.conf in a mount namespace of the test's own, so only
// inside the private namespace of tests/netns.sh.
#include "capture.h"
#include "servers/config_parser.h"
#include "servers/discovery.h"
#include "servers/server_list.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <fcntl.h>
#include <cstring>
#include <gtest/gtest.h>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <vector>

namespace {

// Puts over /etc/resolv.conf, for as long as it lives, a file holding text,
// or what kind names in its place: "fifo" (a FIFO holding text, whose writer
// stays; none when there is no text) or the path of another file.
struct ResolvConf {
    std::string path;
    int writer = -1;
    bool mounted = false;
    explicit ResolvConf(const std::string& text, const char* kind = nullptr)
    {
        char name[] = "/tmp/kestrel-resolv-test.XXXXXX";
        int fd = mkstemp(name);
        if (fd < 0)
            return;
        path = name;
        bool fifo = kind && std::strcmp(kind, "fifo") == 0;
        if (fifo) {   // the writer opens it for reading too, so that its open does not wait
            close(fd);
            bool made = unlink(name) == 0 && mkfifo(name, 0644) == 0;
            fd = made && !text.empty() ? open(name, O_RDWR) : made ? -2 : -1;
            writer = fd;
        }
        bool written = fd == -2 || (fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()));
        if (!fifo)
            close(fd);
        mounted = written && mount(kind && !fifo ? kind : name, "/etc/resolv.conf", nullptr, MS_BIND, nullptr) == 0;
    }
    ~ResolvConf()
    {
        if (mounted)
            umount("/etc/resolv.conf");
        if (writer >= 0)
            close(writer);
        if (!path.empty())
            unlink(path.c_str());
    }
    ResolvConf(const ResolvConf&) = delete;
    ResolvConf& operator=(const ResolvConf&) = delete;
};

bool private_mounts()
{
    static int ready = -1;
    if (ready < 0) {
        const char* netns = std::getenv("KESTREL_IN_NETNS");
        ready = netns && std::strcmp(netns, "1") == 0 && unshare(CLONE_NEWNS) == 0 &&
                mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }
    return ready == 1;
}

std::vector<std::uint32_t> listed()
{
    return std::vector<std::uint32_t>(server_list.addresses, server_list.addresses + server_list.count);
}

std::uint32_t ip(const char* text) { return inet_addr(text); }

TEST(Discovery, ResolvConfServers)
{
    if (!private_mounts())
        GTEST_SKIP() << "needs the private namespace of tests/netns.sh";
    const std::string NOT_FOUND = "DNS server not found! Add server manually\n";
    const std::size_t LIMIT = 65536;   // the 64 KiB read of a file
    // A file longer than the limit read of it, whose last line the limit cuts
    // after "10.0.0.12" of "10.0.0.123".
    std::string cut = std::string(LIMIT - 41, '#') + "\nnameserver 10.0.0.1\nnameserver 10.0.0.123\n";
    // Files whose last line has no line end: one whose last octet is read
    // alone after a block of 4096, one of exactly the limit, one octet over it.
    auto ending_with = [](std::size_t size, const std::string& last) {
        return std::string(size - last.size() - 1, '#') + "\n" + last;
    };
    std::string past_a_block = ending_with(4097, "nameserver 10.0.0.123");
    std::string at_the_limit = ending_with(LIMIT, "nameserver 10.0.0.7");
    std::string over_the_limit = ending_with(LIMIT + 1, "nameserver 10.0.0.8");
    const struct {
        const char* name;
        std::string file;
        std::string out;
        std::vector<std::uint32_t> list;   // after a list that held 10.9.9.9
        const char* in_place;              // what stands in the file's place, if not the file
        bool no_input = false;             // standard input closed, so the file is descriptor 0
    } cases[] = {
        {"servers in order, appended", "nameserver 127.0.0.1\nnameserver 10.0.0.2\n",
         "DNS server 127.0.0.1, 10.0.0.2 found         \n", {ip("10.9.9.9"), ip("127.0.0.1"), ip("10.0.0.2")}, nullptr},
        {"only IPv6 servers", "nameserver ::1\n", NOT_FOUND, {}, nullptr},
        {"an empty file", "", NOT_FOUND, {}, nullptr},
        {"a line cut by the limit is left out", cut, "DNS server 10.0.0.1 found         \n",
         {ip("10.9.9.9"), ip("10.0.0.1")}, nullptr},
        // Neither is read, nor stalls the start: reading without end, or
        // waiting for more from a writer that stays.
        {"a FIFO", "nameserver 10.0.0.1\n", NOT_FOUND, {}, "fifo"},
        {"a FIFO without a writer", "", NOT_FOUND, {}, "fifo"},
        {"a device", "", NOT_FOUND, {}, "/dev/zero"},
        // The report of a server the list refuses stands after its address,
        // standard error and standard output going to one place as on a console.
        {"a server refused", "nameserver 10.0.0.1\nnameserver 255.255.255.255\nnameserver 10.0.0.3\n",
         "DNS server 10.0.0.1, 255.255.255.255Bad IP address.: #\n, 10.0.0.3 found         \n",
         {ip("10.9.9.9"), ip("10.0.0.1"), ip("10.0.0.3")}, nullptr},
        {"an octet past a block", past_a_block, "DNS server 10.0.0.123 found         \n",
         {ip("10.9.9.9"), ip("10.0.0.123")}, nullptr},
        {"a file of the limit exactly is whole", at_the_limit, "DNS server 10.0.0.7 found         \n",
         {ip("10.9.9.9"), ip("10.0.0.7")}, nullptr},
        {"a file an octet over the limit loses its last line", over_the_limit, NOT_FOUND, {}, nullptr},
        {"standard input closed", "nameserver 10.0.0.1\n", "DNS server 10.0.0.1 found         \n",
         {ip("10.9.9.9"), ip("10.0.0.1")}, nullptr, true},
    };
    for (const auto& c : cases) {
        ResolvConf conf(c.file, c.in_place);
        ASSERT_TRUE(conf.mounted) << c.name;
        clear_servers();
        add_server("10.9.9.9");
        CapturedStream out;
        std::fflush(stderr);
        int saved_err = dup(2), saved_in = dup(0);
        dup2(1, 2);
        if (c.no_input)
            close(0);
        find_system_servers();
        // The file is closed, not left in standard input's place.
        bool file_left_open = c.no_input && fcntl(0, F_GETFD) != -1;
        std::fflush(stderr);
        dup2(saved_err, 2);
        dup2(saved_in, 0);
        close(saved_err);
        close(saved_in);
        // The system's text of the error, whatever it is, as #.
        std::string both = out.text();
        std::size_t report = both.find("Bad IP address.: ");
        if (report != std::string::npos)
            both.replace(report + 17, both.find('\n', report) - report - 17, "#");
        EXPECT_EQ(both, c.out) << c.name;
        EXPECT_EQ(listed(), c.list) << c.name;
        EXPECT_FALSE(file_left_open) << c.name;
    }
}

} // namespace
