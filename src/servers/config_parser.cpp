#include "servers/config_parser.h"

#include <cstring>

static const char LABEL[] = "DNS Servers";
static const char SEPARATORS[] = " \t\n";

// The first word at p: leading blanks, tabs and newlines skipped, ended by the
// next one of them or by the end of the text.
static std::string first_word(const char* p)
{
    p += std::strspn(p, SEPARATORS);
    return std::string(p, std::strcspn(p, SEPARATORS));
}

std::string parse_config_line(const char* line, bool& continuation)
{
    if (std::strchr(line, ':')) {
        // Every labelled line ends the lines that continue a "DNS Servers" entry.
        continuation = false;
        const char* label = std::strstr(line, LABEL);
        if (!label)
            return {};
        const char* colon = std::strchr(label, ':');
        if (!colon)
            return {};
        std::string value = first_word(colon + 1);
        // A label without a value starts no continuation.
        if (!value.empty())
            continuation = true;
        return value;
    }
    if (!continuation)
        return {};
    return first_word(line);
}
