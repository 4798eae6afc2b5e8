/* The least an interactive program does: print a line and a prompt, read one
   line. bench/costs.py measures the start-up and exit of kestrel against it. */
#include <stdio.h>

int main(void)
{
    char line[256];
    fputs("Type \"help\" for help\n>", stdout);
    fflush(stdout);
    return fgets(line, sizeof line, stdin) ? 0 : 1;
}
