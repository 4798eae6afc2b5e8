// A stand-in for the system's IP configuration tool, for kestrel.exe's
// fallback discovery under Wine, installed in the prefix as the system's
// ipconfig.exe or winipcfg.exe; copies of it also play impostors of the tool.
// Called as "ipconfig /all /batch FILE", it writes the text of ipconfig.txt
// (beside it) into FILE, as a Windows program writes text; called any other
// way it writes nothing and fails. A text that begins with "@hang" stands for
// a tool that does not end: it writes nothing and ends only after 7 seconds,
// well past kestrel's 5-second wait. One that begins with "@nowrite" stands
// for a tool that cannot write into FILE (someone else's read-only file, say):
// it writes nothing and fails.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4 || std::strcmp(argv[1], "/all") != 0 || std::strcmp(argv[2], "/batch") != 0)
        return 2;
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
        Sleep(7000);
        return 0;
    }
    if (n >= 8 && std::memcmp(buffer, "@nowrite", 8) == 0)
        return 1;
    std::FILE* out = std::fopen(argv[3], "w");
    if (!out)
        return 1;
    std::fwrite(buffer, 1, n, out);
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        std::fwrite(buffer, 1, n, out);
    std::fclose(in);
    return std::fclose(out) == 0 ? 0 : 1;
}
