// What the platform layer adds in the browser (web.cpp, with web_library.js): entry points
// linked into the page's program in place of modules, the file types a download may have,
// the browser's local storage, and the page's offer of a kept tree. Called by the page's
// program (web/). No GL state.
#pragma once

#include <string>
#include <vector>

// An entry point that the desktop looks up in a module with dlsym.
struct LinkedEntryPoint {
    const char* module; // the module's file name, e.g. "libquillmoor_nexus.so"
    const char* symbol;
    void* entry;
};
// Hands ModuleEntryPoint the entry points the program links in (the table must live as
// long as the program). A module or symbol that is not in the table is told as missing.
void SetLinkedEntryPoints(const LinkedEntryPoint* entries, int count);

// The page saves by downloading: a save chooser gives at once a file in the download
// folder under its proposed name, with the extension of the first of the chooser's file
// types that is in this list (in order of preference), or its default extension. The file
// reaches the browser's downloads once the caller has written it (if it has).
void SetDownloadTypes(const char* const* extensions, int count);

// The browser's local storage, which outlives the page: the text kept under key, or empty.
std::string KeptText(const std::string& key);
// Keeps text under key; a full or unavailable storage keeps nothing, silently.
void KeepText(const std::string& key, const std::string& text);

// The PNG file of width x height RGBA pixels given bottom row first (as GL reads them),
// made opaque, encoded by the browser; empty when the browser cannot make one.
std::vector<unsigned char> EncodePng(const unsigned char* rgba, int width, int height);

// The page's picker, and files dropped on the page, hand the chosen file to open (its
// path in the in-memory file system). Set once at start-up.
using ChosenFileHandler = void (*)(const char* path);
void SetChosenFileHandler(ChosenFileHandler open);

// Asks on the page whether to bring back the tree kept for the data file `fileName`; the
// page's answer arrives later through the program's own exported functions.
void OfferKeptTree(const std::string& fileName);
// Takes the page's offer away (the user answered it, or opened another file).
void WithdrawKeptTreeOffer();
