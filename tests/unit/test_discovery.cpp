// Discovery on POSIX: the servers of /etc/resolv.conf, announced and appended;
// "not found" and an empty list when it names none. (Which lines name a server
// is the table of test_config_parser.cpp.) Each case puts its own
// file over /etc/resolv.conf in a mount namespace of the test's own, so only
// inside the private namespace of tests/netns.sh.
#include "capture.h"
#include "servers/discovery.h"
#include "servers/server_list.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <vector>

namespace {

// Puts a file holding text over /etc/resolv.conf for as long as it lives.
struct ResolvConf {
    std::string path;
    bool mounted = false;
    explicit ResolvConf(const std::string& text)
    {
        char name[] = "/tmp/kestrel-resolv-test.XXXXXX";
        int fd = mkstemp(name);
        if (fd < 0)
            return;
        path = name;
        bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        close(fd);
        mounted = written && mount(path.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) == 0;
    }
    ~ResolvConf()
    {
        if (mounted)
            umount("/etc/resolv.conf");
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
    const struct {
        const char* name;
        const char* file;
        std::string out;
        std::vector<std::uint32_t> list;   // after a list that held 10.9.9.9
    } cases[] = {
        {"servers in order, appended", "nameserver 127.0.0.1\nnameserver 10.0.0.2\n",
         "DNS server 127.0.0.1, 10.0.0.2 found         \n", {ip("10.9.9.9"), ip("127.0.0.1"), ip("10.0.0.2")}},
        {"only IPv6 servers", "nameserver ::1\n", NOT_FOUND, {}},
        {"an empty file", "", NOT_FOUND, {}},
    };
    for (const auto& c : cases) {
        ResolvConf conf(c.file);
        ASSERT_TRUE(conf.mounted) << c.name;
        clear_servers();
        add_server("10.9.9.9");
        CapturedStream out;
        find_system_servers();
        EXPECT_EQ(out.text(), c.out) << c.name;
        EXPECT_EQ(listed(), c.list) << c.name;
    }
}

} // namespace
