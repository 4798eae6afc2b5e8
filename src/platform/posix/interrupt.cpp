// Ctrl+C on POSIX: the handler only notes it. It is installed without
// SA_RESTART, so a read or a wait that it falls into returns with EINTR and can
// look at the note.
#include "platform/platform.h"
#include "platform/posix/internal.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t interrupt_noted = 0;
bool watching = false;

void note_interrupt(int) { interrupt_noted = 1; }

} // namespace

bool interrupts_watched() { return watching; }

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
    watching = sigaction(SIGINT, &noting, nullptr) == 0;
}

// SIGINT is held back from the look at the note until ppoll lets it in, so
// that one arriving in between is not slept through. (ppoll is POSIX.1-2024;
// Linux and the BSDs have long had it.)
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

bool interrupted() { return interrupt_noted != 0; }
void clear_interrupt() { interrupt_noted = 0; }
