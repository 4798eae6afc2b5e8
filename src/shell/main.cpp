#include "platform/platform.h"
#include "shell/completion.h"
#include "shell/shell.h"

#include <cstdlib>

int main()
{
    complete_line = complete_at_tab;
    return command_loop();
}

#if defined(__GLIBCXX__)
// An exception that escaped would end the program through the C++ runtime's
// verbose handler, which demangles the exception's type to name it: its
// demangler is some 40 kB of the program, mapped at every start. None is
// meant to escape (the one caught is bad_alloc, where a reply is decoded), so
// the program simply aborts instead.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}
#endif
