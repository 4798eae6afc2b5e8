// Decodes arbitrary octets as a reply and prints the Message into a sink, its
// texts escaped as at a terminal for part of the inputs.
#include "message/message.h"
#include "shell/pager.h"
#include "shell/print_message.h"

#include <cstdio>
#include <utility>

// The printer's assertions are half of what this target looks for.
#ifdef NDEBUG
#error "the fuzz targets are built with assertions on"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool sink = std::freopen("/dev/null", "w", stdout) != nullptr;
    (void)sink;
    if (size > 65535)
        return 0;
    auto message = decode_message(data, static_cast<int>(size));
    if (message) {
        // Texts escaped as at a terminal for the replies whose ID is odd.
        output_settings.escape_texts = (data[1] & 1) != 0;
        page_line_count = 0;   // as the shell does before each command
        print_message(*message);
        release_message(std::move(*message));
    }
    return 0;
}
