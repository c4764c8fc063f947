// How the editor shows a refusal: the one place where a refused or unwritable file (or a
// warning about a file that loaded) reaches the user -- the console line, the window's
// message line, and the notice box where one is wanted. Readers and writers only return
// Refusal values (base/refusal.h); the load path, the save and export commands, the
// windowless modes and the start-up guard hand them here. No GL state is changed.
#pragma once

#include "base/refusal.h"

#include <string>

// Who is told, besides the message line.
enum class Audience {
    Editor,      // a file chosen in the editor: "FILE:LINE: problem" on stdout
    CommandLine, // a file named when the editor starts: "quillmoor: FILE:LINE: problem"
                 // on stderr
    Windowless,  // --newick, --export, --report and fatal errors: stderr as for the command
                 // line, and no message line (there is no window)
    Notice,      // the modal notice "Quillmoor Error!" with the problem alone (the missing
                 // font); stderr when no notice can be shown
};

enum class Severity {
    Refused, // the file was refused or not written
    Warning, // the file loaded, but the user should know something of it: one line on
             // stderr, "quillmoor: warning: FILE:LINE:COLUMN: problem", and the message
             // line, so the console's listing on stdout stays as it is
};

// Shows refusal to audience: its one-line form (DescribeRefusal) on the console, and on
// the message line with the file's folder left out; for Notice, its text in the notice.
void ShowRefusal(const Refusal& refusal, Audience audience, Severity severity = Severity::Refused);

// text with every occurrence of path replaced by its last part (the file's own name), for
// the message line, where a folder would push the problem out of sight.
std::string WithoutFolder(const std::string& text, const std::string& path);
