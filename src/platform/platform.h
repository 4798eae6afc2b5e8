// The only door to the operating system: sockets, the console, the system's
// DNS configuration, processes and temporary files. Two backends implement
// exactly this vocabulary, each arranged by concern in files of the same names
// (posix/ and win32/: sockets, console, interrupt, system; the POSIX line
// editor beside them), and what both do alike is written once here (names.cpp).
// Nothing outside src/platform includes a system header for these things.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// ---- the socket layer -------------------------------------------------------

// A socket handle wide enough for both a POSIX descriptor and a Winsock SOCKET.
using Socket = std::uintptr_t;
constexpr Socket NO_SOCKET = ~Socket(0);

// Result of net_start.
enum NetStart {
    NET_READY,
    NET_REFUSED,         // the socket layer would not start
    NET_WRONG_VERSION,   // it started, but not as version 1.1
};

// Starts the socket layer (Windows Sockets 1.1); on POSIX there is nothing to start.
NetStart net_start();
// Undoes one net_start.
void net_cleanup();

Socket open_udp_socket();
Socket open_tcp_socket();
void close_socket(Socket s);
// 0, or -1 when the socket refuses non-blocking mode.
int set_nonblocking(Socket s);

// Addresses are IPv4 in network byte order; ports in host order.
// Octets sent, or -1.
int send_datagram(Socket s, const void* data, int length, std::uint32_t address, std::uint16_t port);
// Octets received into data (at most size), or -1; the sender is stored when
// asked for. A datagram longer than size leaves its first size octets in data
// and sets *cut; otherwise *cut is false.
int receive_datagram(Socket s, void* data, int size, std::uint32_t* from_address, std::uint16_t* from_port,
                     bool* cut);
// 0 when the connection is made or under way, -1 on any other failure.
int start_connect(Socket s, std::uint32_t address, std::uint16_t port);
// Octets sent, or -1.
int send_stream(Socket s, const void* data, int length);
// Octets read, 0 when the peer closed, -1 on failure (including "no data yet").
int receive_stream(Socket s, void* data, int size);
// Result of wait_socket when the user pressed Ctrl+C (see interrupted below).
constexpr int WAIT_INTERRUPTED = -2;
// 1 when s is readable (for_read) or writable, 0 when the time ran out, -1 when
// the wait failed. WAIT_INTERRUPTED, at once or within a tenth of a second, once
// interrupted() is true; last_socket_error() then gives the system's code for
// an interrupted call (EINTR, WSAEINTR). A negative milliseconds waits for ever.
int wait_socket(Socket s, int for_read, int milliseconds);
// The error code of the last failed socket operation, and its text.
int last_socket_error();
const char* socket_error_text(int code);
// A clock for deadlines, in milliseconds, never going back.
std::int64_t monotonic_ms();

// ---- randomness --------------------------------------------------------------

// Fills out with size octets from the system's source of unpredictable
// numbers: 0, or -1 when it cannot give them (POSIX gives at most 256 at once).
int system_random(void* out, int size);

// ---- names and addresses ----------------------------------------------------

constexpr std::uint32_t ADDRESS_NONE = 0xFFFFFFFFu;
// inet_addr: the address of a dotted text, or ADDRESS_NONE.
std::uint32_t address_from_text(const char* text);
// gethostbyname: -1 when the host is unknown; otherwise 0 with its IPv4
// addresses, in the order the system gives them, appended to out (possibly none).
int resolve_host(const char* name, std::vector<std::uint32_t>& out);
// getprotobynumber: the protocol's name, or nullptr when the system has none.
const char* protocol_name(int number);

// ---- the console ------------------------------------------------------------

// Prints prompt, then reads one line of standard input without its line end.
// At most size-1 bytes are kept; the rest of a longer line is read and dropped.
// Returns the number of bytes kept, or -1 at the end of input. Ctrl+C at a
// terminal drops the line typed so far and prompts again (see Ctrl+C below).
int read_command_line(const char* prompt, char* line, int size);
// Whether standard input, or standard output, is a terminal (on Windows, a console).
bool input_is_terminal();
bool output_is_terminal();
// The width of the terminal of standard output in columns, 80 when it has none.
int terminal_width();
// Waits for one key press that gives a character, without echo, and consumes
// it; returns at once when standard input is no console, and when reading it
// fails. Whatever ends the program during the wait (SIGTERM, SIGHUP or SIGQUIT;
// Ctrl+Break or the closing of the window) puts the terminal's modes back
// first, and SIGTSTP stops it with them put back.
void wait_for_key();
// Tab at a terminal. The shell may point complete_line at a function that is
// given the line up to the cursor and says what Tab does there: either insert
// takes the place of the last `replace` characters before the cursor, or, with
// insert empty, the text of listing (whole lines) is shown below the line being
// typed. It returns false when Tab does nothing. Only the POSIX line editor
// calls it; the Windows console edits lines itself.
struct TabAction {
    int replace;
    std::string insert;
    std::string listing;
};
using CompleteFunction = bool (*)(const char* before_cursor, TabAction& action);
inline CompleteFunction complete_line = nullptr;

// ---- Ctrl+C ----------------------------------------------------------------

// From the first read_command_line on, when standard input is a terminal (the
// console on Windows), Ctrl+C does not end the program: at the prompt it drops
// the line being typed and the prompt is shown afresh; anywhere else it only
// marks an interrupt, which the program asks for with interrupted() and which
// cuts wait_socket short. At the pager's key wait it is a key like any other.
// With standard input from a pipe or a file nothing is installed, and Ctrl+C
// ends the program as a signal does.

// True when Ctrl+C was pressed since the last clear_interrupt() or the last
// line read: read_command_line clears it before it waits for a line and again
// once it has one, so a command sees only the Ctrl+C pressed while it runs.
bool interrupted();
void clear_interrupt();

// ---- the system's configuration ----------------------------------------------

// The file in which the system names its DNS servers in "nameserver" lines
// (/etc/resolv.conf), or nullptr where a service names them (Windows).
const char* resolver_config_file();
// The DNS servers that the system's service names (IP Helper on Windows), as
// IPv4 address texts appended to out in the system's order. 0 when the service
// answered, even with no server; -1 when it could not be asked at all, as where
// there is no such service (POSIX).
int system_dns_servers(std::vector<std::string>& out);

// Appends the file name to text, at most limit (0 or more) octets of it (on Windows as
// the C library's text mode gives them), and only when it is a regular file:
// it is opened without waiting, so that a FIFO or a device put in its place
// neither stalls nor floods the reading. 0 when text holds all of the file, 1
// when the file held more and text stops after limit octets, -1 when it is no
// regular file or cannot be read.
int read_config_file(const char* name, std::string& text, int limit);

// 1 when the system has an IP configuration tool (ipconfig, winipcfg) that can
// write its settings into a file, 0 when it has none.
int has_ip_config_tool();
// Makes a new, empty temporary file whose name starts with prefix and puts its
// name into name: 0, or -1 when no file was made.
int make_temp_file(const char* prefix, std::string& name);
// Deletes a file: 0, or -1.
int remove_file(const char* name);

// Result of run_system_tool.
enum ToolRun {
    RUN_ENDED,         // the tool ran and ended in time
    RUN_NOT_STARTED,   // it could not be started
    RUN_NO_END,        // it was still running at the time limit, or the wait failed
};
// Runs one of the system's own tools (tool: its name, as "ipconfig") with the
// given arguments, and waits at most milliseconds for it to end. The tool
// inherits none of the program's handles, its standard streams among them: it
// writes into a file named in its arguments. A tool that does not end in time
// is ended, with whatever it started, and waited for, so that it no longer
// holds that file when this returns. The tool is taken from the system's own
// folders only, never from the program's folder, the current folder or PATH,
// where anyone who can write there could put a program of the same name.
ToolRun run_system_tool(const char* tool, const char* arguments, int milliseconds);
