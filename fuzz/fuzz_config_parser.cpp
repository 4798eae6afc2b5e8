// Feeds arbitrary text to the parser of the IP configuration tool's output in
// the pieces the reader makes (a line, or 99 characters of a longer one), and
// checks what every returned value must be: one word of the piece itself, and
// only from a labelled line or while a continuation runs. Each piece is also a
// line of a resolver configuration, whose server, when it names one, is a
// dotted address that the piece holds.
#include "servers/config_parser.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

static void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    bool continuation = false;
    std::size_t pos = 0;
    while (pos < size) {
        char piece[100];
        std::size_t n = 0;
        while (pos < size && n < sizeof piece - 1) {
            piece[n++] = static_cast<char>(data[pos++]);
            if (piece[n - 1] == '\n')
                break;
        }
        piece[n] = '\0';
        bool was_continuing = continuation;
        bool labelled = std::strchr(piece, ':') != nullptr;
        std::string value = parse_config_line(piece, continuation);
        check(value.find_first_of(" \t\n") == std::string::npos);
        check(value.find('\0') == std::string::npos);
        check(value.empty() || std::strstr(piece, value.c_str()) != nullptr);
        std::string server = parse_resolv_conf_line(piece);
        check(server.size() <= 15 && server.find_first_not_of("0123456789.") == std::string::npos);
        check(server.empty() || (std::strstr(piece, "nameserver") && std::strstr(piece, server.c_str())));
        if (labelled) {
            check(continuation == !value.empty());
            check(value.empty() || std::strstr(piece, "DNS Servers") != nullptr);
        } else {
            check(continuation == was_continuing);
            check(value.empty() || was_continuing);
        }
    }
    return 0;
}
