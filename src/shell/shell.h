// The command interpreter: the prompt, the commands and the set options.
#pragma once

#include "shell/text.h"

// The query type and class of every lookup.
extern int current_type;
extern int current_class;

// Prints the banner, discovers the system's servers and runs the prompt until
// `exit` or the end of input; returns 0.
int command_loop();
// Runs one command line; 1 when it was `exit`, else 0.
int run_command(const char* line);
// Applies the option of a whole `set` line.
void apply_set_option(const char* line);

// The commands, in the order they are tried and offered by Tab completion. A
// first word is a command when it is the command's word (ignoring case), when
// it begins with the first `least` letters of it (least > 0), or when its
// first character is `also` (not 0).
struct CommandRow {
    const char* word;
    int least;
    char also;
    int (*run)(const char* line, const char* rest);   // rest: what follows the word; 1 ends the session
};
extern const CommandRow COMMANDS[];
extern const int COMMAND_COUNT;
// The row of a first word, or nullptr when it is no command but a name.
const CommandRow* find_command(const char* word);

// The set options, in the order the help text and Tab completion give them.
// An option text is the option when it begins with `beginning`, ignoring case
// unless case_counts.
enum OptionKind { TYPE_VALUE, CLASS_VALUE, RETRY, TIMEOUT, PORT, DEBUG_ON, DEBUG_OFF,
                  VC_ON, VC_OFF, RECURSE_ON, RECURSE_OFF, LIST_ALL };
struct OptionRow {
    const char* beginning;
    bool case_counts;
    const char* word;   // as Tab completion offers it: a value option ends in "="
    OptionKind kind;
};
extern const OptionRow OPTIONS[];
extern const int OPTION_COUNT;
// The row of the option text at option, or nullptr.
const OptionRow* find_option(const char* option);
// Writes the reverse-lookup name of the dotted address in word into out
// (LINE_SIZE bytes): 0, or -1 when it would not fit.
int make_reverse_name(const char* word, char* out);
