// The printed form of a reply: every section of a Message, each line ended
// through the pager.
#pragma once

#include "message/message.h"

void print_message(const Message& message);
void print_header(const MessageHeader& header);
void print_question(const Question& question);
void print_record(const ResourceRecord& record);
// Each byte as two upper-case hexadecimal digits; nothing for count <= 0.
void print_hex(const std::uint8_t* bytes, int count);
