// What the concerns of the Win32 backend share: the Ctrl+C event, which the
// console's line reading and the socket waits look at.
#pragma once

// Starts watching for Ctrl+C when standard input is a console.
void watch_interrupts();
// Whether Ctrl+C at the console is watched for (see interrupt.cpp).
bool interrupts_watched();
// Whether a read of a line that ended as at the end of input was ended by Ctrl+C.
bool line_interrupted();
