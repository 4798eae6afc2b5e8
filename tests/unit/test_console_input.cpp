// Reading command lines from a pipe: a program at the other end that waits for
// the output of one line before it writes the next must get it, and a batch
// written at once gives the same bytes, held back until input runs out. From a
// terminal: Ctrl+C drops the line and cuts a socket wait short.
#include "capture.h"
#include "platform/platform.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int PATIENCE_MS = 5000;   // bounds every wait for the child

// Waits on a socket, as a lookup waits for a server, and tells how the wait
// ended, and whether it left the signals held back as it found them. A signal
// held back by the caller stays so during the wait: a SIGUSR1 let in would end
// the child. After a Ctrl+C already noted the wait ends at once, and still
// says why; with a datagram already there it ends at once as ready.
enum class Before { NOTHING, CTRL_C, DATAGRAM };
void wait_and_report(int milliseconds, Before before = Before::NOTHING)
{
    Socket s = open_udp_socket();
    if (before == Before::DATAGRAM) {
        int fd = static_cast<int>(s);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof sa;
        bind(fd, reinterpret_cast<sockaddr*>(&sa), len);
        getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
        sendto(fd, "x", 1, 0, reinterpret_cast<sockaddr*>(&sa), len);
    }
    std::printf("waiting\n");
    std::fflush(stdout);
    sigset_t usr1, held_before, held_after;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    sigprocmask(SIG_BLOCK, &usr1, &held_before);
    raise(SIGUSR1);
    sigaddset(&held_before, SIGUSR1);
    if (before == Before::CTRL_C) {
        raise(SIGINT);
        errno = 0;
    }
    int r = wait_socket(s, 1, milliseconds);
    bool eintr = last_socket_error() == EINTR;
    bool noted = interrupted();
    clear_interrupt();
    sigprocmask(SIG_BLOCK, nullptr, &held_after);
    for (int sig = 1; sig < NSIG; ++sig)
        if (sigismember(&held_before, sig) != sigismember(&held_after, sig)) {
            std::printf("signal %d held back %d\n", sig, sigismember(&held_after, sig));
            break;
        }
    signal(SIGUSR1, SIG_IGN);
    sigprocmask(SIG_UNBLOCK, &usr1, nullptr);
    signal(SIGUSR1, SIG_DFL);
    if (r == WAIT_INTERRUPTED)
        std::printf("WAIT_INTERRUPTED eintr=%d interrupted=%d then %d\n", eintr, noted, interrupted());
    else
        std::printf("%s\n", r == 0 ? "timed out" : r == 1 ? "ready" : "other");
    close_socket(s);
}

// The child echoes each line it reads after the prompt, the way the shell
// prints what a command gives, without flushing; the lines "wait" and "brief
// wait" run wait_and_report, without a time limit and with one of 10 ms, "noted
// wait" raises SIGINT first, "ready wait" has a datagram waiting, and
// "sigint" tells whether SIGINT is ignored.
[[noreturn]] void echo_lines(int in, int out)
{
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    char line[256];
    while (read_command_line(">", line, sizeof line) >= 0) {
        if (std::strcmp(line, "wait") == 0)
            wait_and_report(-1);
        else if (std::strcmp(line, "brief wait") == 0)
            wait_and_report(10);
        else if (std::strcmp(line, "noted wait") == 0)
            wait_and_report(-1, Before::CTRL_C);
        else if (std::strcmp(line, "ready wait") == 0)
            wait_and_report(-1, Before::DATAGRAM);
        else if (std::strcmp(line, "sigint") == 0)
            std::printf("%s\n", signal(SIGINT, SIG_IGN) == SIG_IGN ? "ignored" : "handled");
        else
            std::printf("got %s\n", line);
    }
    std::fflush(stdout);
    _exit(0);
}

// Standard input of the child: a pipe, a new pseudo-terminal that is the
// controlling terminal of the child's own session, so that a Ctrl+C typed into
// it sends SIGINT as a real terminal does, or none at all (closed). A child
// may start with SIGINT blocked, as some launchers leave it, or ignored, as a
// shell without job control leaves a program it starts in the background.
enum class Input { PIPE, TERMINAL, CLOSED };
enum class Sigint { DEFAULT, BLOCKED, IGNORED };

struct Child {
    pid_t pid = -1;
    int to_child = -1;     // its standard input, or the terminal's master side
    int from_child = -1;   // its standard output
    std::string seen;
    bool ended = false;   // its output came to an end

    explicit Child(Input input = Input::PIPE, Sigint sigint = Sigint::DEFAULT)
    {
        int in[2] = {-1, -1}, out[2];
        std::string terminal;
        if (input == Input::TERMINAL) {
            in[1] = open_pseudo_terminal(terminal);
            if (in[1] < 0)
                return;
        } else if (input == Input::PIPE && pipe(in) != 0) {
            return;
        }
        if (pipe(out) != 0)
            return;
        std::fflush(nullptr);
        pid = fork();
        if (pid == 0) {
            if (input == Input::TERMINAL && (setsid() < 0 || (in[0] = open(terminal.c_str(), O_RDWR)) < 0))
                _exit(1);
            sigset_t set;
            sigemptyset(&set);
            sigaddset(&set, SIGINT);
            if (sigint == Sigint::BLOCKED)
                sigprocmask(SIG_BLOCK, &set, nullptr);
            if (sigint == Sigint::IGNORED)
                signal(SIGINT, SIG_IGN);
            if (input == Input::CLOSED)
                close(STDIN_FILENO);
            close(in[1]);
            close(out[0]);
            echo_lines(in[0], out[1]);
        }
        if (in[0] >= 0)
            close(in[0]);
        close(out[1]);
        to_child = in[1];
        from_child = out[0];
    }
    ~Child()
    {
        if (to_child >= 0)
            close(to_child);
        if (from_child >= 0)
            close(from_child);
        if (pid > 0)
            waitpid(pid, nullptr, 0);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void write_text(const char* text)
    {
        auto length = static_cast<ssize_t>(std::strlen(text));
        ASSERT_EQ(write(to_child, text, static_cast<size_t>(length)), length);
    }
    void end_input()
    {
        close(to_child);
        to_child = -1;
    }
    // Whether the child sleeps in a wait (its state in /proc is S), after
    // waiting up to PATIENCE_MS for it to: what is typed then meets the wait.
    bool asleep() const
    {
        std::string path = "/proc/" + std::to_string(pid) + "/stat";
        for (int waited = 0; waited < PATIENCE_MS; waited += 5) {
            char stat[512] = "";
            if (FILE* f = std::fopen(path.c_str(), "r")) {
                if (!std::fgets(stat, sizeof stat, f))
                    stat[0] = '\0';
                std::fclose(f);
            }
            const char* state = std::strrchr(stat, ')');   // the name before it may hold anything
            if (state && state[1] == ' ' && state[2] == 'S')
                return true;
            usleep(5000);
        }
        return false;
    }
    // Reads until seen ends with tail, the child's output ends, or patience runs out.
    bool read_until(const std::string& tail)
    {
        char buf[512];
        for (int waited = 0; waited < PATIENCE_MS; waited += 100) {
            if (seen.size() >= tail.size() && seen.compare(seen.size() - tail.size(), tail.size(), tail) == 0)
                return true;
            pollfd p{from_child, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            ssize_t n = read(from_child, buf, sizeof buf);
            if (n <= 0) {
                ended = true;
                return false;
            }
            seen.append(buf, static_cast<size_t>(n));
            waited = 0;
        }
        return false;
    }
};

TEST(ConsoleInput, OutputComesOutBeforeThePromptWaits)
{
    Child c;
    ASSERT_GT(c.pid, 0);
    c.write_text("first\n");
    EXPECT_TRUE(c.read_until(">got first\n>")) << c.seen;
    c.write_text("second\n");
    EXPECT_TRUE(c.read_until(">got second\n>")) << c.seen;
    c.end_input();
    c.read_until("\xff");   // to the end of its output
    EXPECT_EQ(c.seen, ">got first\n>got second\n>");
}

TEST(ConsoleInput, BatchGivesTheSameBytes)
{
    Child c;
    ASSERT_GT(c.pid, 0);
    std::string batch, expected;
    for (int i = 0; i < 300; ++i) {
        batch += "name" + std::to_string(i) + "\n";
        expected += ">got name" + std::to_string(i) + "\n";
    }
    // The child's line holds 255 characters: one of 254 is whole, one of 300 is cut.
    batch += std::string(254, 'a') + "\n" + std::string(300, 'b') + "\n";
    expected += ">got " + std::string(254, 'a') + "\n>got " + std::string(255, 'b') + "\n";
    expected += ">";
    c.write_text(batch.c_str());
    c.write_text("last-without-end");
    c.end_input();
    c.read_until("\xff");
    EXPECT_EQ(c.seen, expected + "got last-without-end\n>");
}

// With input from a pipe nothing watches for Ctrl+C: SIGINT ends the program.
TEST(ConsoleInput, PipedInputLeavesCtrlCAlone)
{
    Child c;
    ASSERT_GT(c.pid, 0);
    c.write_text("first\n");
    ASSERT_TRUE(c.read_until(">got first\n>")) << c.seen;
    kill(c.pid, SIGINT);
    c.end_input();
    int status = 0;
    waitpid(c.pid, &status, 0);
    c.pid = -1;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << "status " << status;
}

// Input that cannot be read at all ends as the end of input does.
TEST(ConsoleInput, ClosedInputEnds)
{
    Child c(Input::CLOSED);
    ASSERT_GT(c.pid, 0);
    c.read_until("\xff");
    EXPECT_TRUE(c.ended);
    EXPECT_EQ(c.seen, ">");
}

// At a terminal Ctrl+C drops the line typed so far (the terminal echoes ^C and
// discards it) and the prompt comes again; during a socket wait it ends the
// wait at once, noted until it is cleared. A wait that nothing ends times out,
// one begun with a Ctrl+C noted ends at once, one with a datagram waiting ends
// as ready, and after all that a line ended by Ctrl+D is read and a second
// Ctrl+D ends the input for good. So it goes for a program started with
// SIGINT blocked too.
TEST(ConsoleInput, CtrlCAtATerminal)
{
    for (bool blocked : {false, true}) {
        Child c(Input::TERMINAL, blocked ? Sigint::BLOCKED : Sigint::DEFAULT);
        ASSERT_GT(c.pid, 0);
        ASSERT_TRUE(c.read_until(">")) << c.seen;
        const struct {
            const char* typed;
            const char* until;   // what the child has written by then
        } steps[] = {
            {"set type=MX\x03", ">\n>"}, {"next\n", "got next\n>"},       {"wait\n", "waiting\n"},
            {"\x03", "then 0\n>"},       {"brief wait\n", "timed out\n>"}, {"noted wait\n", "then 0\n>"},
            {"ready wait\n", "ready\n>"},
        };
        for (const auto& step : steps) {
            EXPECT_TRUE(c.asleep()) << step.typed;
            c.write_text(step.typed);
            EXPECT_TRUE(c.read_until(step.until)) << c.seen;
        }
        c.write_text("last\x04\x04");
        c.read_until("\xff");
        EXPECT_TRUE(c.ended) << "blocked " << blocked;
        EXPECT_EQ(c.seen, ">\n>got next\n>waiting\nWAIT_INTERRUPTED eintr=1 interrupted=1 then 0\n>waiting\n"
                          "timed out\n>waiting\nWAIT_INTERRUPTED eintr=1 interrupted=1 then 0\n>waiting\nready\n>got last\n>")
            << "blocked " << blocked;
    }
}

// Started with Ctrl+C ignored, the program keeps ignoring it: the terminal
// drops the line typed so far, and the program reads on.
TEST(ConsoleInput, CtrlCIgnoredFromTheStart)
{
    Child c(Input::TERMINAL, Sigint::IGNORED);
    ASSERT_GT(c.pid, 0);
    ASSERT_TRUE(c.read_until(">")) << c.seen;
    c.write_text("set type=MX\x03next\n");
    EXPECT_TRUE(c.read_until("got next\n>")) << c.seen;
    c.write_text("sigint\n\x04");
    c.read_until("\xff");
    EXPECT_EQ(c.seen, ">got next\n>ignored\n>");
}

// The pager's key wait at a terminal, and the line read after it without a line
// editor (standard output is no terminal here, as in a build without libedit).
// A key is taken whole: no octet of it reaches the next command line.
struct KeyAfterPause {
    const char* name;
    std::string keys;           // typed while the pause waits
    const char* line = "next";  // the line read after it, once "next" is typed
};

const KeyAfterPause KEYS_AT_PAUSE[] = {
    {"letter", "x"},
    {"two-octet character", "\xC3\xA9"},          // e acute
    {"four-octet character, then a letter", "\xF0\x9F\x98\x80x", "xnext"},  // a face, outside the BMP
    // A broken character: its lead octet's count is taken, whatever the octets are.
    {"three-octet lead, NUL, letter", std::string("\xE0\0x", 3)},
    // The last two-octet lead: the letter after the character is the next line's.
    {"two-octet character of lead DF, then a letter", "\xDF\xBFx", "xnext"},
    {"three-octet character of lead EF, then a letter", "\xEF\xBF\xBDx", "xnext"},
    {"the first two-octet lead, C0", "\xC0\xAF"},
    {"a continuation octet alone, then a letter", "\xBFx", "xnext"},
    // Keys that give no character leave the pause waiting; the letter after them ends it.
    {"Up, then a letter", "\x1B[Ax"},
    {"Ctrl+Right (CSI with parameters), then a letter", "\x1B[1;5Cx"},
    {"F5 (CSI ending in ~), then a letter", "\x1B[15~x"},
    {"CSI with an intermediate space, then a letter", "\x1B[1 @x"},
    {"CSI with '?' among its parameters, then a letter", "\x1B[?1;2cx"},
    {"F1 (SS3), then a letter", "\x1BOPx"},
    {"Ctrl+Alt+Space (Escape, NUL), then a letter", std::string("\x1B\0x", 3)},
    {"F1 of the Linux console, then a letter", "\x1B[[Ax"},
    {"F5 of the Linux console, then a letter", "\x1B[[Ex"},
};

// Whether the terminal behind master is in line mode, after waiting up to
// PATIENCE_MS for it to become so (want true) or to leave it (want false).
bool line_mode_becomes(int master, bool want)
{
    for (int waited = 0; waited < PATIENCE_MS; waited += 5) {
        termios t{};
        if (tcgetattr(master, &t) == 0 && ((t.c_lflag & ICANON) != 0) == want)
            return true;
        usleep(5000);
    }
    return false;
}

// Runs the key wait in a child whose standard input is a new pseudo-terminal,
// types keys once the wait holds the terminal in raw mode and "next\n" once it
// is back in line mode. Gives the line the child read after the wait.
std::string line_after_pause(const std::string& keys)
{
    std::string slave_name;
    int master = open_pseudo_terminal(slave_name);
    if (master < 0)
        return "(no pseudo-terminal)";
    int result[2];
    if (pipe(result) != 0)
        return "(no pipe)";
    pid_t pid = fork_on_terminal(master, slave_name);
    if (pid == 0) {
        dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
        char line[256];
        wait_for_key();
        if (read_command_line("", line, sizeof line) < 0)
            std::strcpy(line, "(end of input)");
        ssize_t ignored = write(result[1], line, std::strlen(line));
        (void)ignored;
        _exit(0);
    }
    close(result[1]);
    std::string line;
    bool typed = line_mode_becomes(master, false) &&
                 write(master, keys.data(), keys.size()) == static_cast<ssize_t>(keys.size()) &&
                 line_mode_becomes(master, true) && write(master, "next\n", 5) == 5;
    if (!typed) {   // the wait never began or never ended: the child is stopped
        kill(pid, SIGKILL);
        line = "(the pause did not end) ";
    }
    char buf[256];
    ssize_t n;
    while ((n = read(result[0], buf, sizeof buf)) > 0)
        line.append(buf, static_cast<size_t>(n));
    close(result[0]);
    close(master);
    waitpid(pid, nullptr, 0);
    return line;
}

// The width of the terminal on standard output, by which completions are laid
// out: 80 where there is no terminal or it gives no width.
TEST(TerminalWidth, OfStandardOutput)
{
    std::string slave_name;
    int master = open_pseudo_terminal(slave_name);
    ASSERT_GE(master, 0);
    int terminal = open(slave_name.c_str(), O_RDWR | O_NOCTTY);
    int pipe_ends[2];
    ASSERT_TRUE(terminal >= 0 && pipe(pipe_ends) == 0);
    const struct {
        const char* name;
        int out;
        unsigned short columns;
        int width;
    } cases[] = {
        {"a terminal of 132 columns", terminal, 132, 132},
        {"a terminal of one column", terminal, 1, 1},
        {"a terminal that gives no width", terminal, 0, 80},
        {"a pipe", pipe_ends[1], 0, 80},
    };
    std::fflush(stdout);
    int saved = dup(STDOUT_FILENO);
    for (const auto& c : cases) {
        winsize size{};
        size.ws_row = 24;
        size.ws_col = c.columns;
        ioctl(master, TIOCSWINSZ, &size);
        dup2(c.out, STDOUT_FILENO);
        int width = terminal_width();
        dup2(saved, STDOUT_FILENO);
        EXPECT_EQ(width, c.width) << c.name;
    }
    for (int fd : {saved, terminal, master, pipe_ends[0], pipe_ends[1]})
        close(fd);
}

TEST(KeyWait, TheKeyIsConsumedWhole)
{
    for (const KeyAfterPause& k : KEYS_AT_PAUSE)
        EXPECT_EQ(line_after_pause(k.keys), k.line) << k.name;
}

// The wait ends when its terminal is closed (the window shut, SIGHUP ignored),
// and when reading from it fails for good (here standard input is the terminal
// opened for writing only): a failed read is not tried again and again.
TEST(KeyWait, EndsWhenReadingEnds)
{
    for (int mode : {O_RDWR, O_WRONLY}) {
        std::string slave_name;
        int master = open_pseudo_terminal(slave_name);
        ASSERT_GE(master, 0);
        pid_t pid = fork_on_terminal(master, slave_name, mode);
        if (pid == 0) {
            errno = EINTR;   // as a call interrupted before the wait leaves it
            wait_for_key();
            _exit(7);
        }
        EXPECT_TRUE(line_mode_becomes(master, false)) << mode;
        if (mode == O_WRONLY) {
            EXPECT_EQ(write(master, "x", 1), 1);
        }
        close(master);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7) << "mode " << mode << ", status " << status;
    }
}

// The signals at the key wait: one that ends the program there puts the
// terminal's modes back first, and the program ends by that signal; one the
// program was started to ignore stays ignored; after the wait, each signal
// is met as it was before it.
void exit_42(int) { _exit(42); }

TEST(KeyWait, SignalsAtTheWait)
{
    const struct {
        const char* name;
        int signal_number;
        void (*before)(int);   // the action before the wait
        bool after_the_key;    // sent once a key ended the wait
        int ended_by;          // the signal that ends the child, or 0
        int status;            // else its exit status
    } cases[] = {
        {"SIGTERM", SIGTERM, SIG_DFL, false, SIGTERM, 0},
        {"SIGHUP", SIGHUP, SIG_DFL, false, SIGHUP, 0},
        {"SIGQUIT", SIGQUIT, SIG_DFL, false, SIGQUIT, 0},
        {"SIGHUP ignored", SIGHUP, SIG_IGN, false, 0, 0},
        {"SIGTERM after the wait", SIGTERM, exit_42, true, 0, 42},
    };
    for (const auto& c : cases) {
        std::string slave_name;
        int master = open_pseudo_terminal(slave_name);
        ASSERT_GE(master, 0);
        pid_t pid = fork_on_terminal(master, slave_name);
        if (pid == 0) {
            signal(c.signal_number, c.before);
            wait_for_key();
            for (int waited = 0; c.after_the_key && waited < PATIENCE_MS; waited += 10)
                usleep(10000);   // the signal after the key comes here
            _exit(0);
        }
        EXPECT_TRUE(line_mode_becomes(master, false)) << c.name;
        if (c.after_the_key) {
            EXPECT_TRUE(write(master, "x", 1) == 1 && line_mode_becomes(master, true)) << c.name;
        }
        kill(pid, c.signal_number);
        if (!c.after_the_key && !c.ended_by) {   // ignored: a key ends the wait
            EXPECT_EQ(write(master, "x", 1), 1) << c.name;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (c.ended_by) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.ended_by) << c.name;
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.status) << c.name;
        }
        termios modes{};
        EXPECT_TRUE(tcgetattr(master, &modes) == 0 && (modes.c_lflag & ICANON) && (modes.c_lflag & ECHO)) << c.name;
        close(master);
    }
}

} // namespace
