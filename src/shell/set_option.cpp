#include "resolver/settings.h"
#include "shell/listings.h"
#include "shell/shell.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

enum OptionKind { TYPE_VALUE, CLASS_VALUE, RETRY, TIMEOUT, PORT, DEBUG_ON, DEBUG_OFF,
                  VC_ON, VC_OFF, RECURSE_ON, RECURSE_OFF, LIST_ALL };

struct OptionRow {
    const char* beginning;   // compared ignoring case, for its whole length
    OptionKind kind;
};

// First match wins; "q" for querytype is tested apart, case and all.
const OptionRow OPTION_TABLE[] = {
    {"ty", TYPE_VALUE}, {"cl", CLASS_VALUE}, {"ret", RETRY},   {"tim", TIMEOUT},
    {"port", PORT},     {"deb", DEBUG_ON},   {"nodeb", DEBUG_OFF}, {"v", VC_ON},
    {"nov", VC_OFF},    {"rec", RECURSE_ON}, {"norec", RECURSE_OFF}, {"all", LIST_ALL},
};
const OptionRow QUERYTYPE = {"q", TYPE_VALUE};

// The row of the option word at option, or nullptr.
const OptionRow* find_option(const char* option)
{
    if (option[0] == 'q')
        return &QUERYTYPE;
    for (const OptionRow& r : OPTION_TABLE)
        if (begins_with(option, r.beginning, std::strlen(r.beginning)))
            return &r;
    return nullptr;
}

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
    errno = 0;
    long v = std::strtol(p, nullptr, 10);
    if (errno == ERANGE || v < INT_MIN || v > INT_MAX)
        return false;
    *value = v;
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
