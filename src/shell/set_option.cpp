#include "resolver/settings.h"
#include "shell/listings.h"
#include "shell/shell.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// No beginning is the beginning of another, so at most one row matches.
const OptionRow OPTIONS[] = {
    {"all", false, "all", LIST_ALL},
    {"deb", false, "debug", DEBUG_ON},
    {"nodeb", false, "nodebug", DEBUG_OFF},
    {"rec", false, "recurse", RECURSE_ON},
    {"norec", false, "norecurse", RECURSE_OFF},
    {"v", false, "vc", VC_ON},
    {"nov", false, "novc", VC_OFF},
    {"ret", false, "retry=", RETRY},
    {"tim", false, "timeout=", TIMEOUT},
    {"q", true, "querytype=", TYPE_VALUE},   // a lower-case q only
    {"ty", false, "type=", TYPE_VALUE},
    {"cl", false, "class=", CLASS_VALUE},
    {"port", false, "port=", PORT},
};
const int OPTION_COUNT = sizeof OPTIONS / sizeof OPTIONS[0];

const OptionRow* find_option(const char* option)
{
    for (const OptionRow& r : OPTIONS) {
        std::size_t n = std::strlen(r.beginning);
        if (r.case_counts ? std::strncmp(option, r.beginning, n) == 0 : begins_with(option, r.beginning, n))
            return &r;
    }
    return nullptr;
}

namespace {

// The decimal integer after the "=" of an option (whitespace and a sign allowed),
// or false when there is none or it does not fit in 32 bits.
bool integer_value(const char* option, long* value)
{
    const char* equals = std::strchr(option, '=');
    if (!equals)
        return false;
    const char* p = skip_blanks(equals + 1);
    const char* digits = (*p == '+' || *p == '-') ? p + 1 : p;
    if (*digits < '0' || *digits > '9')
        return false;
    // Read as 64 bits whatever the width of long (32 on Windows): a number
    // beyond them stops at the limit strtoll gives, beyond 32 bits as well.
    long long v = std::strtoll(p, nullptr, 10);
    if (v < INT_MIN || v > INT_MAX)
        return false;
    *value = static_cast<long>(v);
    return true;
}

// The symbol named after the "=" of an option, or 0.
int symbol_value(const char* option, int (*from_text)(const char*))
{
    char argument[LINE_SIZE];
    argument[0] = '\0';
    const char* equals = std::strchr(option, '=');
    if (!equals)
        return 0;
    scan_word(equals + 1, argument);
    return from_text(argument);
}

// The options that take a value after "=".
void apply_value_option(OptionKind kind, const char* option)
{
    ResolverSettings& s = resolver_settings;
    long value = 0;
    switch (kind) {
    case TYPE_VALUE:
        if (int t = symbol_value(option, type_from_text))
            current_type = t;
        else
            std::fputs("Invalid type\n", stdout);
        break;
    case CLASS_VALUE:
        if (int c = symbol_value(option, class_from_text))
            current_class = c;
        else
            std::fputs("Invalid class\n", stdout);
        break;
    case RETRY:
    case TIMEOUT:
        if (!integer_value(option, &value))
            std::fputs("Invalid value\n", stdout);
        else if (kind == RETRY)
            s.retry_count = static_cast<std::int32_t>(value);
        else
            s.timeout_secs = static_cast<std::int32_t>(value);
        break;
    default:   // PORT: privileged ports only, 1 to 1023
        if (!integer_value(option, &value) || value < 1 || value > 1023)
            std::fputs("Invalid value\n", stdout);
        else
            s.port = static_cast<std::uint16_t>(value);
        break;
    }
}

} // namespace

void apply_set_option(const char* line)
{
    // The word "set" and the character after it, never past the end of the line.
    const char* p = skip_blanks(line);
    for (int i = 0; i < 4 && *p; ++i)
        ++p;
    const char* option = skip_blanks(p);
    const OptionRow* row = find_option(option);
    if (!row) {
        std::fputs("Invalid option\n", stdout);
        return;
    }
    ResolverSettings& s = resolver_settings;
    switch (row->kind) {
    case DEBUG_ON: s.OptionFlags |= OPT_DEBUG; break;
    case DEBUG_OFF: s.OptionFlags &= ~OPT_DEBUG; break;
    case VC_ON: s.OptionFlags |= OPT_USE_VC; break;
    case VC_OFF: s.OptionFlags &= ~OPT_USE_VC; break;
    case RECURSE_ON: set_rd(s.HeaderTemplate, 1); break;
    case RECURSE_OFF: set_rd(s.HeaderTemplate, 0); break;
    case LIST_ALL: print_settings(current_class, current_type); break;
    default: apply_value_option(row->kind, option); break;
    }
}
