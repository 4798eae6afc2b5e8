// Counted output lines and the pause after every page of them.
#pragma once

constexpr int PAGE_LINES = 24;

extern int page_line_count;

// Ends a printed line and counts it; after PAGE_LINES lines waits for a key.
void end_line();
