// Sockets on Windows: Windows Sockets 1.1, select for the waits, the tick count.
#include "platform/platform.h"
#include "platform/socket_headers.h"
#include "platform/win32/internal.h"

#include <windows.h>

#include <cstdio>

namespace {

SOCKET socket_of(Socket s) { return static_cast<SOCKET>(s); }

Socket open_socket(int type, int protocol)
{
    SOCKET s = socket(AF_INET, type, protocol);
    return s == INVALID_SOCKET ? NO_SOCKET : static_cast<Socket>(s);
}

// Slices in which a socket is waited for: select cannot be broken into, so the
// event is looked at between them.
constexpr int INTERRUPT_SLICE_MS = 100;

// One select: 1 when s is ready, 0 when the time ran out, -1 when it failed.
int select_once(Socket s, int for_read, int milliseconds)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket_of(s), &set);
    // A failed connect shows in the exception set, not the write set.
    fd_set failed;
    FD_ZERO(&failed);
    FD_SET(socket_of(s), &failed);
    timeval limit{};
    limit.tv_sec = milliseconds / 1000;
    limit.tv_usec = (milliseconds % 1000) * 1000;
    int r = select(0, for_read ? &set : nullptr, for_read ? nullptr : &set, for_read ? nullptr : &failed,
                   milliseconds < 0 ? nullptr : &limit);
    return r == SOCKET_ERROR ? -1 : r > 0 ? 1 : 0;
}

} // namespace

NetStart net_start()
{
    WSADATA data;
    if (WSAStartup(0x0101, &data) != 0)
        return NET_REFUSED;
    if (LOBYTE(data.wVersion) != 1 || HIBYTE(data.wVersion) != 1)
        return NET_WRONG_VERSION;
    return NET_READY;
}

void net_cleanup() { WSACleanup(); }

Socket open_udp_socket() { return open_socket(SOCK_DGRAM, IPPROTO_UDP); }
Socket open_tcp_socket() { return open_socket(SOCK_STREAM, IPPROTO_TCP); }

void close_socket(Socket s)
{
    if (s != NO_SOCKET)
        closesocket(socket_of(s));
}

int set_nonblocking(Socket s)
{
    u_long on = 1;
    return ioctlsocket(socket_of(s), FIONBIO, &on) == 0 ? 0 : -1;
}

int send_datagram(Socket s, const void* data, int length, std::uint32_t address, std::uint16_t port)
{
    sockaddr_in sa = make_address(address, port);
    int n = sendto(socket_of(s), static_cast<const char*>(data), length, 0,
                   reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    return n == SOCKET_ERROR ? -1 : n;
}

int receive_datagram(Socket s, void* data, int size, std::uint32_t* from_address, std::uint16_t* from_port,
                     bool* cut)
{
    sockaddr_in sa{};
    int len = sizeof sa;
    int n = recvfrom(socket_of(s), static_cast<char*>(data), size, 0, reinterpret_cast<sockaddr*>(&sa), &len);
    // A datagram longer than the buffer fails the receive, its first size octets kept.
    *cut = n == SOCKET_ERROR && WSAGetLastError() == WSAEMSGSIZE;
    if (*cut)
        n = size;
    if (n == SOCKET_ERROR)
        return -1;
    if (from_address)
        *from_address = sa.sin_addr.s_addr;
    if (from_port)
        *from_port = ntohs(sa.sin_port);
    return n;
}

int start_connect(Socket s, std::uint32_t address, std::uint16_t port)
{
    sockaddr_in sa = make_address(address, port);
    if (connect(socket_of(s), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0)
        return 0;
    return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
}

int send_stream(Socket s, const void* data, int length)
{
    int n = send(socket_of(s), static_cast<const char*>(data), length, 0);
    return n == SOCKET_ERROR ? -1 : n;
}

int receive_stream(Socket s, void* data, int size)
{
    int n = recv(socket_of(s), static_cast<char*>(data), size, 0);
    return n == SOCKET_ERROR ? -1 : n;
}

int wait_socket(Socket s, int for_read, int milliseconds)
{
    if (!interrupts_watched())
        return select_once(s, for_read, milliseconds);
    std::int64_t deadline = monotonic_ms() + milliseconds;
    for (;;) {
        if (interrupted()) {
            WSASetLastError(WSAEINTR);
            return WAIT_INTERRUPTED;
        }
        std::int64_t left = milliseconds < 0 ? INTERRUPT_SLICE_MS : deadline - monotonic_ms();
        bool last = left <= INTERRUPT_SLICE_MS;
        int r = select_once(s, for_read, last ? (left > 0 ? static_cast<int>(left) : 0) : INTERRUPT_SLICE_MS);
        if (r != 0 || (last && milliseconds >= 0))
            return r;
    }
}

int last_socket_error() { return WSAGetLastError(); }

const char* socket_error_text(int code)
{
    static char text[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text,
                             sizeof text, nullptr);
    // The system's texts end in "\r\n"; the report adds its own line end.
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
        --n;
    if (n == 0)
        std::snprintf(text, sizeof text, "Windows Sockets error %d", code);
    else
        text[n] = '\0';
    return text;
}

std::int64_t monotonic_ms() { return static_cast<std::int64_t>(GetTickCount64()); }

