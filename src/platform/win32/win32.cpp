// Win32 backend: Windows Sockets 1.1, the Windows console, IP Helper loaded at
// run time, processes and temporary files.
#include "platform/platform.h"
#include "platform/socket_headers.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <atomic>
#include <cstdio>
#include <cstring>
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

SOCKET socket_of(Socket s) { return static_cast<SOCKET>(s); }

Socket open_socket(int type, int protocol)
{
    SOCKET s = socket(AF_INET, type, protocol);
    return s == INVALID_SOCKET ? NO_SOCKET : static_cast<Socket>(s);
}

// A module loaded at run time, released when the guard ends. It is named by
// its full path; the altered search takes the libraries it needs from its own
// folder first, not from the program's.
struct LoadedLibrary {
    HMODULE module;
    explicit LoadedLibrary(const std::string& path)
        : module(path.empty() ? nullptr : LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH))
    {
    }
    ~LoadedLibrary()
    {
        if (module)
            FreeLibrary(module);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
};

// A zero-filled GlobalAlloc block, freed when the guard ends or is replaced.
struct GlobalBlock {
    HGLOBAL memory = nullptr;
    void allocate(SIZE_T size)
    {
        release();
        memory = GlobalAlloc(GMEM_ZEROINIT, size);
    }
    void release()
    {
        if (memory)
            GlobalFree(memory);
        memory = nullptr;
    }
    ~GlobalBlock() { release(); }
};

// The system's folders and the path of a file in one of them. The system's
// own tools and libraries are taken from these only: a bare name would be
// searched for first in the program's folder and, for a program, in the
// current folder, where a file planted under that name would be taken instead.
using FolderFunction = UINT(WINAPI*)(LPSTR, UINT);

// The full path of name in the folder that get_folder gives, or "" when it
// gives none.
std::string path_in_folder(FolderFunction get_folder, const char* name)
{
    char folder[MAX_PATH];
    UINT length = get_folder(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        return "";
    std::string path(folder, length);
    // Only a drive's root ends in a backslash.
    if (path.back() != '\\')
        path += '\\';
    return path + name;
}

// Where a system tool is looked for, in order: the system folder, where
// ipconfig is, then the Windows folder, where winipcfg was on the systems that
// had it. GetSystemWindowsDirectoryA gives the Windows folder that all users
// share, where GetWindowsDirectoryA gives a user's own on a terminal server.
const FolderFunction TOOL_FOLDERS[] = {GetSystemDirectoryA, GetSystemWindowsDirectoryA};

using GetNetworkParamsFunction = DWORD(WINAPI*)(PFIXED_INFO, PULONG);

// The size of FIXED_INFO on 32-bit Windows; on 64-bit Windows the record is
// larger and the "buffer too small" answer gives the size it needs.
constexpr ULONG FIRST_PARAMS_SIZE = 584;
// The list of servers can grow between a "buffer too small" answer and the
// next call, so the call is repeated with the size asked for, a few times.
constexpr int PARAMS_ROUNDS = 8;

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

// Ctrl+C at the console: the system runs the handler on a thread of its own,
// and the handler sets this event. It exists from the first prompt on, when
// standard input is a console; otherwise nothing is installed.
HANDLE interrupt_event = nullptr;

// Slices in which a socket is waited for: select cannot be broken into, so the
// event is looked at between them.
constexpr int INTERRUPT_SLICE_MS = 100;

BOOL WINAPI note_interrupt(DWORD type)
{
    // Ctrl+Break and the closing of the window keep the system's default: the end.
    if (type != CTRL_C_EVENT)
        return FALSE;
    SetEvent(interrupt_event);
    return TRUE;
}

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

// The console's read of a line ends on Ctrl+C as it ends at the end of input,
// and may end before the handler's thread has run: it is given a moment.
bool line_interrupted()
{
    return interrupt_event && WaitForSingleObject(interrupt_event, 250) == WAIT_OBJECT_0;
}

// One select: 1 when s is ready, 0 when the time ran out, -1 when it failed.
int select_once(Socket s, int for_read, int milliseconds)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket_of(s), &set);
    // A failed connect shows in the exception set, not the write set.
    fd_set failed;
    FD_ZERO(&failed);
    FD_SET(socket_of(s), &failed);
    timeval limit{};
    limit.tv_sec = milliseconds / 1000;
    limit.tv_usec = (milliseconds % 1000) * 1000;
    int r = select(0, for_read ? &set : nullptr, for_read ? nullptr : &set, for_read ? nullptr : &failed,
                   milliseconds < 0 ? nullptr : &limit);
    if (r == SOCKET_ERROR)
        return -1;
    return r > 0 ? 1 : 0;
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

int net_start()
{
    WSADATA data;
    if (WSAStartup(0x0101, &data) != 0)
        return NET_REFUSED;
    if (LOBYTE(data.wVersion) != 1 || HIBYTE(data.wVersion) != 1)
        return NET_WRONG_VERSION;
    return NET_READY;
}

void net_cleanup() { WSACleanup(); }

Socket open_udp_socket() { return open_socket(SOCK_DGRAM, IPPROTO_UDP); }
Socket open_tcp_socket() { return open_socket(SOCK_STREAM, IPPROTO_TCP); }

void close_socket(Socket s)
{
    if (s != NO_SOCKET)
        closesocket(socket_of(s));
}

int set_nonblocking(Socket s)
{
    u_long on = 1;
    return ioctlsocket(socket_of(s), FIONBIO, &on) == 0 ? 0 : -1;
}

int send_datagram(Socket s, const void* data, int length, std::uint32_t address, std::uint16_t port)
{
    sockaddr_in sa = make_address(address, port);
    int n = sendto(socket_of(s), static_cast<const char*>(data), length, 0,
                   reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    return n == SOCKET_ERROR ? -1 : n;
}

int receive_datagram(Socket s, void* data, int size, std::uint32_t* from_address, std::uint16_t* from_port,
                     bool* cut)
{
    sockaddr_in sa{};
    int len = sizeof sa;
    int n = recvfrom(socket_of(s), static_cast<char*>(data), size, 0, reinterpret_cast<sockaddr*>(&sa), &len);
    // A datagram longer than the buffer fails the receive, its first size octets kept.
    *cut = n == SOCKET_ERROR && WSAGetLastError() == WSAEMSGSIZE;
    if (*cut)
        n = size;
    if (n == SOCKET_ERROR)
        return -1;
    if (from_address)
        *from_address = sa.sin_addr.s_addr;
    if (from_port)
        *from_port = ntohs(sa.sin_port);
    return n;
}

int start_connect(Socket s, std::uint32_t address, std::uint16_t port)
{
    sockaddr_in sa = make_address(address, port);
    if (connect(socket_of(s), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0)
        return 0;
    return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
}

int send_stream(Socket s, const void* data, int length)
{
    int n = send(socket_of(s), static_cast<const char*>(data), length, 0);
    return n == SOCKET_ERROR ? -1 : n;
}

int receive_stream(Socket s, void* data, int size)
{
    int n = recv(socket_of(s), static_cast<char*>(data), size, 0);
    return n == SOCKET_ERROR ? -1 : n;
}

int wait_socket(Socket s, int for_read, int milliseconds)
{
    if (!interrupt_event)
        return select_once(s, for_read, milliseconds);
    std::int64_t deadline = monotonic_ms() + milliseconds;
    for (;;) {
        if (interrupted()) {
            WSASetLastError(WSAEINTR);
            return WAIT_INTERRUPTED;
        }
        std::int64_t left = milliseconds < 0 ? INTERRUPT_SLICE_MS : deadline - monotonic_ms();
        bool last = left <= INTERRUPT_SLICE_MS;
        int r = select_once(s, for_read, last ? (left > 0 ? static_cast<int>(left) : 0) : INTERRUPT_SLICE_MS);
        if (r != 0 || (last && milliseconds >= 0))
            return r;
    }
}

bool interrupted() { return interrupt_event && WaitForSingleObject(interrupt_event, 0) == WAIT_OBJECT_0; }

void clear_interrupt()
{
    if (interrupt_event)
        ResetEvent(interrupt_event);
}

int last_socket_error() { return WSAGetLastError(); }

const char* socket_error_text(int code)
{
    static char text[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text,
                             sizeof text, nullptr);
    // The system's texts end in "\r\n"; the report adds its own line end.
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
        --n;
    if (n == 0)
        std::snprintf(text, sizeof text, "Windows Sockets error %d", code);
    else
        text[n] = '\0';
    return text;
}

std::int64_t monotonic_ms() { return static_cast<std::int64_t>(GetTickCount64()); }

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

int terminal_width()
{
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info))
        return 80;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

int wait_for_key()
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == INVALID_HANDLE_VALUE || input == nullptr)
        return -1;
    // A file or a pipe has no console mode: nothing to wait for, and nothing of
    // it is consumed.
    DWORD saved_mode;
    if (!GetConsoleMode(input, &saved_mode))
        return -1;
    static bool restore_installed = false;
    if (!restore_installed)
        restore_installed = SetConsoleCtrlHandler(restore_console_mode, TRUE) != 0;
    std::fflush(stdout);
    key_wait_mode = saved_mode;
    SetConsoleMode(input, 0);
    int result = read_console_until(input, is_character_press);
    if (result == 0)
        result = read_console_until(input, is_key_release);
    SetConsoleMode(input, saved_mode);
    key_wait_mode = NO_KEY_WAIT;
    return result;
}

const char* resolver_config_file() { return nullptr; }

int system_dns_servers(std::vector<std::string>& out)
{
    LoadedLibrary iphlpapi(path_in_folder(GetSystemDirectoryA, "iphlpapi.dll"));
    if (!iphlpapi.module)
        return -1;
    auto get_network_params = reinterpret_cast<GetNetworkParamsFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(iphlpapi.module, "GetNetworkParams")));
    if (!get_network_params)
        return -1;
    ULONG size = FIRST_PARAMS_SIZE;
    GlobalBlock block;
    DWORD result = ERROR_BUFFER_OVERFLOW;
    for (int round = 0; round < PARAMS_ROUNDS && result == ERROR_BUFFER_OVERFLOW; ++round) {
        block.allocate(size);
        if (!block.memory)
            return -1;
        result = get_network_params(static_cast<PFIXED_INFO>(block.memory), &size);
    }
    if (result != ERROR_SUCCESS)
        return -1;
    const FIXED_INFO* info = static_cast<const FIXED_INFO*>(block.memory);
    for (const IP_ADDR_STRING* entry = &info->DnsServerList; entry; entry = entry->Next) {
        const char* text = entry->IpAddress.String;
        size_t length = strnlen(text, sizeof entry->IpAddress.String);
        // A system without DNS servers reports one entry with an empty text.
        if (length > 0)
            out.emplace_back(text, length);
    }
    return 0;
}

int has_ip_config_tool() { return 1; }

int make_temp_file(const char* prefix, std::string& name)
{
    char directory[MAX_PATH];
    DWORD length = GetTempPathA(sizeof directory, directory);
    // GetTempFileNameA needs room for its own 14 characters after the directory.
    if (length == 0 || length > MAX_PATH - 14)
        return -1;
    char file[MAX_PATH];
    if (GetTempFileNameA(directory, prefix, 0, file) == 0)
        return -1;
    name = file;
    return 0;
}

int remove_file(const char* name) { return DeleteFileA(name) ? 0 : -1; }

int run_system_tool(const char* tool, const char* arguments, int milliseconds)
{
    for (FolderFunction get_folder : TOOL_FOLDERS) {
        std::string program = path_in_folder(get_folder, tool);
        if (program.empty())
            continue;
        program += ".exe";
        // The program is named by its path, so nothing is searched for. The
        // command line's first word is that path, quoted for a folder with
        // blanks; CreateProcessA may write into the line, so it gets a copy.
        std::string line = "\"" + program + "\" " + arguments;
        std::vector<char> command(line.c_str(), line.c_str() + line.size() + 1);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                            &startup, &process))
            continue;
        DWORD waited = WaitForSingleObject(process.hProcess, static_cast<DWORD>(milliseconds));
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        return waited == WAIT_TIMEOUT || waited == WAIT_FAILED ? RUN_NO_END : RUN_ENDED;
    }
    return RUN_NOT_STARTED;
}
