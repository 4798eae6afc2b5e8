// Lines typed at a terminal go through libedit: editing keys, a history of this
// run's lines (never written to a file) and Tab through complete_line. Built
// only where libedit's header was found; no_line_editor.cpp stands in elsewhere.
// libedit sets its own terminal modes only inside el_gets and puts the saved
// ones back before returning, so the pager's key wait never meets them.
#include "platform/platform.h"
#include "platform/posix/internal.h"

#include <cstdio>
#include <dlfcn.h>
#include <histedit.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

// libedit is loaded when the first line is read at a terminal: a batch read
// from a pipe or a file never maps it, nor the terminal libraries it brings.
// Where it cannot be loaded, lines are read plainly.
struct EditLibrary {
    decltype(&::el_init) el_init;
    decltype(&::el_set) el_set;
    decltype(&::el_gets) el_gets;
    decltype(&::el_line) el_line;
    decltype(&::el_insertstr) el_insertstr;
    decltype(&::el_deletestr) el_deletestr;
    decltype(&::el_cursor) el_cursor;
    decltype(&::el_push) el_push;
    decltype(&::history_init) history_init;
    decltype(&::history) history;
};
EditLibrary edit;

template <typename Function>
bool find_function(void* library, const char* name, Function& slot)
{
    slot = reinterpret_cast<Function>(dlsym(library, name));
    return slot != nullptr;
}

bool load_edit_library()
{
    void* library = nullptr;
    for (const char* name : {"libedit.so.2", "libedit.so.0", "libedit.so"})
        if ((library = dlopen(name, RTLD_NOW | RTLD_LOCAL)) != nullptr)
            break;
    return library && find_function(library, "el_init", edit.el_init) &&
           find_function(library, "el_set", edit.el_set) && find_function(library, "el_gets", edit.el_gets) &&
           find_function(library, "el_line", edit.el_line) &&
           find_function(library, "el_insertstr", edit.el_insertstr) &&
           find_function(library, "el_deletestr", edit.el_deletestr) &&
           find_function(library, "el_cursor", edit.el_cursor) && find_function(library, "el_push", edit.el_push) &&
           find_function(library, "history_init", edit.history_init) &&
           find_function(library, "history", edit.history);
}

EditLine* editor = nullptr;
// The terminal's modes before the editor first took it. Between lines libedit
// leaves its own idea of them, with the control characters the user had
// switched off (werase, kill, ...) switched on again; these are put back.
termios modes_before_editing{};
History* line_history = nullptr;
const char* editor_prompt_text = "";
bool line_dropped = false;   // Ctrl+C ended the line el_gets gives

char* editor_prompt(EditLine*) { return const_cast<char*>(editor_prompt_text); }

// Tab: what the shell says, done to the line or shown below it.
unsigned char complete_at_cursor(EditLine* el, int)
{
    if (!complete_line)
        return CC_ERROR;
    const LineInfo* info = edit.el_line(el);
    std::string before(info->buffer, static_cast<size_t>(info->cursor - info->buffer));
    TabAction action{0, {}, {}};
    if (!complete_line(before.c_str(), action) || action.replace < 0 ||
        action.replace > static_cast<int>(before.size()))
        return CC_ERROR;
    if (!action.insert.empty()) {
        edit.el_deletestr(el, action.replace);
        return edit.el_insertstr(el, action.insert.c_str()) == 0 ? CC_REFRESH : CC_ERROR;
    }
    std::fputc('\n', stdout);
    std::fputs(action.listing.c_str(), stdout);
    std::fflush(stdout);
    return CC_REDISPLAY;
}

// Ctrl+C while a line is typed (the terminal's interrupt key is off while
// libedit edits): the line is marked ^C, as a shell marks it, and ended as
// Enter ends it, so that the cursor goes below all of it; the reader drops it.
unsigned char drop_line(EditLine* el, int)
{
    const LineInfo* info = edit.el_line(el);
    edit.el_cursor(el, static_cast<int>(info->lastchar - info->cursor));
    edit.el_insertstr(el, "^C");
    edit.el_push(el, "\n");
    line_dropped = true;
    return CC_REFRESH;
}

} // namespace

bool start_line_editor()
{
    if (!load_edit_library() || tcgetattr(STDIN_FILENO, &modes_before_editing) != 0)
        return false;
    editor = edit.el_init("kestrel", stdin, stdout, stderr);
    line_history = edit.history_init();
    if (!editor || !line_history)
        return false;   // no memory left
    HistEvent event;
    edit.history(line_history, &event, H_SETSIZE, 500);
    edit.history(line_history, &event, H_SETUNIQUE, 1);
    edit.el_set(editor, EL_EDITOR, "emacs");
    edit.el_set(editor, EL_SIGNAL, 1);   // a signal while editing restores the terminal first
    edit.el_set(editor, EL_PROMPT, editor_prompt);
    edit.el_set(editor, EL_HIST, edit.history, line_history);
    edit.el_set(editor, EL_ADDFN, "kestrel-complete", "complete the word before the cursor", complete_at_cursor);
    edit.el_set(editor, EL_BIND, "^I", "kestrel-complete", nullptr);
    // The interrupt key reaches the editor as a key, which drops the line; outside
    // the editor it is the terminal's interrupt again.
    edit.el_set(editor, EL_SETTY, "-d", "-intr", nullptr);
    edit.el_set(editor, EL_ADDFN, "kestrel-drop-line", "drop the line and prompt afresh", drop_line);
    edit.el_set(editor, EL_BIND, "^C", "kestrel-drop-line", nullptr);
    // The keys people expect of a shell line, whatever the terminal's settings
    // and description say (libedit itself binds ESC [ H and ESC [ F, and the
    // ESC O forms, to Home and End).
    static const char* const BINDINGS[][2] = {
        {"^W", "ed-delete-prev-word"}, {"^U", "vi-kill-line-prev"},
        {"\\e[1~", "ed-move-to-beg"},  {"\\e[4~", "ed-move-to-end"},
        {"\\e[7~", "ed-move-to-beg"},  {"\\e[8~", "ed-move-to-end"},
        {"\\e[3~", "ed-delete-next-char"},
        {"\\e[1;5D", "ed-prev-word"},  {"\\e[1;5C", "em-next-word"},
        {"\\e[1;3D", "ed-prev-word"},  {"\\e[1;3C", "em-next-word"},
    };
    for (const auto& b : BINDINGS)
        edit.el_set(editor, EL_BIND, b[0], b[1], nullptr);
    return true;
}

int read_edited_line(const char* prompt, char* line, int size)
{
    editor_prompt_text = prompt;
    std::fflush(stdout);
    int count = 0;
    const char* text = edit.el_gets(editor, &count);
    tcsetattr(STDIN_FILENO, TCSADRAIN, &modes_before_editing);
    if (line_dropped) {
        line_dropped = false;
        return LINE_DROPPED;
    }
    if (!text || count <= 0) {
        // Ctrl+D on an empty line: end the prompt's line before the program ends.
        std::fputc('\n', stdout);
        return -1;
    }
    int kept = 0;
    while (kept < count && text[kept] != '\n' && kept < size - 1) {
        line[kept] = text[kept];
        ++kept;
    }
    line[kept] = '\0';
    if (kept > 0) {
        HistEvent event;
        std::string entry(text, static_cast<size_t>(count));
        if (entry.back() == '\n')
            entry.pop_back();
        edit.history(line_history, &event, H_ENTER, entry.c_str());
    }
    return kept;
}
