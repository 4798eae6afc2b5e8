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

static const char RESOLV_BLANKS[] = " \t\n\v\f\r";

// Whether text is an IPv4 address in dotted-decimal form, as inet_pton takes
// it: four numbers of 0 to 255, each of one to three digits without a leading zero.
static bool is_dotted_quad(const std::string& text)
{
    std::size_t i = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0 && (i >= text.size() || text[i++] != '.'))
            return false;
        std::size_t start = i;
        unsigned value = 0;
        while (i < text.size() && i - start < 3 && text[i] >= '0' && text[i] <= '9')
            value = value * 10 + static_cast<unsigned>(text[i++] - '0');
        if (i == start || value > 255 || (i - start > 1 && text[start] == '0'))
            return false;
    }
    return i == text.size();
}

std::string parse_resolv_conf_line(const char* line)
{
    const char* p = line + std::strspn(line, RESOLV_BLANKS);
    std::size_t n = std::strcspn(p, RESOLV_BLANKS);
    if (n != 10 || std::strncmp(p, "nameserver", n) != 0)
        return {};
    p += n + std::strspn(p + n, RESOLV_BLANKS);
    std::string value(p, std::strcspn(p, RESOLV_BLANKS));
    return is_dotted_quad(value) ? value : std::string();
}

void read_resolv_conf(const std::string& text, std::vector<std::string>& out)
{
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string server = parse_resolv_conf_line(text.substr(start, end - start).c_str());
        if (!server.empty())
            out.push_back(server);
        start = end + 1;
    }
}
