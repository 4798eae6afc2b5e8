// The system on Windows: its random source, IP Helper loaded at run time, its
// IP configuration tool, temporary files.
#include "platform/platform.h"
#include "platform/socket_headers.h"

#include <windows.h>
#include <iphlpapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

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

// A kernel object's handle, closed when the guard ends.
struct OwnedHandle {
    HANDLE handle;
    explicit OwnedHandle(HANDLE h) : handle(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~OwnedHandle()
    {
        if (handle)
            CloseHandle(handle);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
};

// A process's attribute list that lets it inherit one handle and no other,
// deleted when the guard ends; list is null when it could not be made.
struct InheritOnly {
    HANDLE inherited;
    std::vector<char> memory;
    LPPROC_THREAD_ATTRIBUTE_LIST list = nullptr;
    explicit InheritOnly(HANDLE handle) : inherited(handle)
    {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        memory.resize(size);
        auto attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(memory.data());
        if (size == 0 || !InitializeProcThreadAttributeList(attributes, 1, 0, &size))
            return;
        list = attributes;
        if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &inherited, sizeof inherited,
                                       nullptr, nullptr)) {
            DeleteProcThreadAttributeList(list);
            list = nullptr;
        }
    }
    ~InheritOnly()
    {
        if (list)
            DeleteProcThreadAttributeList(list);
    }
    InheritOnly(const InheritOnly&) = delete;
    InheritOnly& operator=(const InheritOnly&) = delete;
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

// How long a tool that was ended at its limit is waited for: until it is gone
// it holds the file it was writing, which the caller removes next.
constexpr DWORD TOOL_END_WAIT_MS = 5000;

using GetNetworkParamsFunction = DWORD(WINAPI*)(PFIXED_INFO, PULONG);

// The size of FIXED_INFO on 32-bit Windows; on 64-bit Windows the record is
// larger and the "buffer too small" answer gives the size it needs.
constexpr ULONG FIRST_PARAMS_SIZE = 584;
// The list of servers can grow between a "buffer too small" answer and the
// next call, so the call is repeated with the size asked for, a few times.
constexpr int PARAMS_ROUNDS = 8;

// BCryptGenRandom of bcrypt.dll (Windows Vista and later), asked for the
// system's preferred generator: no algorithm handle, BCRYPT_USE_SYSTEM_PREFERRED_RNG.
using GenRandomFunction = LONG(WINAPI*)(void*, PUCHAR, ULONG, ULONG);
constexpr ULONG USE_SYSTEM_PREFERRED_RNG = 0x00000002;

// bcrypt.dll from the system folder, loaded at the first draw and kept for the
// rest of the run: every lookup draws.
GenRandomFunction find_gen_random()
{
    std::string path = path_in_folder(GetSystemDirectoryA, "bcrypt.dll");
    HMODULE module = path.empty() ? nullptr : LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module)
        return nullptr;
    return reinterpret_cast<GenRandomFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "BCryptGenRandom")));
}

} // namespace

int system_random(void* out, int size)
{
    static const GenRandomFunction gen_random = find_gen_random();
    if (!gen_random)
        return -1;
    return gen_random(nullptr, static_cast<PUCHAR>(out), static_cast<ULONG>(size), USE_SYSTEM_PREFERRED_RNG) == 0
               ? 0
               : -1;
}

const char* resolver_config_file() { return nullptr; }

int system_dns_servers(std::vector<std::string>& out)
{
    LoadedLibrary iphlpapi(path_in_folder(GetSystemDirectoryA, "iphlpapi.dll"));
    GetNetworkParamsFunction get_network_params = nullptr;
    if (iphlpapi.module)
        get_network_params = reinterpret_cast<GetNetworkParamsFunction>(
            reinterpret_cast<void (*)()>(GetProcAddress(iphlpapi.module, "GetNetworkParams")));
    // Every failure, a missing library or function included, ends in one that is not ERROR_SUCCESS.
    ULONG size = FIRST_PARAMS_SIZE;
    GlobalBlock block;
    DWORD result = get_network_params ? ERROR_BUFFER_OVERFLOW : ERROR_PROC_NOT_FOUND;
    for (int round = 0; round < PARAMS_ROUNDS && result == ERROR_BUFFER_OVERFLOW; ++round) {
        block.allocate(size);
        result = block.memory ? get_network_params(static_cast<PFIXED_INFO>(block.memory), &size)
                              : ERROR_NOT_ENOUGH_MEMORY;
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

// The C library's text mode, as the tool writes its lines with "\r\n" ends.
int read_config_file(const char* name, std::string& text, int limit)
{
    std::FILE* file = std::fopen(name, "r");
    if (!file)
        return -1;
    char block[4096];
    std::size_t n = 1;
    while (n > 0 && text.size() < static_cast<std::size_t>(limit)) {
        std::size_t left = static_cast<std::size_t>(limit) - text.size();
        n = std::fread(block, 1, left < sizeof block ? left : sizeof block, file);
        text.append(block, n);
    }
    // One octet more tells whether the file goes on beyond the limit.
    char more;
    bool beyond = n > 0 && std::fread(&more, 1, 1, file) == 1;
    std::fclose(file);
    return beyond ? 1 : 0;
}

int has_ip_config_tool() { return 1; }

int make_temp_file(const char* prefix, std::string& name)
{
    char directory[MAX_PATH];
    DWORD length = GetTempPathA(sizeof directory, directory);
    char file[MAX_PATH];
    // GetTempFileNameA needs room for its own 14 characters after the directory.
    if (length == 0 || length > MAX_PATH - 14 || GetTempFileNameA(directory, prefix, 0, file) == 0)
        return -1;
    name = file;
    return 0;
}

int remove_file(const char* name) { return DeleteFileA(name) ? 0 : -1; }

ToolRun run_system_tool(const char* tool, const char* arguments, int milliseconds)
{
    // The tool's standard streams are the null device, and that handle is the
    // one it inherits. Without handle inheritance a console program is still
    // given its parent's standard handles, and with ours it could read the
    // lines meant for this program, write into its output, and keep the pipes
    // of whoever reads that output open for as long as it runs. The tool
    // writes its settings into the file named on its command line.
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    OwnedHandle null_device(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &inheritable, OPEN_EXISTING, 0, nullptr));
    if (!null_device.handle)
        return RUN_NOT_STARTED;
    InheritOnly inherit(null_device.handle);
    if (!inherit.list)
        return RUN_NOT_STARTED;
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
        STARTUPINFOEXA startup{};
        startup.StartupInfo.cb = sizeof startup;
        startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
        startup.StartupInfo.hStdInput = null_device.handle;
        startup.StartupInfo.hStdOutput = null_device.handle;
        startup.StartupInfo.hStdError = null_device.handle;
        startup.lpAttributeList = inherit.list;
        PROCESS_INFORMATION process{};
        // Suspended until it is in its job, so that nothing it starts escapes it.
        if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, TRUE,
                            CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr, &startup.StartupInfo,
                            &process))
            continue;
        OwnedHandle tool_process(process.hProcess);
        OwnedHandle tool_thread(process.hThread);
        // The job ends the tool and whatever it started when it is ended, and
        // when its handle is closed, as when this program ends during the wait.
        // Where the job cannot be had (a system that does not nest jobs, with
        // this program in one) the tool alone is ended at its limit.
        OwnedHandle job(CreateJobObjectA(nullptr, nullptr));
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        bool in_job = job.handle &&
                      SetInformationJobObject(job.handle, JobObjectExtendedLimitInformation, &limits, sizeof limits) &&
                      AssignProcessToJobObject(job.handle, process.hProcess);
        ResumeThread(process.hThread);
        DWORD waited = WaitForSingleObject(process.hProcess, static_cast<DWORD>(milliseconds));
        if (waited == WAIT_OBJECT_0)
            return RUN_ENDED;
        if (!in_job || !TerminateJobObject(job.handle, 1))
            TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, TOOL_END_WAIT_MS);
        return RUN_NO_END;
    }
    return RUN_NOT_STARTED;
}
