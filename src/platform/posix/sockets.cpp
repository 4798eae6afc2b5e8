// Sockets on POSIX: BSD sockets, poll for the waits, the monotonic clock.
#include "platform/platform.h"
#include "platform/posix/internal.h"
#include "platform/socket_headers.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

int fd_of(Socket s) { return static_cast<int>(s); }

// Close-on-exec from the start (SOCK_CLOEXEC, POSIX.1-2024), so that no
// program started later inherits a socket.
Socket open_socket(int type)
{
    int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    return fd < 0 ? NO_SOCKET : static_cast<Socket>(fd);
}

} // namespace

NetStart net_start() { return NET_READY; }
void net_cleanup() {}

Socket open_udp_socket() { return open_socket(SOCK_DGRAM); }
Socket open_tcp_socket() { return open_socket(SOCK_STREAM); }

void close_socket(Socket s)
{
    if (s != NO_SOCKET)
        close(fd_of(s));
}

int set_nonblocking(Socket s)
{
    int flags = fcntl(fd_of(s), F_GETFL, 0);
    if (flags < 0 || fcntl(fd_of(s), F_SETFL, flags | O_NONBLOCK) < 0)
        return -1;
    return 0;
}

int send_datagram(Socket s, const void* data, int length, std::uint32_t address, std::uint16_t port)
{
    sockaddr_in sa = make_address(address, port);
    ssize_t n = sendto(fd_of(s), data, static_cast<size_t>(length), 0,
                       reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    return n < 0 ? -1 : static_cast<int>(n);
}

int receive_datagram(Socket s, void* data, int size, std::uint32_t* from_address, std::uint16_t* from_port,
                     bool* cut)
{
    sockaddr_in sa{};
    iovec into{data, static_cast<size_t>(size)};
    msghdr m{};
    m.msg_name = &sa;
    m.msg_namelen = sizeof sa;
    m.msg_iov = &into;
    m.msg_iovlen = 1;
    ssize_t n = recvmsg(fd_of(s), &m, 0);
    if (n < 0)
        return -1;
    if (from_address)
        *from_address = sa.sin_addr.s_addr;
    if (from_port)
        *from_port = ntohs(sa.sin_port);
    // A datagram longer than the buffer leaves its first size octets, and
    // recvmsg marks it so.
    *cut = (m.msg_flags & MSG_TRUNC) != 0;
    return static_cast<int>(n);
}

int start_connect(Socket s, std::uint32_t address, std::uint16_t port)
{
    sockaddr_in sa = make_address(address, port);
    if (connect(fd_of(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0)
        return 0;   // connected at once
    return errno == EINPROGRESS ? 0 : -1;
}

// MSG_NOSIGNAL: a peer that closed early makes the send fail, not SIGPIPE end the program.
int send_stream(Socket s, const void* data, int length)
{
    ssize_t n = send(fd_of(s), data, static_cast<size_t>(length), MSG_NOSIGNAL);
    return n < 0 ? -1 : static_cast<int>(n);
}

int receive_stream(Socket s, void* data, int size)
{
    ssize_t n = recv(fd_of(s), data, static_cast<size_t>(size), 0);
    return n < 0 ? -1 : static_cast<int>(n);   // 0: the peer closed
}

int wait_socket(Socket s, int for_read, int milliseconds)
{
    pollfd p{fd_of(s), static_cast<short>(for_read ? POLLIN : POLLOUT), 0};
    if (interrupts_watched()) {
        int r = poll_unless_interrupted(p, milliseconds);
        return r > 0 ? 1 : r == 0 ? 0 : r == WAIT_INTERRUPTED ? WAIT_INTERRUPTED : -1;
    }
    for (;;) {
        int r = poll(&p, 1, milliseconds);
        if (r > 0)
            return 1;
        if (r == 0)
            return 0;
        if (errno != EINTR)
            return -1;
    }
}

int last_socket_error() { return errno; }
const char* socket_error_text(int code) { return std::strerror(code); }

std::int64_t monotonic_ms()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}
