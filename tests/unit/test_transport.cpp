// The wait of each pass, and the choice between datagram and circuit by the
// query's length, seen from a loopback peer that never answers.
#include "capture.h"
#include "platform/posix/internal.h"
#include "resolver/lookup.h"
#include "resolver/settings.h"
#include "resolver/transport.h"
#include "servers/server_list.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct PassWaitCase {
    const char* name;
    std::int32_t timeout_secs;
    int pass;
    int seconds;
};

const PassWaitCase PASS_WAITS[] = {
    {"start values, first pass", 1, 0, 1},
    {"start values, second pass", 1, 1, 2},
    {"start values, third pass", 1, 2, 4},
    {"doubling up to 2^30", 1, 30, 1 << 30},
    {"shifted into the sign bit", 1, 31, 1},
    {"pass 32 starts again", 1, 32, 1},
    {"pass 33 doubles again", 1, 33, 2},
    {"zero first wait", 0, 0, 1},
    {"zero first wait, later pass", 0, 5, 1},
    {"negative first wait", -3, 0, 1},
    {"negative first wait, later pass", -3, 2, 1},
    {"larger first wait", 3, 2, 12},
    {"overflow into the sign bit", 0x40000000, 1, 1},
    {"high bits shifted out", 0x40000001, 2, 4},
};

TEST(PassWait, Table)
{
    for (const PassWaitCase& c : PASS_WAITS)
        EXPECT_EQ(pass_wait(c.timeout_secs, c.pass), c.seconds) << c.name;
}

// A silent peer on 127.0.0.5 listening by UDP and TCP on one port; the
// transport is pointed at it with one pass of 1 second, and the settings and
// server list are put back afterwards.
struct SilentPeer : ::testing::Test {
    int udp = -1, tcp = -1;
    ResolverSettings saved_settings = resolver_settings;
    ServerList saved_servers = server_list;

    void SetUp() override
    {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = inet_addr("127.0.0.5");
        udp = socket(AF_INET, SOCK_DGRAM, 0);
        ASSERT_EQ(bind(udp, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
        socklen_t len = sizeof sa;
        getsockname(udp, reinterpret_cast<sockaddr*>(&sa), &len);
        tcp = socket(AF_INET, SOCK_STREAM, 0);
        ASSERT_EQ(bind(tcp, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
        ASSERT_EQ(listen(tcp, 4), 0);
        resolver_settings.port = ntohs(sa.sin_port);
        resolver_settings.retry_count = 1;
        resolver_settings.timeout_secs = 1;
        resolver_settings.OptionFlags = 0;
        server_list.count = 1;
        server_list.addresses[0] = sa.sin_addr.s_addr;
    }
    void TearDown() override
    {
        close(udp);
        close(tcp);
        resolver_settings = saved_settings;
        server_list = saved_servers;
    }
    // The lowest free descriptor: the same after an attempt as before, when
    // the attempt closed its socket.
    static int lowest_free_descriptor()
    {
        int fd = dup(STDIN_FILENO);
        close(fd);
        return fd;
    }
    static bool ready(int fd)
    {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, 0) == 1;
    }
    static std::vector<std::uint8_t> query_of(int length)
    {
        std::vector<std::uint8_t> q(length, 0x61);
        q[0] = 0x12, q[1] = 0x34;
        return q;
    }
};

TEST_F(SilentPeer, QueryOf512OctetsGoesByDatagram)
{
    std::vector<std::uint8_t> q = query_of(512);
    std::uint8_t reply[1024];
    int free_before = lowest_free_descriptor();
    EXPECT_EQ(send_query(q.data(), 512, reply, sizeof reply), -1);
    EXPECT_EQ(lowest_free_descriptor(), free_before);
    std::uint8_t got[1024];
    ASSERT_TRUE(ready(udp));
    EXPECT_EQ(recv(udp, got, sizeof got, 0), 512);
    EXPECT_FALSE(ready(tcp)) << "no connection is made";
}

TEST_F(SilentPeer, QueryOf513OctetsGoesByCircuit)
{
    std::vector<std::uint8_t> q = query_of(513);
    std::uint8_t reply[1024];
    int free_before = lowest_free_descriptor();
    EXPECT_EQ(send_query(q.data(), 513, reply, sizeof reply), -1);
    EXPECT_EQ(lowest_free_descriptor(), free_before);
    EXPECT_FALSE(ready(udp)) << "no datagram is sent";
    ASSERT_TRUE(ready(tcp));
    int conn = accept(tcp, nullptr, nullptr);
    ASSERT_GE(conn, 0);
    std::uint8_t got[600];
    int n = 0;
    while (n < 515) {
        ssize_t r = recv(conn, got + n, sizeof got - n, MSG_DONTWAIT);
        if (r <= 0)
            break;
        n += static_cast<int>(r);
    }
    close(conn);
    ASSERT_EQ(n, 515);
    EXPECT_EQ(got[0] << 8 | got[1], 513) << "the two-octet length prefix";
    EXPECT_EQ(got[2], 0x12);
    EXPECT_EQ(got[3], 0x34);
}

// Nothing is sent, and there is no answer, when there is nothing to send, no
// one to send it to, or no identifier to send it with.
TEST_F(SilentPeer, NothingSent)
{
    std::vector<std::uint8_t> q = query_of(30);
    std::uint8_t reply[1024];
    const struct {
        const char* name;
        int retry_count, server_count, query_length;
    } cases[] = {
        {"no pass", 0, 1, 30},
        {"a negative count of passes", -1, 1, 30},
        {"no server", 1, 0, 30},
        {"a query shorter than a header", 1, 1, 11},
    };
    for (const auto& c : cases) {
        resolver_settings.retry_count = c.retry_count;
        server_list.count = c.server_count;
        EXPECT_EQ(send_query(q.data(), c.query_length, reply, sizeof reply), -1) << c.name;
        EXPECT_FALSE(ready(udp)) << c.name;
    }
    RandomSource saved_source = random_source;
    random_source = [](void*, int) { return -1; };
    resolver_settings.retry_count = 1;
    server_list.count = 1;
    EXPECT_EQ(run_query("host.example", 1, 1, reply, sizeof reply), -1);
    random_source = saved_source;
    EXPECT_FALSE(ready(udp));
}

// Ctrl+C before an attempt, at a terminal: nothing is sent, and there is no
// answer. The child's standard input is a new pseudo-terminal.
TEST_F(SilentPeer, NothingSentAfterCtrlC)
{
    std::string slave_name;
    int master = open_pseudo_terminal(slave_name);
    ASSERT_GE(master, 0);
    pid_t pid = fork_on_terminal(master, slave_name);
    if (pid == 0) {
        watch_interrupts();
        raise(SIGINT);
        std::vector<std::uint8_t> q = query_of(30);
        std::uint8_t reply[1024];
        _exit(send_query(q.data(), 30, reply, sizeof reply) == -1 ? 0 : 1);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(ready(udp));
}

// A server whose queue of connections is full lets a connection wait for
// ever: the attempt gives up at its time, and there is no answer.
TEST_F(SilentPeer, ConnectionNeverTaken)
{
    ASSERT_EQ(listen(tcp, 0), 0);
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    getsockname(tcp, reinterpret_cast<sockaddr*>(&sa), &len);
    int filler = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(connect(filler, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    resolver_settings.OptionFlags = OPT_USE_VC;
    std::vector<std::uint8_t> q = query_of(30);
    std::uint8_t reply[1024];
    EXPECT_EQ(send_query(q.data(), 30, reply, sizeof reply), -1);
    close(filler);
}

} // namespace
