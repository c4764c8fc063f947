// The refusal display (see refusals.h). Called by the load path, the save and export
// commands, the windowless modes and the start-up guard. Prints on stdout or stderr, sets
// the message line, or shows the notice; no GL state.
#include "app/refusals.h"

#include "app/messages.h"
#include "platform/platform.h"

#include <cstdio>

namespace {

constexpr char kNoticeCaption[] = "Quillmoor Error!";

// Where each audience but the notice hears of a refusal: the console stream and the
// line's prefix, and whether the message line shows it too. A warning goes to stderr
// whoever is told, so that stdout holds the listing alone.
struct Channel {
    Audience audience;
    bool toStderr;
    const char* prefix;
    bool messageLine;
};
const Channel kChannels[] = {
    {Audience::Editor, false, "", true},
    {Audience::CommandLine, true, "quillmoor: ", true},
    {Audience::Windowless, true, "quillmoor: ", false},
};

} // namespace

std::string WithoutFolder(const std::string& text, const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos || path.empty()) return text;
    const std::string name = path.substr(slash + 1);
    std::string out = text;
    for (std::string::size_type at = out.find(path); at != std::string::npos;
         at = out.find(path, at + name.size())) {
        out.replace(at, path.size(), name);
    }
    return out;
}

void ShowRefusal(const Refusal& refusal, Audience audience, Severity severity) {
    if (audience == Audience::Notice) {
        ShowMessageBox(kNoticeCaption, refusal.text.c_str());
        return;
    }
    const std::string line = DescribeRefusal(refusal);
    for (const Channel& channel : kChannels) {
        if (channel.audience != audience) continue;
        const bool warning = severity == Severity::Warning;
        std::FILE* stream = channel.toStderr || warning ? stderr : stdout;
        std::fprintf(stream, "%s%s\n", warning ? "quillmoor: warning: " : channel.prefix,
                     line.c_str());
        std::fflush(stream);
        if (channel.messageLine) ShowMessage(WithoutFolder(line, refusal.file));
    }
}
