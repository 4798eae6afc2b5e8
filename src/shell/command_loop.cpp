#include "shell/shell.h"

#include "message/symbols.h"
#include "platform/platform.h"
#include "resolver/lookup.h"
#include "resolver/settings.h"
#include "servers/discovery.h"
#include "servers/server_list.h"
#include "shell/listings.h"
#include "shell/pager.h"
#include "shell/print_message.h"

#include <cstdio>
#include <cstring>
#include <utility>

int current_type = TYPE_A;
int current_class = CLASS_ANY;

static const char BANNER[] =
    "kestrel2000 - interactive DNS lookup client            https://kestrel.example/\n\n";

static const char HELP_TEXT[] =
    "kestrel2002 - interactive DNS lookup client            https://kestrel.example/\n"
    "\n"
    "Commands: \t(identifiers are shown in uppercase, [] means optional)\n"
    "NAME\t\t- print info about the host/domain NAME using default server\n"
    "help or ?\t- print info on common commands\n"
    "set OPTION\t- set an option\n"
    "    all\t\t- print options, current server and host\n"
    "    [no]debug\t- print debugging information\n"
    "    [no]recurse\t- ask for recursive answer to query\n"
    "    [no]vc\t- always use a virtual circuit\n"
    "    retry=X\t- set number of retries to X\n"
    "    timeout=X\t- set initial time-out interval to X seconds\n"
    "    querytype=X\t- set query type, e.g., A,ANY,CNAME,HINFO,MX,PX,NS,PTR,SOA\n"
    "    type=X\t- synonym for querytype\n"
    "    class=X\t- set query class to one of IN (Internet), CHAOS, HESIOD or ANY\n"
    "    port=X\t- set port number to send query on\n"
    "server NAME\t- set default DNS server to NAME\n"
    "addserver NAME\t- add DNS server NAME\n"
    "findserver      - look for default DNS server in system\n"
    "root\t\t- set current default DNS server to the root\n"
    "exit\t\t- exit the program\n";

static const char ROOT_SERVER[] = "a.root-servers.net";

int make_reverse_name(const char* word, char* out)
{
    static const char SUFFIX[] = ".IN-ADDR.ARPA";
    size_t length = std::strlen(word);
    if (length + sizeof SUFFIX > LINE_SIZE)
        return -1;
    // The parts are copied as typed, from the last to the first.
    size_t n = 0, end = length;
    while (end > 0) {
        size_t start = end;
        while (start > 0 && word[start - 1] != '.')
            --start;
        std::memcpy(out + n, word + start, end - start);
        n += end - start;
        if (start == 0)
            break;
        out[n++] = '.';
        end = start - 1;
    }
    std::memcpy(out + n, SUFFIX, sizeof SUFFIX);
    return 0;
}

static const char NO_ANSWER[] = "No answer or error occur\n";

// A dotted IPv4 address is looked up by its reverse name, as a PTR record.
static void lookup_word(const char* word)
{
    if (debug_on())
        print_servers();
    const char* name = word;
    int type = current_type;
    char reverse[LINE_SIZE];
    // Only a word that begins with a digit can be an address.
    if (word[0] >= '0' && word[0] <= '9' && address_from_text(word) != ADDRESS_NONE) {
        if (make_reverse_name(word, reverse) == -1) {
            std::fputs(NO_ANSWER, stdout);
            return;
        }
        name = reverse;
        type = TYPE_PTR;
    }
    std::optional<Message> message = lookup(name, current_class, type);
    if (message) {
        print_message(*message);
        release_message(std::move(*message));
    } else {
        std::fputs(NO_ANSWER, stdout);
    }
}

static int run_exit(const char*, const char*) { return 1; }

static int run_help(const char*, const char*)
{
    std::fputs(HELP_TEXT, stdout);
    return 0;
}

// `server` and `addserver`: the list changed by the second word, then listed.
static int change_servers(int (*change)(const char*), const char* rest)
{
    char argument[LINE_SIZE];
    scan_word(rest, argument);
    change(argument);
    print_servers();
    return 0;
}

static int run_server(const char*, const char* rest) { return change_servers(set_server, rest); }
static int run_addserver(const char*, const char* rest) { return change_servers(add_server, rest); }

static int run_find(const char*, const char*)
{
    find_system_servers();
    return 0;
}

static int run_root(const char*, const char*)
{
    set_server(ROOT_SERVER);
    return 0;
}

static int run_set(const char* line, const char*)
{
    apply_set_option(line);
    return 0;
}

const CommandRow COMMANDS[] = {
    {"exit", 0, 0, run_exit},
    {"help", 0, '?', run_help},
    {"server", 0, 0, run_server},
    {"addserver", 4, 0, run_addserver},   // and any word that begins with "adds"
    {"find", 0, 0, run_find},
    {"root", 0, 0, run_root},
    {"set", 0, 0, run_set},
};
const int COMMAND_COUNT = sizeof COMMANDS / sizeof COMMANDS[0];

const CommandRow* find_command(const char* word)
{
    for (const CommandRow& c : COMMANDS) {
        if (c.also && word[0] == c.also)
            return &c;
        // Most first words are names: the first letter (the words are in
        // lower case) turns them away from most rows at once.
        if (lower_ascii(word[0]) != c.word[0])
            continue;
        if (c.least > 0 ? begins_with(word, c.word, static_cast<std::size_t>(c.least)) : same_text(word, c.word))
            return &c;
    }
    return nullptr;
}

int run_command(const char* line)
{
    char word[LINE_SIZE];
    const char* rest = scan_word(line, word);
    const CommandRow* command = find_command(word);
    if (!command) {
        lookup_word(word);
        return 0;
    }
    return command->run(line, rest);
}

int command_loop()
{
    // Standard input and output stay what they are for the whole session.
    output_settings.escape_texts = output_is_terminal();
    output_settings.pause_waits = input_is_terminal();
    std::fputs(BANNER, stdout);
    find_system_servers();
    std::fputs("Type \"help\" for help\n", stdout);
    char line[LINE_SIZE];
    for (;;) {
        page_line_count = 0;
        // The end of input ends the session as `exit` does.
        if (read_command_line(">", line, sizeof line) < 0)
            break;
        if (run_command(line))
            break;
    }
    std::fflush(stdout);
    return 0;
}
