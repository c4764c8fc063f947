// The settings the editor remembers from one run to the next, as a table of named values
// (settings.cpp), kept in a small text file: a first line naming the program and the
// file's version, then one "key = value" line per setting. Read once at start-up by main;
// written by the frame, in full or not at all, when a value has changed. No GL state.
#pragma once

#include <string>

// The first line of a settings file of this version.
constexpr char kSettingsFirstLine[] = "quillmoor settings 1";

// Where the settings are kept: UserFolder("XDG_CONFIG_HOME", ".config") + "settings",
// that is $XDG_CONFIG_HOME/quillmoor/settings or ~/.config/quillmoor/settings. Empty
// when neither is known.
std::string SettingsPath();

// Reads the settings at path and applies them; from then on KeepSettings writes there.
// Blank lines and lines starting with '#' are skipped; blanks around keys and values do
// not count; keys this version does not know are kept for the next write, as read.
// - No file: every setting keeps its default; nothing is said. Returns true.
// - A file whose every line reads: its values are applied. Returns true.
// - Otherwise the file is ignored whole, every setting keeps its default, and one line on
//   stderr and on the message line says why (the file, the line, the problem); returns
//   false. A file of this version with a line that is not "key = value", or with a value
//   its key does not take, is replaced at the next change. A file that cannot be read
//   (a folder, say), another program's file or another version's settings are left as
//   they are: changes are then kept for this run only.
bool LoadSettings(const std::string& path);

// Called by every frame: when the settings differ from what the file holds, writes it
// (in full or not at all, the folder made when missing). Does nothing before
// LoadSettings, nor for a file left as it is. A failure to write is told once a run.
void KeepSettings();

// The file's text for the settings as they are now: the first line, one line per setting
// in table order, then the unknown lines read.
std::string SettingsText();

// Forgets the file and the unknown lines (KeepSettings then does nothing). For tests.
void ResetSettings();
