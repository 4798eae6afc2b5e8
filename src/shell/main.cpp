#include "platform/platform.h"
#include "shell/completion.h"
#include "shell/shell.h"

int main()
{
    complete_word = complete_command_word;
    return command_loop();
}
