// The web build's test programs under node (linked with --pre-js by web/web.cmake): they
// run on the page's own in-memory file system, where gtest can capture stdout (it dup2s a
// file over the stream; node's raw file system cannot dup its standard streams, so every
// capture came back empty and stdout then went nowhere, ending each run at its first
// capture). The host folders the tests read (Module.nodeFolders, which the build writes
// into a pre-js of its own) are mounted at their own paths, and /dev/zero is made, an
// endless device as on Linux.
Module['preRun'] = (Module['preRun'] || []).concat(function () {
  (Module['nodeFolders'] || []).forEach(function (folder) {
    FS.mkdirTree(folder);
    FS.mount(NODEFS, {root: folder}, folder);
  });
  FS.createDevice('/dev', 'zero', function () { return 0; });
});
