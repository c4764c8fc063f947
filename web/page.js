// The page around the editor: loads the program (quillmoor.js); once its first frame is
// drawn, sizes the canvas to the largest 4:3 that fits the room the bar leaves; hands the
// program files dropped on the page and the example named by ?file=; shows the bar of
// notices and the offer of a kept tree. The program's input, picker, menu and downloads
// are the web platform layer's (platform/web_library.js), which calls the hooks of
// Module.page.
'use strict';

var Module = (function () {
  var stage = document.getElementById('stage');
  var canvas = document.getElementById('canvas');
  var bar = document.getElementById('bar');
  var barText = document.getElementById('bar-text');
  var barButtons = document.getElementById('bar-buttons');
  var drawn = false; // the first frame is drawn: the canvas may take the window's size
  var toast = document.getElementById('toast');
  var toastTimer = 0;
  var kNoticeMs = 8000; // as long as the editor's message line

  // The largest 4:3 in whole pixels that fits the stage.
  function fit() {
    if (!drawn) return;
    var width = Math.min(stage.clientWidth, Math.floor(stage.clientHeight * 4 / 3));
    var height = Math.floor(width * 3 / 4);
    if (width > 0 && (canvas.width !== width || canvas.height !== height)) {
      Module.setCanvasSize(width, height);
    }
  }

  // The bar, for what needs an answer: a text and buttons, each of which closes it. It
  // takes room of its own, so the canvas shrinks while it shows.
  function showBar(text, buttons) {
    barText.textContent = text;
    barButtons.textContent = '';
    buttons.forEach(function (b) {
      var button = document.createElement('button');
      button.textContent = b.label;
      button.addEventListener('click', function () { hideBar(); b.run(); });
      barButtons.appendChild(button);
    });
    bar.hidden = false;
    fit();
  }
  function hideBar() {
    bar.hidden = true;
    fit();
  }
  // A notice floats over the canvas's corner and goes by itself.
  function notice(text) {
    clearTimeout(toastTimer);
    toast.textContent = text;
    toast.hidden = false;
    toastTimer = setTimeout(function () { toast.hidden = true; }, kNoticeMs);
  }

  // The text size follows the window the editor started in (800 x 600), so the canvas
  // keeps that size until the first frame is drawn.
  function waitForFirstFrame() {
    if (Module.calledRun && Module._QuillmoorFramesDrawn() > 0) {
      Module.firstFrameAt = performance.now(); // for the page's figures
      drawn = true;
      fit();
      return;
    }
    requestAnimationFrame(waitForFirstFrame);
  }
  window.addEventListener('resize', fit);

  window.addEventListener('dragover', function (e) { e.preventDefault(); });
  window.addEventListener('drop', function (e) {
    e.preventDefault();
    var files = e.dataTransfer && e.dataTransfer.files;
    if (files && files.length > 0 && Module.openFile) Module.openFile(files[0]);
  });

  // ?file=examples/NAME.csv opens a bundled example, as a file named on the command line.
  var file = new URLSearchParams(window.location.search).get('file');

  return {
    canvas: canvas,
    arguments: file ? [file] : [],
    postRun: [waitForFirstFrame],
    page: {
      notice: notice,
      offerKeptTree: function (name) {
        showBar('The tree you last made from ' + name + ' is kept in this browser.', [
          {label: 'Bring it back', run: function () { Module._QuillmoorBringBackTree(); }},
          {label: 'Start afresh', run: function () { Module._QuillmoorForgetKeptTree(); }}
        ]);
      },
      withdrawKeptTree: hideBar,
      downloaded: function (name) {
        notice('Downloaded ' + name + '.' + (/\.png$/i.test(name)
          ? ' SVG and PDF pictures come from the desktop program or quillmoor --export.' : ''));
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
        canvas.hidden = true; // it answers nothing any more
        showBar('Quillmoor has ended. Reload the page to start again.', []);
      }
    }
  };
})();
