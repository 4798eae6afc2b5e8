#include "resolver/transport.h"

#include "message/reader.h"
#include "platform/platform.h"
#include "resolver/settings.h"
#include "servers/server_list.h"

#include <climits>
#include <cstdio>

namespace {

constexpr int DISCARD_SIZE = 512;   // the part of a cut reply beyond the buffer is read in these

struct Target {
    std::uint32_t address;   // network byte order
    std::uint16_t port;      // host order
};

// Closes the socket of one attempt however the attempt ends.
struct SocketGuard {
    Socket s;
    ~SocketGuard() { close_socket(s); }
    SocketGuard(const SocketGuard&) = delete;
    SocketGuard& operator=(const SocketGuard&) = delete;
};

// A failure of the attempt: the report line "LABEL: error text" on standard
// error, with debug only, and -1.
int fail(const char* label, int code)
{
    if (debug_on())
        std::fprintf(stderr, "%s: %s\n", label, socket_error_text(code));
    return -1;
}

void trace(const char* text)
{
    if (debug_on())
        std::fputs(text, stdout);
}

void trace_answer(int length)
{
    if (debug_on())
        std::printf("------------\nGot answer (%d bytes):\n", length);
}

enum WaitResult { WAIT_READY, WAIT_TIMED_OUT, WAIT_FAILED, WAIT_STOPPED };

std::int64_t deadline_after(int seconds) { return monotonic_ms() + static_cast<std::int64_t>(seconds) * 1000; }

// Waits until s is readable (for_read) or writable, or the attempt's deadline
// has passed, or the user pressed Ctrl+C (stopped). A time-out is traced with
// the attempt's wait of seconds unless quiet; a failed wait is reported here.
WaitResult wait_ready(Socket s, bool for_read, int seconds, std::int64_t deadline, bool quiet)
{
    for (;;) {
        std::int64_t left = deadline - monotonic_ms();
        if (left <= 0) {
            if (!quiet && debug_on())
                std::printf("Timeout %d secs\n", seconds);
            return WAIT_TIMED_OUT;
        }
        int r = wait_socket(s, for_read, left > INT_MAX ? INT_MAX : static_cast<int>(left));
        if (r == 1)
            return WAIT_READY;
        if (r == WAIT_INTERRUPTED)
            return WAIT_STOPPED;
        if (r < 0) {
            fail("select", last_socket_error());
            return WAIT_FAILED;
        }
    }
}

// Reads exactly length octets, waiting for each piece until the deadline:
// 0, or -1 when the wait ran out, the peer closed or a read failed.
int read_exactly(Socket s, std::uint8_t* data, int length, int seconds, std::int64_t deadline)
{
    for (int got = 0; got < length;) {
        if (wait_ready(s, true, seconds, deadline, false) != WAIT_READY)
            return -1;
        int n = receive_stream(s, data + got, length - got);
        if (n <= 0)   // a close by the peer is no socket error: its code is 0
            return fail("read failed", n < 0 ? last_socket_error() : 0);
        got += n;
    }
    return 0;
}

// Reads and drops the rest of a cut reply; stops quietly at the deadline, at
// the peer's close or at a failed read.
void discard_rest(Socket s, int length, int seconds, std::int64_t deadline)
{
    std::uint8_t discard[DISCARD_SIZE];
    while (length > 0) {
        if (wait_ready(s, true, seconds, deadline, true) != WAIT_READY)
            return;
        int n = receive_stream(s, discard, length < DISCARD_SIZE ? length : DISCARD_SIZE);
        if (n <= 0)
            return;
        length -= n;
    }
}

// One exchange by datagram: the reply's length, or -1. The wait is a deadline
// for the whole attempt, which datagrams that are not the answer do not renew.
//
// The rule for truncation: an answer whose TC bit the server set is asked for
// again over a circuit (again is set), however long the datagram was. Only a
// datagram the server did not mark, and that was longer than reply_size, is
// kept: cut there, with TC set, as a circuit's reply would be.
int datagram_attempt(const std::uint8_t* query, int query_length, std::uint8_t* reply, int reply_size,
                     Target to, int seconds, bool& again)
{
    Socket s = open_udp_socket();
    if (s == NO_SOCKET)
        return fail("socket (dg) failed", last_socket_error());
    SocketGuard guard{s};
    if (send_datagram(s, query, query_length, to.address, to.port) != query_length)
        return fail("sendto", last_socket_error());
    std::int64_t deadline = deadline_after(seconds);
    for (;;) {
        if (wait_ready(s, true, seconds, deadline, false) != WAIT_READY)
            return -1;
        std::uint32_t from_address = 0;
        std::uint16_t from_port = 0;
        bool cut = false;
        int n = receive_datagram(s, reply, reply_size, &from_address, &from_port, &cut);
        if (n < 0)
            return fail("recvfrom", last_socket_error());
        // RFC 5452 9.1: only a datagram from where the query went can be its answer.
        if (from_address != to.address || from_port != to.port)
            continue;
        // Without a whole header (an empty datagram has none) it cannot be
        // matched to the query, nor end the wait.
        if (n < HEADER_SIZE)
            continue;
        if (reply[0] != query[0] || reply[1] != query[1]) {
            trace("------------\nOld answer:\n");
            continue;
        }
        again = get_tc(reply) != 0;
        if (again) {
            trace("truncated answer\n");
            return n;
        }
        if (cut) {
            if (debug_on())
                std::fputs("response truncated\n", stderr);
            set_tc(reply, 1);
        }
        trace_answer(n);
        return n;
    }
}

// One exchange over a virtual circuit, framed with the two-octet length
// prefix (RFC 1035 4.2.2): the reply's length, or -1. The wait is a deadline
// for the whole exchange. A reply longer than reply_size is cut there, with
// its TC bit set.
int circuit_attempt(const std::uint8_t* query, int query_length, std::uint8_t* reply, int reply_size,
                    Target to, int seconds)
{
    Socket s = open_tcp_socket();
    if (s == NO_SOCKET)
        return fail("socket (vc) failed", last_socket_error());
    SocketGuard guard{s};
    if (set_nonblocking(s) != 0)
        return fail("ioctlsocket failed", last_socket_error());
    if (start_connect(s, to.address, to.port) != 0)
        return fail("connect failed", last_socket_error());
    std::int64_t deadline = deadline_after(seconds);
    if (wait_ready(s, false, seconds, deadline, false) != WAIT_READY)
        return -1;
    std::uint8_t prefix[2];
    store16(prefix, static_cast<unsigned>(query_length));
    if (send_stream(s, prefix, 2) != 2 || send_stream(s, query, query_length) != query_length) {
        int code = last_socket_error();
        std::fputs(socket_error_text(code), stdout);
        return fail("write failed", code);
    }
    if (read_exactly(s, reply, 2, seconds, deadline) != 0)
        return -1;
    int announced = load16(reply);
    bool cut = announced > reply_size;
    int length = cut ? reply_size : announced;
    if (cut && debug_on())
        std::fputs("response truncated\n", stderr);
    if (read_exactly(s, reply, length, seconds, deadline) != 0)
        return -1;
    // A reply without a whole header is no answer.
    if (length < HEADER_SIZE)
        return -1;
    if (cut) {
        set_tc(reply, 1);
        discard_rest(s, announced - reply_size, seconds, deadline);
    }
    trace_answer(announced);
    return length;
}

} // namespace

int pass_wait(std::int32_t timeout_secs, int pass)
{
    auto shifted = static_cast<std::int32_t>(static_cast<std::uint32_t>(timeout_secs) << (pass % 32));
    return shifted > 0 ? shifted : 1;
}

int send_query(const std::uint8_t* query, int query_length, std::uint8_t* reply, int reply_size)
{
    const ResolverSettings& settings = resolver_settings;
    if (query_length < HEADER_SIZE)
        return -1;
    // With no server the passes would send nothing; a huge retry_count need not spin.
    if (server_list.count <= 0)
        return -1;
    bool circuit = (settings.OptionFlags & OPT_USE_VC) != 0 || query_length > MAX_DATAGRAM_QUERY;
    for (int pass = 0; pass < settings.retry_count; ++pass) {
        int seconds = pass_wait(settings.timeout_secs, pass);
        for (int i = 0; i < server_list.count; ++i) {
            // Ctrl+C gives up the whole lookup, not just the attempt it cut short.
            if (interrupted())
                return -1;
            Target to{server_list.addresses[i], settings.port};
            bool again = false;
            int n = circuit ? circuit_attempt(query, query_length, reply, reply_size, to, seconds)
                            : datagram_attempt(query, query_length, reply, reply_size, to, seconds, again);
            // A truncated datagram answer is asked for again over a circuit, from
            // the same server with the same wait; only the circuit's reply counts.
            if (n >= 0 && again)
                n = circuit_attempt(query, query_length, reply, reply_size, to, seconds);
            if (n >= 0)
                return n;
        }
    }
    return -1;
}
