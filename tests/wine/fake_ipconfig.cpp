// A stand-in for the system's IP configuration tool, for kestrel.exe's
// fallback discovery under Wine, installed in the prefix as the system's
// ipconfig.exe or winipcfg.exe; copies of it also play impostors of the tool.
// Called as "ipconfig /all /batch FILE", it writes the text of ipconfig.txt
// (beside it) into FILE, as a Windows program writes text; called any other
// way it writes nothing and fails. Each run also writes a line of console text
// to its own standard output and error and into every pipe it holds, which
// must reach neither of kestrel's streams (see write_console_text). A text
// that begins with "@hang" stands for a tool that does not end: it holds FILE
// open, so that the file cannot be deleted while it runs, writes nothing into
// it and ends by itself only after 90 seconds, far past kestrel's 5-second
// wait and past the transcript runner's 60-second limit. Under Wine a program
// started by another keeps its parent's Unix standard output and error open
// whatever its Windows handles are, so the runner waits for a tool left
// running. One that begins with "@nowrite" stands for a tool that cannot
// write into FILE (someone else's read-only file, say): it writes nothing
// into it and fails. One that begins with "@remove" stands for a tool whose
// file is taken away (by someone else, say): it deletes FILE and ends well.
// A line "@pad N" of the text is written as N characters
// of labelled lines of 100 (their line ends counted as one), which carry no
// server.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// kestrel.exe's standard streams are pipes in every case (the runner's), so a
// pipe that the tool holds is one of them, whether it was given as the tool's
// standard stream or only inherited, and the text then shows in kestrel's
// output. Handle values are multiples of 4, an inherited handle keeps its
// value, and a program that has just started holds few.
static void write_console_text()
{
    static const char TEXT[] = "the tool's own console text\n";
    DWORD written;
    for (DWORD stream : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
        WriteFile(GetStdHandle(stream), TEXT, sizeof TEXT - 1, &written, nullptr);
    for (std::uintptr_t value = 4; value < 4096; value += 4) {
        HANDLE handle = reinterpret_cast<HANDLE>(value);
        if (GetFileType(handle) == FILE_TYPE_PIPE)
            WriteFile(handle, TEXT, sizeof TEXT - 1, &written, nullptr);
    }
}

int main(int argc, char** argv)
{
    if (argc != 4 || std::strcmp(argv[1], "/all") != 0 || std::strcmp(argv[2], "/batch") != 0)
        return 2;
    write_console_text();
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return 1;
    std::string fixture(path);
    fixture = fixture.substr(0, fixture.find_last_of('\\') + 1) + "ipconfig.txt";
    std::FILE* in = std::fopen(fixture.c_str(), "rb");
    if (!in)
        return 1;
    char buffer[4096];
    size_t n = std::fread(buffer, 1, sizeof buffer, in);
    if (n >= 5 && std::memcmp(buffer, "@hang", 5) == 0) {
        HANDLE held = CreateFileA(argv[3], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        Sleep(90000);
        CloseHandle(held);
        return 0;
    }
    if (n >= 8 && std::memcmp(buffer, "@nowrite", 8) == 0)
        return 1;
    if (n >= 7 && std::memcmp(buffer, "@remove", 7) == 0)
        return DeleteFileA(argv[3]) ? 0 : 1;
    std::string text(buffer, n);
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        text.append(buffer, n);
    std::fclose(in);
    std::FILE* out = std::fopen(argv[3], "w");
    if (!out)
        return 1;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(start, end - start);
        if (line.compare(0, 5, "@pad ") == 0) {
            std::string filler = "        Padding . . . . . . : " + std::string(69, 'x') + "\n";
            for (long left = std::atol(line.c_str() + 5); left >= 100; left -= 100)
                std::fputs(filler.c_str(), out);
        } else {
            std::fputs(line.c_str(), out);
        }
        start = end;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
