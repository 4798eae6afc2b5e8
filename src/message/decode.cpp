#include "message/message.h"

std::unique_ptr<Message> decode_message(const std::uint8_t*, int) { return nullptr; }
