// POSIX backend: BSD sockets with poll, termios for the key wait, /etc/resolv.conf.
#include "platform/platform.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#ifdef KESTREL_HAVE_LIBEDIT
#include <dlfcn.h>
#include <histedit.h>
#endif

namespace {

sockaddr_in make_address(std::uint32_t address, std::uint16_t port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = address;
    return sa;
}

int fd_of(Socket s) { return static_cast<int>(s); }

Socket open_socket(int type)
{
    int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    return fd < 0 ? NO_SOCKET : static_cast<Socket>(fd);
}

// Puts the terminal on fd into raw mode for as long as it lives. No input is
// flushed either way: a key typed before the pause still answers it, as on a
// console, and nothing typed after the key is lost.
struct RawTerminal {
    int fd;
    termios saved{};
    bool active = false;
    explicit RawTerminal(int f) : fd(f)
    {
        if (tcgetattr(fd, &saved) != 0)
            return;
        termios raw = saved;
        raw.c_lflag &= ~(ICANON | ECHO | ISIG | IEXTEN);
        raw.c_iflag &= ~(IXON | ICRNL);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        active = tcsetattr(fd, TCSADRAIN, &raw) == 0;
    }
    ~RawTerminal()
    {
        if (active)
            tcsetattr(fd, TCSADRAIN, &saved);
    }
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;
};

// One byte from fd within ms milliseconds (-1 waits for ever); -1 when none came.
int read_byte(int fd, int ms)
{
    pollfd p{fd, POLLIN, 0};
    int r;
    while ((r = poll(&p, 1, ms)) < 0 && errno == EINTR) {
    }
    if (r <= 0)
        return -1;
    unsigned char c;
    ssize_t n;
    while ((n = read(fd, &c, 1)) < 0 && errno == EINTR) {
    }
    return n == 1 ? c : -1;
}

// Reads the rest of a function or cursor key whose ESC and introducer ('[' for
// CSI, 'O' for SS3) have been read: parameter and intermediate bytes, then the
// final byte. The Linux console's F1 to F5 put a second '[' before the final
// letter (ESC [ [ A to ESC [ [ E).
void skip_key_sequence(int fd, int introducer)
{
    int b = read_byte(fd, 30);
    if (introducer == '[' && b == '[')
        b = read_byte(fd, 30);
    while (b >= 0x20 && b <= 0x3F)
        b = read_byte(fd, 30);
}

// Ctrl+C: the handler only notes it. It is installed without SA_RESTART, so a
// read or a wait that it falls into returns with EINTR and can look at the note.
volatile std::sig_atomic_t interrupt_noted = 0;
bool watching_interrupts = false;

void note_interrupt(int) { interrupt_noted = 1; }

// A program started with Ctrl+C ignored (in the background of a shell without
// job control) keeps ignoring it.
void watch_interrupts()
{
    struct sigaction before {};
    if (!isatty(STDIN_FILENO) || sigaction(SIGINT, nullptr, &before) != 0 || before.sa_handler == SIG_IGN)
        return;
    struct sigaction noting {};
    noting.sa_handler = note_interrupt;
    sigemptyset(&noting.sa_mask);
    watching_interrupts = sigaction(SIGINT, &noting, nullptr) == 0;
}

// poll that a Ctrl+C before or during the wait ends. SIGINT is held back from
// the look at the note until ppoll lets it in, so that one arriving in between
// is not slept through.
int poll_unless_interrupted(pollfd& p, int milliseconds)
{
    sigset_t sigint, before, during;
    sigemptyset(&sigint);
    sigaddset(&sigint, SIGINT);
    sigprocmask(SIG_BLOCK, &sigint, &before);
    during = before;
    sigdelset(&during, SIGINT);
    timespec limit{milliseconds / 1000, milliseconds % 1000 * 1000000L};
    int r;
    for (;;) {
        if (interrupt_noted) {
            r = WAIT_INTERRUPTED;
            break;
        }
        r = ppoll(&p, 1, milliseconds < 0 ? nullptr : &limit, &during);
        if (r >= 0 || errno != EINTR)
            break;
    }
    int error = r == WAIT_INTERRUPTED ? EINTR : errno;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    errno = error;
    return r;
}

} // namespace

int net_start() { return NET_READY; }
void net_cleanup() {}

Socket open_udp_socket() { return open_socket(SOCK_DGRAM); }
Socket open_tcp_socket() { return open_socket(SOCK_STREAM); }

void close_socket(Socket s)
{
    if (s != NO_SOCKET)
        close(fd_of(s));
}

int set_nonblocking(Socket s)
{
    int flags = fcntl(fd_of(s), F_GETFL, 0);
    if (flags < 0 || fcntl(fd_of(s), F_SETFL, flags | O_NONBLOCK) < 0)
        return -1;
    return 0;
}

int send_datagram(Socket s, const void* data, int length, std::uint32_t address, std::uint16_t port)
{
    sockaddr_in sa = make_address(address, port);
    ssize_t n = sendto(fd_of(s), data, static_cast<size_t>(length), 0,
                       reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    return n < 0 ? -1 : static_cast<int>(n);
}

int receive_datagram(Socket s, void* data, int size, std::uint32_t* from_address, std::uint16_t* from_port,
                     bool* cut)
{
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    // With MSG_TRUNC the result is the datagram's whole length, however much of it fitted.
    ssize_t n = recvfrom(fd_of(s), data, static_cast<size_t>(size), MSG_TRUNC,
                         reinterpret_cast<sockaddr*>(&sa), &len);
    if (n < 0)
        return -1;
    if (from_address)
        *from_address = sa.sin_addr.s_addr;
    if (from_port)
        *from_port = ntohs(sa.sin_port);
    *cut = n > size;
    return *cut ? size : static_cast<int>(n);
}

int start_connect(Socket s, std::uint32_t address, std::uint16_t port)
{
    sockaddr_in sa = make_address(address, port);
    if (connect(fd_of(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0)
        return 0;
    return errno == EINPROGRESS ? 0 : -1;
}

int send_stream(Socket s, const void* data, int length)
{
    ssize_t n = send(fd_of(s), data, static_cast<size_t>(length), MSG_NOSIGNAL);
    return n < 0 ? -1 : static_cast<int>(n);
}

int receive_stream(Socket s, void* data, int size)
{
    ssize_t n = recv(fd_of(s), data, static_cast<size_t>(size), 0);
    return n < 0 ? -1 : static_cast<int>(n);
}

int wait_socket(Socket s, int for_read, int milliseconds)
{
    pollfd p{fd_of(s), static_cast<short>(for_read ? POLLIN : POLLOUT), 0};
    if (watching_interrupts) {
        int r = poll_unless_interrupted(p, milliseconds);
        return r > 0 ? 1 : r == 0 ? 0 : r == WAIT_INTERRUPTED ? WAIT_INTERRUPTED : -1;
    }
    for (;;) {
        int r = poll(&p, 1, milliseconds);
        if (r > 0)
            return 1;
        if (r == 0)
            return 0;
        if (errno != EINTR)
            return -1;
    }
}

bool interrupted() { return interrupt_noted != 0; }
void clear_interrupt() { interrupt_noted = 0; }

int last_socket_error() { return errno; }
const char* socket_error_text(int code) { return std::strerror(code); }

std::int64_t monotonic_ms()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

std::uint32_t address_from_text(const char* text) { return inet_addr(text); }

// The text inet_ntoa gives, four decimal octets in network order, made here
// because glibc's goes through snprintf.
const char* address_to_text(std::uint32_t address)
{
    static char text[sizeof "255.255.255.255"];
    std::uint8_t octets[4];
    std::memcpy(octets, &address, 4);
    char* p = text;
    for (int i = 0; i < 4; ++i) {
        unsigned v = octets[i];
        if (v >= 100)
            *p++ = static_cast<char>('0' + v / 100);
        if (v >= 10)
            *p++ = static_cast<char>('0' + v / 10 % 10);
        *p++ = static_cast<char>('0' + v % 10);
        *p++ = i < 3 ? '.' : '\0';
    }
    return text;
}

int resolve_host(const char* name, std::vector<std::uint32_t>& out)
{
    hostent* h = gethostbyname(name);
    if (!h)
        return -1;
    if (h->h_addrtype != AF_INET || h->h_length != 4 || !h->h_addr_list)
        return 0;
    for (char** p = h->h_addr_list; *p; ++p) {
        std::uint32_t a;
        std::memcpy(&a, *p, 4);
        out.push_back(a);
    }
    return 0;
}

const char* protocol_name(int number)
{
    protoent* p = getprotobynumber(number);
    return p ? p->p_name : nullptr;
}

// Standard input is read in blocks of our own, so that we can tell whether the
// next whole line is already at hand and reading it cannot block.
namespace {

char input_block[65536];
size_t input_pos = 0;
size_t input_end = 0;
bool input_ended = false;

// What a reader of a line gives when Ctrl+C dropped the line.
constexpr int LINE_DROPPED = -2;

// Reads the next block of input once the last is used up: 0, -1 at the end of
// input, LINE_DROPPED when Ctrl+C came first.
int fill_input()
{
    if (input_pos < input_end)
        return 0;
    if (input_ended)
        return -1;
    // A Ctrl+C just before the read would not end it: at a terminal the
    // wait for input is made where SIGINT is let in only during the wait.
    pollfd p{STDIN_FILENO, POLLIN, 0};
    if (watching_interrupts && poll_unless_interrupted(p, -1) == WAIT_INTERRUPTED)
        return LINE_DROPPED;
    ssize_t n;
    while ((n = read(STDIN_FILENO, input_block, sizeof input_block)) < 0 && errno == EINTR)
        if (interrupt_noted)
            return LINE_DROPPED;
    if (n <= 0) {
        input_ended = true;
        return -1;
    }
    input_pos = 0;
    input_end = static_cast<size_t>(n);
    return 0;
}

bool line_at_hand()
{
    return std::memchr(input_block + input_pos, '\n', input_end - input_pos) != nullptr;
}

} // namespace

// Lines from a pipe or a file, and from a terminal when there is no line editor.
// Everything printed is flushed before the program can wait for a line; while
// the next line is already at hand (a file or a batch in a pipe) the output is
// held back, so a long batch is written in large blocks and not once a lookup.
// A terminal gives one line per read, so a prompt there is always flushed.
static int read_plain_line(const char* prompt, char* line, int size)
{
    std::fputs(prompt, stdout);
    if (!line_at_hand())
        std::fflush(stdout);
    int kept = 0, got;
    bool any = false;
    // Each pass takes what the block holds of the line, up to its end.
    while ((got = fill_input()) == 0) {
        any = true;
        const char* start = input_block + input_pos;
        size_t left = input_end - input_pos;
        auto end = static_cast<const char*>(std::memchr(start, '\n', left));
        size_t span = end ? static_cast<size_t>(end - start) : left;
        size_t take = span < static_cast<size_t>(size - 1 - kept) ? span : static_cast<size_t>(size - 1 - kept);
        std::memcpy(line + kept, start, take);
        kept += static_cast<int>(take);
        input_pos += end ? span + 1 : span;
        if (end)
            break;
    }
    line[kept] = '\0';
    if (got == LINE_DROPPED) {
        // The terminal has echoed ^C and dropped the line typed so far.
        input_pos = input_end;
        std::fputc('\n', stdout);
        return LINE_DROPPED;
    }
    return any ? kept : -1;
}

#ifdef KESTREL_HAVE_LIBEDIT
// Lines typed at a terminal go through libedit: editing keys, a history of this
// run's lines (never written to a file) and Tab completion through complete_word.
// libedit sets its own terminal modes only inside el_gets and puts the saved ones
// back before returning, so the pager's key wait never meets them.
namespace {

// libedit is loaded when the first line is read at a terminal: a batch read
// from a pipe or a file never maps it, nor the terminal libraries it brings.
// Where it cannot be loaded, lines are read plainly.
struct EditLibrary {
    decltype(&::el_init) el_init;
    decltype(&::el_set) el_set;
    decltype(&::el_gets) el_gets;
    decltype(&::el_line) el_line;
    decltype(&::el_insertstr) el_insertstr;
    decltype(&::el_deletestr) el_deletestr;
    decltype(&::el_cursor) el_cursor;
    decltype(&::el_push) el_push;
    decltype(&::history_init) history_init;
    decltype(&::history) history;
};
EditLibrary edit;

template <typename Function>
bool find_function(void* library, const char* name, Function& slot)
{
    slot = reinterpret_cast<Function>(dlsym(library, name));
    return slot != nullptr;
}

bool load_edit_library()
{
    void* library = nullptr;
    for (const char* name : {"libedit.so.2", "libedit.so.0", "libedit.so"})
        if ((library = dlopen(name, RTLD_NOW | RTLD_LOCAL)) != nullptr)
            break;
    return library && find_function(library, "el_init", edit.el_init) &&
           find_function(library, "el_set", edit.el_set) && find_function(library, "el_gets", edit.el_gets) &&
           find_function(library, "el_line", edit.el_line) &&
           find_function(library, "el_insertstr", edit.el_insertstr) &&
           find_function(library, "el_deletestr", edit.el_deletestr) &&
           find_function(library, "el_cursor", edit.el_cursor) && find_function(library, "el_push", edit.el_push) &&
           find_function(library, "history_init", edit.history_init) &&
           find_function(library, "history", edit.history);
}

EditLine* editor = nullptr;
History* line_history = nullptr;
const char* editor_prompt_text = "";
bool editing = false;        // decided at the first line
bool line_dropped = false;   // Ctrl+C ended the line el_gets gives

char* editor_prompt(EditLine*) { return const_cast<char*>(editor_prompt_text); }

// Lists completions (without the blank that may follow each) in columns, down
// each column first as ls does, as many columns as the terminal's width holds,
// so that no word is split between two lines.
void list_in_columns(const std::vector<std::string>& words)
{
    winsize size{};
    int width = ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    std::vector<std::string> shown;
    size_t longest = 0;
    for (const std::string& w : words) {
        shown.push_back(w.back() == ' ' ? w.substr(0, w.size() - 1) : w);
        longest = std::max(longest, shown.back().size());
    }
    size_t step = longest + 2;   // two blanks between columns, none after the last
    size_t columns = std::max<size_t>(1, (static_cast<size_t>(width) + 2) / step);
    size_t rows = (shown.size() + columns - 1) / columns;
    for (size_t r = 0; r < rows; ++r) {
        for (size_t i = r; i < shown.size(); i += rows) {
            bool last = i + rows >= shown.size();
            std::fprintf(stdout, "%-*s", last ? 0 : static_cast<int>(step), shown[i].c_str());
        }
        std::fputc('\n', stdout);
    }
}

// Tab: a single completion, or the longer beginning all completions share, replaces
// the typed word; otherwise the completions are listed under the line.
unsigned char complete_at_cursor(EditLine* el, int)
{
    if (!complete_word)
        return CC_ERROR;
    const LineInfo* info = edit.el_line(el);
    std::string before(info->buffer, static_cast<size_t>(info->cursor - info->buffer));
    std::vector<std::string> words;
    int start = complete_word(before.c_str(), words);
    if (words.empty() || start < 0 || start > static_cast<int>(before.size()))
        return CC_ERROR;
    std::string shared = words[0];
    for (const std::string& w : words) {
        size_t n = 0;
        while (n < shared.size() && n < w.size() && shared[n] == w[n])
            ++n;
        shared.resize(n);
    }
    int typed = static_cast<int>(before.size()) - start;
    if (words.size() == 1 || static_cast<int>(shared.size()) > typed) {
        edit.el_deletestr(el, typed);
        return edit.el_insertstr(el, shared.c_str()) == 0 ? CC_REFRESH : CC_ERROR;
    }
    std::fputc('\n', stdout);
    list_in_columns(words);
    std::fflush(stdout);
    return CC_REDISPLAY;
}

// Ctrl+C while a line is typed (the terminal's interrupt key is off while
// libedit edits): the line is marked ^C, as a shell marks it, and ended as
// Enter ends it, so that the cursor goes below all of it; the reader drops it.
unsigned char drop_line(EditLine* el, int)
{
    const LineInfo* info = edit.el_line(el);
    edit.el_cursor(el, static_cast<int>(info->lastchar - info->cursor));
    edit.el_insertstr(el, "^C");
    edit.el_push(el, "\n");
    line_dropped = true;
    return CC_REFRESH;
}

int start_editor()
{
    if (!load_edit_library())
        return -1;
    editor = edit.el_init("kestrel", stdin, stdout, stderr);
    line_history = edit.history_init();
    if (!editor || !line_history)
        return -1;
    HistEvent event;
    edit.history(line_history, &event, H_SETSIZE, 500);
    edit.history(line_history, &event, H_SETUNIQUE, 1);
    edit.el_set(editor, EL_EDITOR, "emacs");
    edit.el_set(editor, EL_SIGNAL, 1);   // a signal while editing restores the terminal first
    edit.el_set(editor, EL_PROMPT, editor_prompt);
    edit.el_set(editor, EL_HIST, edit.history, line_history);
    edit.el_set(editor, EL_ADDFN, "kestrel-complete", "complete the word before the cursor", complete_at_cursor);
    edit.el_set(editor, EL_BIND, "^I", "kestrel-complete", nullptr);
    // The interrupt key reaches the editor as a key, which drops the line; outside
    // the editor it is the terminal's interrupt again.
    edit.el_set(editor, EL_SETTY, "-d", "-intr", nullptr);
    edit.el_set(editor, EL_ADDFN, "kestrel-drop-line", "drop the line and prompt afresh", drop_line);
    edit.el_set(editor, EL_BIND, "^C", "kestrel-drop-line", nullptr);
    // The keys people expect of a shell line, whatever the terminal description says.
    static const char* const BINDINGS[][2] = {
        {"^W", "ed-delete-prev-word"}, {"^U", "vi-kill-line-prev"},
        {"\\e[H", "ed-move-to-beg"},   {"\\e[F", "ed-move-to-end"},
        {"\\eOH", "ed-move-to-beg"},   {"\\eOF", "ed-move-to-end"},
        {"\\e[1~", "ed-move-to-beg"},  {"\\e[4~", "ed-move-to-end"},
        {"\\e[7~", "ed-move-to-beg"},  {"\\e[8~", "ed-move-to-end"},
        {"\\e[3~", "ed-delete-next-char"},
        {"\\e[1;5D", "ed-prev-word"},  {"\\e[1;5C", "em-next-word"},
        {"\\e[1;3D", "ed-prev-word"},  {"\\e[1;3C", "em-next-word"},
    };
    for (const auto& b : BINDINGS)
        edit.el_set(editor, EL_BIND, b[0], b[1], nullptr);
    return 0;
}

int read_edited_line(const char* prompt, char* line, int size)
{
    editor_prompt_text = prompt;
    std::fflush(stdout);
    int count = 0;
    const char* text = edit.el_gets(editor, &count);
    if (line_dropped) {
        line_dropped = false;
        return LINE_DROPPED;
    }
    if (!text || count <= 0) {
        // Ctrl+D on an empty line: end the prompt's line before the program ends.
        std::fputc('\n', stdout);
        return -1;
    }
    int kept = 0;
    while (kept < count && text[kept] != '\n' && kept < size - 1) {
        line[kept] = text[kept];
        ++kept;
    }
    line[kept] = '\0';
    if (kept > 0) {
        HistEvent event;
        std::string entry(text, static_cast<size_t>(count));
        if (entry.back() == '\n')
            entry.pop_back();
        edit.history(line_history, &event, H_ENTER, entry.c_str());
    }
    return kept;
}

} // namespace
#endif

int read_command_line(const char* prompt, char* line, int size)
{
    static bool started = false;
    if (!started) {
        started = true;
        watch_interrupts();
#ifdef KESTREL_HAVE_LIBEDIT
        editing = isatty(STDIN_FILENO) && isatty(STDOUT_FILENO) && start_editor() == 0;
#endif
    }
    for (;;) {
        clear_interrupt();
#ifdef KESTREL_HAVE_LIBEDIT
        int n = editing ? read_edited_line(prompt, line, size) : read_plain_line(prompt, line, size);
#else
        int n = read_plain_line(prompt, line, size);
#endif
        if (n != LINE_DROPPED) {
            // A Ctrl+C that came while the line was read belongs to the line,
            // not to the command it holds.
            clear_interrupt();
            return n;
        }
    }
}

bool input_is_terminal() { return isatty(STDIN_FILENO) != 0; }
bool output_is_terminal() { return isatty(STDOUT_FILENO) != 0; }

int wait_for_key()
{
    int fd = STDIN_FILENO;
    if (!isatty(fd))
        return -1;
    std::fflush(stdout);
    RawTerminal raw(fd);
    if (!raw.active)
        return -1;
    for (;;) {
        int c = read_byte(fd, -1);
        if (c < 0)
            return -1;
        if (c == 0x1B) {
            // A lone Escape is a key; ESC [ ... or ESC O ... is a cursor or function key.
            int next = read_byte(fd, 30);
            if (next < 0)
                return 0;
            if (next == '[' || next == 'O')
                skip_key_sequence(fd, next);
            continue;
        }
        // Take the rest of a multi-byte character too, so none of it reaches the next line.
        if (c >= 0xC0) {
            int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
            while (more-- > 0 && read_byte(fd, 30) >= 0) {
            }
        }
        return 0;
    }
}

int system_dns_servers(std::vector<std::string>& out)
{
    FILE* f = std::fopen("/etc/resolv.conf", "r");
    if (!f)
        return -1;
    static const char BLANKS[] = " \t\n\v\f\r";
    char text[512];
    while (std::fgets(text, sizeof text, f)) {
        // The line's first word is "nameserver", and its second an IPv4 address.
        const char* p = text + std::strspn(text, BLANKS);
        std::size_t n = std::strcspn(p, BLANKS);
        if (n != 10 || std::strncmp(p, "nameserver", n) != 0)
            continue;
        p += n + std::strspn(p + n, BLANKS);
        std::string value(p, std::strcspn(p, BLANKS));
        in_addr a{};
        if (inet_pton(AF_INET, value.c_str(), &a) == 1)
            out.push_back(value);
    }
    std::fclose(f);
    return 0;
}

// POSIX systems have no IP configuration tool that writes its DNS servers into a
// file; /etc/resolv.conf is their only source.
int has_ip_config_tool() { return 0; }

int make_temp_file(const char* prefix, std::string& name)
{
    std::string pattern = std::string("/tmp/") + prefix + "XXXXXX";
    std::vector<char> path(pattern.begin(), pattern.end());
    path.push_back('\0');
    int fd = mkstemp(path.data());
    if (fd < 0)
        return -1;
    close(fd);
    name = path.data();
    return 0;
}

int remove_file(const char* name) { return unlink(name) == 0 ? 0 : -1; }

int run_system_tool(const char*, const char*, int) { return RUN_NOT_STARTED; }
