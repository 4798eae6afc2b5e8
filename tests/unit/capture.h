// Captures what a piece of code writes to standard output (or error), for
// tests that compare printed text byte for byte.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

struct CapturedStream {
    FILE* stream;
    int saved_fd = -1;
    FILE* file = nullptr;

    explicit CapturedStream(FILE* s = stdout) : stream(s)
    {
        std::fflush(stream);
        file = std::tmpfile();
        saved_fd = dup(fileno(stream));
        dup2(fileno(file), fileno(stream));
    }
    // Everything written since the capture began; the capture ends.
    std::string text()
    {
        std::fflush(stream);
        if (saved_fd >= 0) {
            dup2(saved_fd, fileno(stream));
            close(saved_fd);
            saved_fd = -1;
        }
        std::string out;
        std::rewind(file);
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, file)) > 0)
            out.append(buf, n);
        return out;
    }
    ~CapturedStream()
    {
        text();
        std::fclose(file);
    }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;
};

// A new pseudo-terminal, for code that must meet a terminal: its master end,
// or -1; the path of its other end goes into slave_name.
inline int open_pseudo_terminal(std::string& slave_name)
{
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master >= 0 && (grantpt(master) != 0 || unlockpt(master) != 0)) {
        close(master);
        return -1;
    }
    if (master >= 0)
        slave_name = ptsname(master);
    return master;
}

// Forks a child whose standard input is that pseudo-terminal's other end,
// opened with mode (not as its controlling terminal), and which keeps no copy
// of the master end: the child's PID, 0 in the child.
inline pid_t fork_on_terminal(int master, const std::string& slave_name, int mode = O_RDWR)
{
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        close(master);
        dup2(open(slave_name.c_str(), mode | O_NOCTTY), STDIN_FILENO);
    }
    return pid;
}
