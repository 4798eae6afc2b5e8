// The printed form of a reply: every section of a Message, in lines counted
// by the pager. print_message hands its text to standard output when it is
// done; the others leave theirs gathered in the pager (see flush_lines).
#pragma once

#include "message/message.h"

void print_message(const Message& message);
void print_header(const MessageHeader& header);
void print_question(const Question& question);
void print_record(const ResourceRecord& record);
// Each byte as two upper-case hexadecimal digits; nothing for count <= 0.
void print_hex(const std::uint8_t* bytes, int count);
