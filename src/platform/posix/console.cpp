// The console on POSIX: lines of standard input (plainly, or through the line
// editor at a terminal), the terminal's width, and the pager's key wait in the
// terminal's raw mode.
#include "platform/platform.h"
#include "platform/posix/internal.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

// ---- lines ------------------------------------------------------------------

// Standard input is read in blocks of our own, so that we can tell whether the
// next whole line is already at hand and reading it cannot block.
namespace {

char input_block[65536];
size_t input_pos = 0;
size_t input_end = 0;
bool input_ended = false;

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
    if (interrupts_watched() && poll_unless_interrupted(p, -1) == WAIT_INTERRUPTED)
        return LINE_DROPPED;
    ssize_t n;
    while ((n = read(STDIN_FILENO, input_block, sizeof input_block)) < 0 && errno == EINTR)
        if (interrupted())
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

// Lines from a pipe or a file, and from a terminal when there is no line editor.
// Everything printed is flushed before the program can wait for a line; while
// the next line is already at hand (a file or a batch in a pipe) the output is
// held back, so a long batch is written in large blocks and not once a lookup.
// A terminal gives one line per read, so a prompt there is always flushed.
int read_plain_line(const char* prompt, char* line, int size)
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
        // The terminal has echoed ^C and dropped the line typed so far;
        // the block was used up before the wait that Ctrl+C ended.
        std::fputc('\n', stdout);
        return LINE_DROPPED;
    }
    return any ? kept : -1;
}

bool editing = false;   // decided at the first line

} // namespace

int read_command_line(const char* prompt, char* line, int size)
{
    static bool started = false;
    if (!started) {
        started = true;
        watch_interrupts();
        editing = isatty(STDIN_FILENO) && isatty(STDOUT_FILENO) && start_line_editor();
    }
    for (;;) {
        clear_interrupt();
        int n = editing ? read_edited_line(prompt, line, size) : read_plain_line(prompt, line, size);
        if (n != LINE_DROPPED) {
            // A Ctrl+C that came while the line was read belongs to the line,
            // not to the command it holds.
            clear_interrupt();   // the line's own
            return n;
        }
    }
}

bool input_is_terminal() { return isatty(STDIN_FILENO) != 0; }
bool output_is_terminal() { return isatty(STDOUT_FILENO) != 0; }

// TIOCGWINSZ: every Unix has it, though POSIX named a call for it (tcgetwinsize)
// only in 2024, and not every C library has that yet.
int terminal_width()
{
    winsize size{};
    return ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

// ---- the key wait -------------------------------------------------------------

namespace {

// The modes to put back and the key wait's own, set before the handlers that
// read them are installed.
int raw_terminal_fd = -1;
termios modes_before_raw{};
termios modes_of_wait{};

// The signals that end the program while it waits for a key (sent by kill, or
// by the system when the terminal goes away) first put the terminal's modes
// back, then end the program as they would have. The handler is installed with
// SA_RESETHAND and SA_NODEFER: the signal's own action is back in force and the
// signal is not blocked.
void restore_modes_and_end(int signal_number)
{
    tcsetattr(raw_terminal_fd, TCSANOW, &modes_before_raw);
    raise(signal_number);
}

// SIGTSTP from outside (the terminal's stop key is read as a key at the wait)
// stops the program with the terminal's modes put back, so that the shell finds
// them as it left them, and the wait takes its own modes again when the
// program is continued. The handler is installed with SA_NODEFER, so that the
// signal raised with its default action stops the program at once.
void stop_with_modes_back(int)
{
    int saved_errno = errno;
    tcsetattr(raw_terminal_fd, TCSANOW, &modes_before_raw);
    struct sigaction stop {}, own {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTSTP, &stop, &own);
    raise(SIGTSTP);
    sigaction(SIGTSTP, &own, nullptr);
    tcsetattr(raw_terminal_fd, TCSANOW, &modes_of_wait);
    errno = saved_errno;
}

struct KeyWaitSignal {
    int number;
    void (*handler)(int);
    unsigned flags;
};
constexpr KeyWaitSignal KEY_WAIT_SIGNALS[] = {
    {SIGTERM, restore_modes_and_end, SA_RESETHAND | SA_NODEFER},
    {SIGHUP, restore_modes_and_end, SA_RESETHAND | SA_NODEFER},
    {SIGQUIT, restore_modes_and_end, SA_RESETHAND | SA_NODEFER},
    {SIGTSTP, stop_with_modes_back, SA_NODEFER},
};
constexpr int KEY_WAIT_SIGNAL_COUNT = sizeof KEY_WAIT_SIGNALS / sizeof KEY_WAIT_SIGNALS[0];

// Puts the terminal on fd into raw mode for as long as it lives, and back into
// its modes on every way out, an ending signal included. No input is flushed
// either way: a key typed before the pause still answers it, as on a console,
// and nothing typed after the key is lost.
struct RawTerminal {
    int fd;
    termios saved{};
    bool active = false;
    // Not the last member: the bounds check of the sanitizer build passes over
    // an index past a record's last array.
    bool replaced[KEY_WAIT_SIGNAL_COUNT] = {};
    struct sigaction before[KEY_WAIT_SIGNAL_COUNT] {};
    explicit RawTerminal(int f) : fd(f)
    {
        if (tcgetattr(fd, &saved) != 0)
            return;
        termios raw = saved;
        raw.c_lflag &= ~(ICANON | ECHO | ISIG | IEXTEN);
        raw.c_iflag &= ~(IXON | ICRNL);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        raw_terminal_fd = fd;
        modes_before_raw = saved;
        modes_of_wait = raw;
        for (int i = 0; i < KEY_WAIT_SIGNAL_COUNT; ++i) {
            const KeyWaitSignal& k = KEY_WAIT_SIGNALS[i];
            struct sigaction handling {};
            handling.sa_handler = k.handler;
            handling.sa_flags = static_cast<int>(k.flags);
            sigemptyset(&handling.sa_mask);
            // A signal the program was started to ignore stays ignored.
            if (sigaction(k.number, nullptr, &before[i]) == 0 && before[i].sa_handler != SIG_IGN)
                replaced[i] = sigaction(k.number, &handling, nullptr) == 0;
        }
        active = tcsetattr(fd, TCSADRAIN, &raw) == 0;
    }
    ~RawTerminal()
    {
        if (active)
            tcsetattr(fd, TCSADRAIN, &saved);
        for (int i = 0; i < KEY_WAIT_SIGNAL_COUNT; ++i)
            if (replaced[i])
                sigaction(KEY_WAIT_SIGNALS[i].number, &before[i], nullptr);
    }
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;
};

// A terminal sends the bytes of one key together: the rest of a key is
// waited for this long, and what came by then is the whole key.
constexpr int KEY_REST_MS = 30;

// One byte from fd within ms milliseconds (-1 waits for ever); -1 when none came.
int read_byte(int fd, int ms)
{
    pollfd p{fd, POLLIN, 0};
    int r;
    while ((r = poll(&p, 1, ms)) < 0 && errno == EINTR) {
    }
    if (r <= 0)
        return -1;   // none in time
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
    int b = read_byte(fd, KEY_REST_MS);
    if (introducer == '[' && b == '[')
        b = read_byte(fd, KEY_REST_MS);
    while (b >= 0x20 && b <= 0x3F)
        b = read_byte(fd, KEY_REST_MS);
}

} // namespace

void wait_for_key()
{
    int fd = STDIN_FILENO;
    if (!isatty(fd))
        return;
    std::fflush(stdout);
    RawTerminal raw(fd);
    if (!raw.active)
        return;
    for (;;) {
        int c = read_byte(fd, -1);
        if (c < 0)
            return;
        if (c == 0x1B) {
            // A lone Escape is a key; ESC [ ... or ESC O ... is a cursor or function key.
            int next = read_byte(fd, KEY_REST_MS);
            if (next < 0)
                return;
            if (next == '[' || next == 'O')
                skip_key_sequence(fd, next);
            continue;
        }
        // Take the rest of a multi-byte character too, so none of it reaches the next line.
        if (c >= 0xC0) {
            int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
            while (more-- > 0 && read_byte(fd, KEY_REST_MS) >= 0) {
            }
        }
        return;
    }
}
