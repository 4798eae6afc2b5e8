// The server list: dotted addresses, host names, capacity.
#include "capture.h"
#include "servers/server_list.h"

#include <arpa/inet.h>
#include <atomic>
#include <cstring>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct AddResult {
    int result;
    int count;
    std::string out, err;
};

AddResult add(const char* name)
{
    CapturedStream out, err(stderr);
    int r = add_server(name);
    std::string o = out.text();
    return {r, server_list.count, o, err.text()};
}

TEST(ServerList, DottedAddresses)
{
    clear_servers();
    AddResult a = add("10.0.0.1");
    EXPECT_EQ(a.result, 0);
    EXPECT_EQ(a.count, 1);
    EXPECT_EQ(server_list.addresses[0], inet_addr("10.0.0.1"));
    // the same address twice is kept twice
    EXPECT_EQ(add("10.0.0.1").count, 2);

    const char* refused[] = {"255.255.255.255", "1host.example", "10.0.0.256", "9x", "0.0.0.256"};
    for (const char* name : refused) {
        AddResult r = add(name);
        EXPECT_EQ(r.result, -1) << name;
        EXPECT_EQ(r.count, 2) << name;
        EXPECT_EQ(r.err.rfind("Bad IP address.: ", 0), 0u) << name;
        EXPECT_EQ(r.out, "") << name;
    }
}

TEST(ServerList, HostNames)
{
    clear_servers();
    AddResult a = add("localhost");   // from /etc/hosts, without any DNS traffic
    EXPECT_EQ(a.result, 0);
    ASSERT_GE(a.count, 1);
    EXPECT_EQ(server_list.addresses[0], inet_addr("127.0.0.1"));
    // A name that is found nowhere (.invalid, RFC 2606) is reported, and adds nothing.
    AddResult none = add("nowhere.invalid");
    EXPECT_EQ(none.result, -1);
    EXPECT_EQ(none.count, a.count);
    EXPECT_EQ(none.err.rfind("Domain not found: ", 0), 0u) << none.err;
    // A name that begins with anything but a digit is looked up as a name.
    AddResult dash = add("-dash.invalid");
    EXPECT_EQ(dash.err.rfind("Domain not found: ", 0), 0u) << dash.err;
}

TEST(ServerList, CapacityIs254)
{
    clear_servers();
    for (int i = 0; i < 253; ++i)
        ASSERT_EQ(add_server("10.0.0.1"), 0);
    EXPECT_EQ(add("10.0.0.2").result, 0);
    AddResult full = add("10.0.0.3");
    EXPECT_EQ(full.result, -1);
    EXPECT_EQ(full.count, 254);
    EXPECT_EQ(full.out + full.err, "");
    EXPECT_EQ(add("localhost").count, 254);
}

// A name server on 127.0.0.1:53 of the private namespace (where
// /etc/resolv.conf names it) that answers every query with count addresses,
// 10.1.0.1 on, for as long as it lives.
struct ManyAddressServer {
    int fd = -1;
    int count;
    std::atomic<bool> stop{false};
    std::thread thread;

    explicit ManyAddressServer(int n) : count(n)
    {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(53);
        sa.sin_addr.s_addr = inet_addr("127.0.0.1");
        fd = socket(AF_INET, SOCK_DGRAM, 0);
        if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
            close(fd);
            fd = -1;
        }
        if (fd >= 0)
            thread = std::thread([this] { serve(); });
    }
    ~ManyAddressServer()
    {
        stop = true;
        if (thread.joinable())
            thread.join();
        if (fd >= 0)
            close(fd);
    }
    void serve()
    {
        while (!stop) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 50) != 1)
                continue;
            std::uint8_t q[512];
            sockaddr_in from{};
            socklen_t len = sizeof from;
            ssize_t n = recvfrom(fd, q, sizeof q, 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n < 17)
                continue;
            // The query's ID and question, QR RD RA, one question and count answers.
            std::vector<std::uint8_t> r(q, q + n);
            r[2] = 0x81, r[3] = 0x80, r[7] = static_cast<std::uint8_t>(count);
            for (int i = 1; i <= count; ++i) {
                const std::uint8_t rr[] = {0xC0, 0x0C, 0, 1, 0, 1, 0, 0, 0, 60, 0, 4, 10, 1, 0,
                                           static_cast<std::uint8_t>(i)};
                r.insert(r.end(), rr, rr + sizeof rr);
            }
            sendto(fd, r.data(), r.size(), 0, reinterpret_cast<sockaddr*>(&from), len);
        }
    }
};

TEST(ServerList, HostNameBeyondCapacityFillsItAndStops)
{
    ManyAddressServer server(10);
    if (server.fd < 0)
        GTEST_SKIP() << "needs 127.0.0.1:53 of the private namespace of tests/netns.sh";
    clear_servers();
    for (int i = 0; i < 250; ++i)
        ASSERT_EQ(add_server("10.0.0.1"), 0);
    AddResult many = add("many.test");
    EXPECT_EQ(many.result, 0);
    EXPECT_EQ(many.count, 254);
    EXPECT_EQ(server_list.addresses[253], inet_addr("10.1.0.4"));
}

TEST(ServerList, SetServerEmptiesFirst)
{
    clear_servers();
    add("10.0.0.1");
    EXPECT_EQ(set_server("10.0.0.2"), 0);
    EXPECT_EQ(server_list.count, 1);
    CapturedStream err(stderr);
    EXPECT_EQ(set_server("300.1.1.1"), -1);
    EXPECT_EQ(server_list.count, 0);
}

} // namespace
