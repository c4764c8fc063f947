// The settings (see settings.h): the table of settings, the file's reader, which checks
// every line before it applies any, and its writer. Called by main and the frame. Reads
// and writes the settings file; no GL state.
#include "app/settings.h"

#include "app/parsimony_tools.h"
#include "app/reconstruction_views.h"
#include "app/refusals.h"
#include "app/view_commands.h"
#include "base/files.h"
#include "display/text_places.h"
#include "platform/platform.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

// How a value is written: one of a few words (the value is the word's index), or, with no
// words, a whole number from low to high.
struct ValueForm {
    const char* const* words;
    int wordCount;
    int low;
    int high;
};
constexpr const char* kOffOn[] = {"off", "on"};
constexpr ValueForm kSwitch{kOffOn, 2, 0, 1};

struct Setting {
    const char* key;
    ValueForm form;
    int (*get)();
    void (*set)(int value);
};

int PanelValue() {
    return ParsimonyPanelShown() ? 1 : 0;
}
void SetPanelValue(int value) {
    SetParsimonyPanelShown(value != 0);
}

const char* const kMarkerModes[] = {"rule", "fewest"};
int MarkerValue() {
    return FewestChangesShown() ? 1 : 0;
}
void SetMarkerValue(int value) {
    SetFewestChangesShown(value != 0);
}

int PresentationValue() {
    return PresentationMode() ? 1 : 0;
}
void SetPresentationValue(int value) {
    SetPresentationMode(value != 0);
}

// One row per setting, in the order the file lists them, each with a getter and a setter
// over the switch that holds the value.
const Setting kSettings[] = {
    {"parsimony-panel", kSwitch, PanelValue, SetPanelValue},
    {"markers", {kMarkerModes, 2, 0, 1}, MarkerValue, SetMarkerValue},
    {"text-size",
     {nullptr, 0, kLeastTextScale, kMostTextScale},
     TextSizePercent,
     SetTextSizePercent},
    {"presentation", kSwitch, PresentationValue, SetPresentationValue},
};

// What a file this version reads holds: a value for some settings, and lines of keys it
// does not know, as "key = value".
struct ReadSettings {
    std::vector<std::pair<const Setting*, int>> values;
    std::vector<std::string> unknown;
};

std::string gPath;                      // empty before LoadSettings
bool gReplaceable = false;              // the file may be written over
std::string gWritten;                   // the text the file holds, as SettingsText writes it
bool gToldWriteFailure = false;         // a failure to write is told once a run
std::vector<std::string> gUnknownLines; // of the file read, written back as they were

std::string Trimmed(const std::string& text) {
    const std::string::size_type first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool ParseValue(const ValueForm& form, const std::string& text, int* value) {
    if (form.words != nullptr) {
        for (int i = 0; i < form.wordCount; ++i) {
            if (text == form.words[i]) {
                *value = i;
                return true;
            }
        }
        return false;
    }
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *value = std::atoi(text.c_str());
    return *value >= form.low && *value <= form.high;
}

std::string FormatValue(const ValueForm& form, int value) {
    return form.words != nullptr ? form.words[value] : std::to_string(value);
}

// "off or on", "a number from 75 to 250".
std::string ValuesTaken(const ValueForm& form) {
    if (form.words == nullptr)
        return "a number from " + std::to_string(form.low) + " to " + std::to_string(form.high);
    std::string words;
    for (int i = 0; i < form.wordCount; ++i)
        words += (i == 0                    ? ""
                  : i + 1 == form.wordCount ? " or "
                                            : ", ") +
                 std::string(form.words[i]);
    return words;
}

const Setting* SettingNamed(const std::string& key) {
    for (const Setting& setting : kSettings)
        if (key == setting.key) return &setting;
    return nullptr;
}

// Reads text into *read; false with the line and problem in *refusal. *ours says whether
// the first line is this version's, so that the file may be written over.
bool ParseSettings(const std::string& text, ReadSettings* read, Refusal* refusal, bool* ours) {
    const auto refuse = [refusal](int line, const std::string& problem) {
        refusal->line = line;
        refusal->text = problem;
        return false;
    };
    std::string::size_type at = 0;
    for (int number = 1; at < text.size() || number == 1; ++number) {
        std::string::size_type end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (number == 1) {
            *ours = Trimmed(line) == kSettingsFirstLine;
            if (*ours) continue;
            const std::string head = "quillmoor settings ";
            return refuse(1, line.compare(0, head.size(), head) == 0
                                 ? "the settings of another version of the program"
                                 : "not a settings file of this program");
        }
        line = Trimmed(line);
        if (line.empty() || line[0] == '#') continue;
        const std::string::size_type equals = line.find('=');
        if (equals == std::string::npos || Trimmed(line.substr(0, equals)).empty())
            return refuse(number, "expected a line \"key = value\"");
        const std::string key = Trimmed(line.substr(0, equals));
        const std::string value = Trimmed(line.substr(equals + 1));
        const Setting* setting = SettingNamed(key);
        if (setting == nullptr) {
            read->unknown.push_back(key + " = " + value);
            continue;
        }
        int parsed = 0;
        if (!ParseValue(setting->form, value, &parsed))
            return refuse(number, key + " takes " + ValuesTaken(setting->form) + ", not \"" +
                                      CutName(value) + "\"");
        read->values.emplace_back(setting, parsed);
    }
    return true;
}

void TellIgnored(Refusal refusal) {
    refusal.text += " (settings ignored)";
    ShowRefusal(refusal, Audience::CommandLine, Severity::Warning);
}

} // namespace

std::string SettingsPath() {
    const std::string folder = UserFolder("XDG_CONFIG_HOME", ".config");
    return folder.empty() ? folder : folder + "settings";
}

bool LoadSettings(const std::string& path) {
    ResetSettings();
    gPath = path;
    gReplaceable = true;
    gWritten = SettingsText();
    if (path.empty()) return true;
    struct stat info;
    if (stat(path.c_str(), &info) != 0 && errno == ENOENT) return true;

    Refusal refusal{path, 0, 0, ""};
    std::string text;
    ReadSettings read;
    bool ours = false;
    if (!ReadWholeFile(path.c_str(), &text, &refusal)) {
        // "cannot open FILE" would hide the reason in a longer line.
        if (refusal.text == kCannotOpen) refusal.text = "cannot read the file";
        gReplaceable = false;
        TellIgnored(refusal);
        return false;
    }
    if (!ParseSettings(text, &read, &refusal, &ours)) {
        gReplaceable = ours;
        TellIgnored(refusal);
        return false;
    }
    for (const auto& value : read.values)
        value.first->set(value.second);
    gUnknownLines = read.unknown;
    gWritten = SettingsText();
    return true;
}

void KeepSettings() {
    if (gPath.empty() || !gReplaceable) return;
    const std::string text = SettingsText();
    if (text == gWritten) return;
    // Tried once for each new text, so that a disk that fails is not asked at every frame.
    gWritten = text;
    Refusal refusal;
    const std::string folder = gPath.substr(0, gPath.rfind('/') + 1);
    if (MakeFolders(folder, 0700, &refusal) && WriteTextReplacing(gPath.c_str(), text, &refusal))
        return;
    if (gToldWriteFailure) return;
    gToldWriteFailure = true;
    refusal.text += " (settings not kept)";
    ShowRefusal(refusal, Audience::CommandLine, Severity::Warning);
}

std::string SettingsText() {
    std::string text = std::string(kSettingsFirstLine) + "\n";
    for (const Setting& setting : kSettings)
        text += std::string(setting.key) + " = " + FormatValue(setting.form, setting.get()) + "\n";
    for (const std::string& line : gUnknownLines)
        text += line + "\n";
    return text;
}

void ResetSettings() {
    gPath.clear();
    gReplaceable = false;
    gWritten.clear();
    gUnknownLines.clear();
    gToldWriteFailure = false;
}
