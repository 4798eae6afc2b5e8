// Reading command lines from a pipe: a program at the other end that waits for
// the output of one line before it writes the next must get it, and a batch
// written at once gives the same bytes, held back until input runs out.
#include "platform/platform.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int PATIENCE_MS = 5000;   // bounds every wait for the child

// The child echoes each line it reads after the prompt, the way the shell
// prints what a command gives, without flushing.
[[noreturn]] void echo_lines(int in, int out)
{
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    char line[256];
    while (read_command_line(">", line, sizeof line) >= 0)
        std::printf("got %s\n", line);
    std::fflush(stdout);
    _exit(0);
}

struct Child {
    pid_t pid = -1;
    int to_child = -1;     // its standard input
    int from_child = -1;   // its standard output
    std::string seen;

    Child()
    {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            return;
        std::fflush(nullptr);
        pid = fork();
        if (pid == 0) {
            close(in[1]);
            close(out[0]);
            echo_lines(in[0], out[1]);
        }
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
            if (n <= 0)
                return false;
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
    expected += ">";
    c.write_text(batch.c_str());
    c.write_text("last-without-end");
    c.end_input();
    c.read_until("\xff");
    EXPECT_EQ(c.seen, expected + "got last-without-end\n>");
}

// The pager's key wait at a terminal, and the line read after it without a line
// editor (standard output is no terminal here, as in a build without libedit).
// A key is taken whole: no octet of it reaches the next command line.
struct KeyAfterPause {
    const char* name;
    const char* keys;   // typed while the pause waits
};

const KeyAfterPause KEYS_AT_PAUSE[] = {
    {"letter", "x"},
    {"two-octet character", "\xC3\xA9"},          // e acute
    {"four-octet character", "\xF0\x9F\x98\x80"},  // a face, outside the BMP
    // Keys that give no character leave the pause waiting; the letter after them ends it.
    {"Up, then a letter", "\x1B[Ax"},
    {"Ctrl+Right (CSI with parameters), then a letter", "\x1B[1;5Cx"},
    {"F5 (CSI ending in ~), then a letter", "\x1B[15~x"},
    {"F1 (SS3), then a letter", "\x1BOPx"},
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
std::string line_after_pause(const char* keys)
{
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        return "(no pseudo-terminal)";
    std::string slave_name = ptsname(master);
    int result[2];
    if (pipe(result) != 0)
        return "(no pipe)";
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int slave = open(slave_name.c_str(), O_RDWR | O_NOCTTY);
        int null = open("/dev/null", O_WRONLY);
        dup2(slave, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        char line[256] = "(the wait failed)";
        if (wait_for_key() == 0 && read_command_line("", line, sizeof line) < 0)
            std::strcpy(line, "(end of input)");
        ssize_t ignored = write(result[1], line, std::strlen(line));
        (void)ignored;
        _exit(0);
    }
    close(result[1]);
    std::string line;
    bool typed = line_mode_becomes(master, false) &&
                 write(master, keys, std::strlen(keys)) == static_cast<ssize_t>(std::strlen(keys)) &&
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

TEST(KeyWait, TheKeyIsConsumedWhole)
{
    for (const KeyAfterPause& k : KEYS_AT_PAUSE)
        EXPECT_EQ(line_after_pause(k.keys), "next") << k.name;
}

} // namespace
