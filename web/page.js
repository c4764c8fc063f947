// The page around the editor: loads the program (quillmoor.js), sizes its canvas to the
// largest 4:3 that fits the window once the first frame is drawn, hands it files dropped
// on the page and the example named by ?file=, and shows the bar of notices and the offer
// of a kept tree. The program's own input, picker, menu and downloads are the web
// platform layer's (platform/web_library.js), which calls the hooks in Module.page.
'use strict';

var Module = (function () {
  var canvas = document.getElementById('canvas');
  var bar = document.getElementById('bar');
  var barText = document.getElementById('bar-text');
  var barButtons = document.getElementById('bar-buttons');
  var framesSeen = false;

  function showBar(text, buttons) {
    barText.textContent = text;
    barButtons.textContent = '';
    (buttons || []).forEach(function (b) {
      var button = document.createElement('button');
      button.textContent = b.label;
      button.addEventListener('click', function () { hideBar(); b.run(); });
      barButtons.appendChild(button);
    });
    bar.hidden = false;
  }
  function hideBar() { bar.hidden = true; }

  // The largest 4:3 that fits the window, in whole pixels.
  function fit() {
    var width = Math.min(window.innerWidth, Math.floor(window.innerHeight * 4 / 3));
    var height = Math.floor(width * 3 / 4);
    if (width > 0 && (canvas.width !== width || canvas.height !== height)) {
      Module.setCanvasSize(width, height);
    }
  }

  // ?file=examples/NAME.csv opens a bundled example, as a file named on the command line.
  var args = [];
  var file = new URLSearchParams(window.location.search).get('file');
  if (file) args.push(file);

  window.addEventListener('dragover', function (e) { e.preventDefault(); });
  window.addEventListener('drop', function (e) {
    e.preventDefault();
    var files = e.dataTransfer && e.dataTransfer.files;
    if (files && files.length > 0 && Module.openFile) Module.openFile(files[0]);
  });

  return {
    canvas: canvas,
    arguments: args,
    // The text size of the editor follows the window it started in: the canvas takes the
    // window's size only after the first frame.
    postRun: [function () {
      requestAnimationFrame(function () {
        requestAnimationFrame(function () {
          framesSeen = true;
          fit();
        });
      });
      window.addEventListener('resize', function () { if (framesSeen) fit(); });
    }],
    printErr: function (text) { console.error(text); },
    page: {
      notice: function (text) { showBar(text, [{label: 'OK', run: function () {}}]); },
      offerKeptTree: function (name) {
        showBar('The tree you last made from ' + name + ' was kept in this browser.', [
          {label: 'Bring it back', run: function () { Module._QuillmoorBringBackTree(); }},
          {label: 'Start afresh', run: function () { Module._QuillmoorForgetKeptTree(); }}
        ]);
      },
      withdrawKeptTree: hideBar,
      downloaded: function (name) {
        var text = 'Downloaded ' + name + '.';
        if (/\.png$/i.test(name)) {
          text += ' SVG and PDF pictures come from the desktop program or quillmoor --export.';
        }
        showBar(text, [{label: 'OK', run: function () {}}]);
      },
      menuNote: function (menu) {
        var note = document.createElement('div');
        note.className = 'qm-menu-note';
        note.textContent = 'Pictures are PNG here; SVG and PDF come from the desktop ' +
          'program or quillmoor --export. A browser may keep a few keys for itself ' +
          '(Firefox: Ctrl+Q); every command is in this menu.';
        menu.appendChild(note);
      },
      ended: function () {
        showBar('Quillmoor has ended. Reload the page to start again.', []);
      }
    }
  };
})();
