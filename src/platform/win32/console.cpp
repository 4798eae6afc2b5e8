// The console on Windows: lines of standard input (the console edits them
// itself), the window's width, and the pager's key wait on console input.
#include "platform/platform.h"
#include "platform/win32/internal.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace {

// The program's texts are exact byte sequences ("\n" line ends, "\r" progress
// texts). In text mode the C runtime would turn every "\n" into "\r\n", so a
// redirected output would differ from the same run on POSIX. The console shows
// a bare "\n" as a new line all the same (processed output), so standard output
// and standard error are put into binary mode before anything is written.
// Standard input stays in text mode: "\r\n" typed at the console arrives as "\n"
// and Ctrl+Z ends the input, as Windows users expect.
bool set_binary_output()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    return true;
}
const bool binary_output = set_binary_output();

// A console input record is a key press that gives a character.
bool is_character_press(const INPUT_RECORD& r)
{
    return r.EventType == KEY_EVENT && r.Event.KeyEvent.bKeyDown && r.Event.KeyEvent.wRepeatCount &&
           r.Event.KeyEvent.uChar.AsciiChar != 0;
}

bool is_key_release(const INPUT_RECORD& r)
{
    return r.EventType == KEY_EVENT && !r.Event.KeyEvent.bKeyDown;
}

// The console input mode to put back when the program is ended during the
// pager's key wait, which turns line input, echo and control keys off. The
// system runs control handlers on a thread of its own, so the wait keeps the
// saved mode here, in one atomic word, and NO_KEY_WAIT when none is under way.
constexpr std::int64_t NO_KEY_WAIT = -1;
std::atomic<std::int64_t> key_wait_mode{NO_KEY_WAIT};

// Ctrl+Break, the closing of the window, logoff and shutdown end the program by
// the system's default handler, which the FALSE answer passes them on to; the
// console is given its mode back first. Ctrl+C is passed on unchanged: during
// the wait it is a key, and at other times note_interrupt's.
BOOL WINAPI restore_console_mode(DWORD type)
{
    std::int64_t mode = key_wait_mode.load();
    if (type != CTRL_C_EVENT && mode != NO_KEY_WAIT)
        SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), static_cast<DWORD>(mode));
    return FALSE;
}

// Reads console input records one at a time until one satisfies wanted: 0, or -1
// when reading fails.
int read_console_until(HANDLE input, bool (*wanted)(const INPUT_RECORD&))
{
    for (;;) {
        INPUT_RECORD record;
        DWORD read = 0;
        if (!ReadConsoleInputA(input, &record, 1, &read) || read != 1)
            return -1;
        if (wanted(record))
            return 0;
    }
}

} // namespace

int read_command_line(const char* prompt, char* line, int size)
{
    static bool started = false;
    if (!started) {
        started = true;
        watch_interrupts();
    }
    for (;;) {
        clear_interrupt();
        std::fputs(prompt, stdout);
        std::fflush(stdout);
        int kept = 0, c;
        bool any = false;
        while ((c = std::getc(stdin)) != EOF) {
            any = true;
            if (c == '\n')
                break;
            if (kept < size - 1)
                line[kept++] = static_cast<char>(c);
        }
        line[kept] = '\0';
        if (c == EOF && line_interrupted()) {
            // The console drops the line without a mark on the screen: ^C marks
            // it, as a POSIX terminal does, and the prompt comes again.
            std::clearerr(stdin);
            std::fputs("^C\n", stdout);
            continue;
        }
        // A Ctrl+C that came while the line was read (before the console's read
        // began) belongs to the line, not to the command it holds.
        clear_interrupt();
        return any ? kept : -1;
    }
}

bool input_is_terminal()
{
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

bool output_is_terminal()
{
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

// The console edits lines itself and lists no completions: nothing here asks
// for the width of the window.
int terminal_width() { return 80; }

void wait_for_key()
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == INVALID_HANDLE_VALUE || input == nullptr)
        return;
    // A file or a pipe has no console mode: nothing to wait for, and nothing of
    // it is consumed.
    DWORD saved_mode;
    if (!GetConsoleMode(input, &saved_mode))
        return;
    static bool restore_installed = false;
    if (!restore_installed)
        restore_installed = SetConsoleCtrlHandler(restore_console_mode, TRUE) != 0;
    std::fflush(stdout);   // the text before the pause
    key_wait_mode = saved_mode;
    SetConsoleMode(input, 0);
    if (read_console_until(input, is_character_press) == 0)
        read_console_until(input, is_key_release);
    SetConsoleMode(input, saved_mode);
    key_wait_mode = NO_KEY_WAIT;
}
