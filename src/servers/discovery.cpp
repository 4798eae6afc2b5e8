#include "servers/discovery.h"

#include "platform/platform.h"
#include "servers/config_parser.h"
#include "servers/server_list.h"

#include <cstdio>
#include <string>
#include <vector>

static const char FOUND[] = " found         \n";
static const char NOT_FOUND[] = "not found! Add server manually\n";
static const char CANNOT_RUN[] = "Cannot run ipconfig or winipcfg. Does your windows have such programs?\n";
static const int TOOL_WAIT_MS = 5000;
// Each line of the tool's output is read into this many characters, the
// terminator included; a longer line arrives in pieces.
static const int CONFIG_LINE_SIZE = 100;

// The servers that the system's service named, announced on one line as they
// are appended: each text is printed before it is added, whatever the add says.
// Standard output is flushed before each add, so that a failure report of the
// add (on standard error) stands after the text it concerns on the console.
static void add_named_servers(const std::vector<std::string>& servers)
{
    for (size_t i = 0; i < servers.size(); ++i) {
        std::fputs(i == 0 ? "DNS server " : ", ", stdout);
        std::fputs(servers[i].c_str(), stdout);
        std::fflush(stdout);
        add_server(servers[i].c_str());
    }
    std::fputs(FOUND, stdout);
}

int add_config_servers(const std::string& text)
{
    bool continuation = false;
    int printed = 0;
    // In the pieces that a line reader with a buffer of CONFIG_LINE_SIZE gives:
    // a line with its end, or the first 99 characters of a longer one.
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find('\n', pos);
        std::size_t n = (end == std::string::npos ? text.size() : end + 1) - pos;
        if (n > CONFIG_LINE_SIZE - 1)
            n = CONFIG_LINE_SIZE - 1;
        std::string piece = text.substr(pos, n);
        pos += n;
        std::string server = parse_config_line(piece.c_str(), continuation);
        if (server.empty() || add_server(server.c_str()) != 0)
            continue;
        if (printed > 0)
            std::fputs(", ", stdout);
        std::fputs(server.c_str(), stdout);
        std::fflush(stdout);
        ++printed;
    }
    return printed;
}

// The text of a configuration file, as far as CONFIG_FILE_LIMIT: 0, or -1 when
// it is no regular file or cannot be read. A line that the limit cuts is left
// out, so that no server is taken from a part of one.
static int read_whole_lines(const char* name, std::string& text)
{
    int read = read_config_file(name, text, CONFIG_FILE_LIMIT);
    if (read == 1) {
        std::size_t last_end = text.rfind('\n');
        text.erase(last_end == std::string::npos ? 0 : last_end + 1);
    }
    return read < 0 ? -1 : 0;
}

// The tool takes the file name as one argument, so a name with blanks in it is
// quoted; any other name goes as it is.
static std::string file_argument(const std::string& name)
{
    if (name.find_first_of(" \t") == std::string::npos)
        return name;
    return "\"" + name + "\"";
}

// Runs the IP configuration tool with its output sent to a temporary file and
// reads the servers out of that file. The list holds only what is found here.
static void read_config_tool()
{
    std::fputs("Loading DNS servers...\r", stdout);
    std::fflush(stdout);   // the progress text shows while the tool runs
    clear_servers();
    // Without a file of its own the tool is not run: a fixed name in a shared
    // folder could be a file that someone else put there, and its servers would
    // be taken.
    std::string file;
    if (make_temp_file("kst", file) != 0) {
        std::fputs(CANNOT_RUN, stdout);
        return;
    }
    std::string arguments = "/all /batch " + file_argument(file);
    ToolRun run = run_system_tool("ipconfig", arguments.c_str(), TOOL_WAIT_MS);
    if (run == RUN_NOT_STARTED)
        run = run_system_tool("winipcfg", arguments.c_str(), TOOL_WAIT_MS);
    if (run == RUN_NOT_STARTED) {
        std::fputs(CANNOT_RUN, stdout);
        remove_file(file.c_str());
        return;
    }
    if (run == RUN_NO_END) {
        // The tool may still hold the file; the removal is tried all the same.
        std::fputs("ipconfig.exe timeout error?             ", stdout);
        remove_file(file.c_str());
        return;
    }
    std::fputs("                                     \r", stdout);
    std::string text;
    if (read_whole_lines(file.c_str(), text) != 0) {
        std::fputs("error opening file              ", stdout);
        remove_file(file.c_str());
        return;
    }
    std::fputs("DNS server ", stdout);
    std::fflush(stdout);
    int printed = add_config_servers(text);
    std::fputs(printed > 0 ? FOUND : NOT_FOUND, stdout);
    remove_file(file.c_str());
}

// The servers the system names, in its order: from its resolver configuration
// file where it has one, else from its service. 0 when they could be asked for
// (even when there are none), -1 when not.
static int ask_system(std::vector<std::string>& servers)
{
    const char* file_name = resolver_config_file();
    if (!file_name)
        return system_dns_servers(servers);
    std::string text;
    if (read_whole_lines(file_name, text) != 0)
        return -1;
    read_resolv_conf(text, servers);
    return 0;
}

void find_system_servers()
{
    std::vector<std::string> servers;
    int asked = ask_system(servers);
    if (asked == 0 && !servers.empty()) {
        add_named_servers(servers);
        return;
    }
    if (asked == -1 && has_ip_config_tool()) {
        read_config_tool();
        return;
    }
    // The system names no server (or its list cannot be read and there is no
    // tool to ask): nothing is added, and the list ends empty as after a tool
    // that found nothing.
    clear_servers();
    std::fputs("DNS server ", stdout);
    std::fputs(NOT_FOUND, stdout);
}
