// Ctrl+C on Windows: the console's control handler sets an event, which the
// waits and the line reading look at.
#include "platform/platform.h"
#include "platform/win32/internal.h"

#include <windows.h>

namespace {

// Ctrl+C at the console: the system runs the handler on a thread of its own,
// and the handler sets this event. It exists from the first prompt on, when
// standard input is a console; otherwise nothing is installed.
HANDLE interrupt_event = nullptr;

BOOL WINAPI note_interrupt(DWORD type)
{
    // Ctrl+Break and the closing of the window keep the system's default: the end.
    if (type != CTRL_C_EVENT)
        return FALSE;
    SetEvent(interrupt_event);
    return TRUE;
}

} // namespace

void watch_interrupts()
{
    DWORD mode;
    if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode))
        return;
    interrupt_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (interrupt_event && !SetConsoleCtrlHandler(note_interrupt, TRUE)) {
        CloseHandle(interrupt_event);
        interrupt_event = nullptr;
    }
}

bool interrupts_watched() { return interrupt_event != nullptr; }

// The console's read of a line ends on Ctrl+C as it ends at the end of input,
// and may end before the handler's thread has run: it is given a moment.
bool line_interrupted()
{
    return interrupt_event && WaitForSingleObject(interrupt_event, 250) == WAIT_OBJECT_0;
}

bool interrupted() { return interrupt_event && WaitForSingleObject(interrupt_event, 0) == WAIT_OBJECT_0; }

void clear_interrupt()
{
    if (interrupt_event)
        ResetEvent(interrupt_event);
}

