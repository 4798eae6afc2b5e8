// Captures what a piece of code writes to standard output (or error), for
// tests that compare printed text byte for byte.
#pragma once

#include <cstdio>
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
