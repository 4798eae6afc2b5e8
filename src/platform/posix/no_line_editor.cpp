// Where the program was built without libedit, lines typed at a terminal are
// read plainly, as from a pipe.
#include "platform/posix/internal.h"

bool start_line_editor() { return false; }
int read_edited_line(const char*, char*, int) { return -1; }
