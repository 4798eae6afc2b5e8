// The floor of the benchmark: the least a client must do for one lookup over
// UDP. For every name read from standard input (one a line) it composes the
// same query as the client (type A, class ANY, recursion desired), opens a
// fresh datagram socket, sends the query, waits for the reply and receives it;
// it neither decodes nor prints. At the end it writes one line to standard
// output, "answered N of M", where an answer is a datagram that carries the
// query's identifier, RCODE 0 and at least one answer record.
//   floor SERVER-ADDRESS < NAMES
#include "message/header.h"
#include "message/symbols.h"
#include "resolver/query.h"

#include <arpa/inet.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int BUFFER_SIZE = 1024;
constexpr int WAIT_MS = 1000;   // one attempt per name, bounded

// 1 when the name got an answer, 0 otherwise.
int ask(const char* name, const sockaddr_in& server)
{
    std::uint8_t query[BUFFER_SIZE];
    std::uint8_t reply[BUFFER_SIZE];
    int length = make_query(name, CLASS_ANY, TYPE_A, query, sizeof query);
    if (length <= 0)
        return 0;
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    int answered = 0;
    if (sendto(fd, query, static_cast<size_t>(length), 0, reinterpret_cast<const sockaddr*>(&server),
               sizeof server) == length) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, WAIT_MS) == 1) {
            ssize_t n = recv(fd, reply, sizeof reply, 0);
            answered = n >= HEADER_SIZE && reply[0] == query[0] && reply[1] == query[1] && get_rcode(reply) == 0 &&
                       (reply[6] | reply[7]) != 0;
        }
    }
    close(fd);
    return answered;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: floor SERVER-ADDRESS < NAMES\n", stderr);
        return 2;
    }
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(53);
    if (inet_pton(AF_INET, argv[1], &server.sin_addr) != 1) {
        std::fputs("floor: not an IPv4 address\n", stderr);
        return 2;
    }
    char line[256];
    int asked = 0, answered = 0;
    while (std::fgets(line, sizeof line, stdin)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        if (line[0] == '\0')
            continue;
        ++asked;
        answered += ask(line, server);
    }
    std::printf("answered %d of %d\n", answered, asked);
    return answered == asked ? 0 : 1;
}
