// The system on POSIX: its random source, the file where it names its DNS
// servers, and the configuration tool and temporary files it does without.
#include "platform/platform.h"

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// getentropy (POSIX.1-2024; glibc's asks Linux's getrandom) blocks only until
// the system's generator has been seeded, once after boot.
int system_random(void* out, int size)
{
    return getentropy(out, static_cast<size_t>(size)) == 0 ? 0 : -1;
}

const char* resolver_config_file() { return "/etc/resolv.conf"; }

// The servers are named in the resolver configuration file, by no service.
int system_dns_servers(std::vector<std::string>&) { return -1; }

namespace {

// A descriptor closed however the reading ends.
struct FileDescriptor {
    int fd;
    ~FileDescriptor()
    {
        if (fd >= 0)
            close(fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
};

} // namespace

int read_config_file(const char* name, std::string& text, int limit)
{
    FileDescriptor file{open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    struct stat status {};
    if (file.fd < 0 || fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode))
        return -1;
    char block[4096];
    ssize_t n = 1;
    while (n > 0 && text.size() < static_cast<std::size_t>(limit)) {
        std::size_t left = static_cast<std::size_t>(limit) - text.size();
        n = read(file.fd, block, left < sizeof block ? left : sizeof block);
        if (n > 0)
            text.append(block, static_cast<std::size_t>(n));
    }
    // One octet more tells whether the file goes on beyond the limit.
    char more;
    return n > 0 && read(file.fd, &more, 1) == 1 ? 1 : 0;
}

// POSIX systems have no IP configuration tool that writes its DNS servers into
// a file: none is run, and no file is made or removed for one.
int has_ip_config_tool() { return 0; }
int make_temp_file(const char*, std::string&) { return -1; }
int remove_file(const char*) { return -1; }
ToolRun run_system_tool(const char*, const char*, int) { return RUN_NOT_STARTED; }
