// The server list: dotted addresses, host names, capacity.
#include "capture.h"
#include "servers/server_list.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

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

    const char* refused[] = {"255.255.255.255", "1host.example", "10.0.0.256", "9x"};
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

TEST(ServerList, SetServerEmptiesFirst)
{
    clear_servers();
    add("10.0.0.1");
    EXPECT_EQ(set_server("10.0.0.2"), 0);
    EXPECT_EQ(server_list.count, 1);
    CapturedStream err(stderr);
    EXPECT_EQ(set_server("300.1.1.1"), -1);
    EXPECT_EQ(server_list.count, 0);
    EXPECT_EQ(clear_servers(), 0);
}

} // namespace
