#include "shell/shell.h"

int main()
{
    return command_loop();
}
