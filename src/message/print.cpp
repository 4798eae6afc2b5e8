#include "message/message.h"

void print_message(const Message&) {}
