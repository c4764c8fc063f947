// The browser's side of the web platform layer (web.cpp), as an Emscripten JavaScript
// library. GLUT's input is delivered here as the desktop's freeglut delivers it: keys held
// with Ctrl as their control codes (Ctrl+Z is 26), Shift and the other modifier keys as
// special keys of their own, motion with the pointer's new position, and the button a
// menu is attached to opening that menu (drawn by the page) instead of reaching the mouse
// callback. Also: the freeglut calls Emscripten's GLUT lacks, the file picker and
// downloads, local storage, and PNG encoding. The page's own parts (page.js) are reached
// through Module.page, when the page gives one.

var LibraryQuillmoorWeb = {
  $QMW__deps: ['$GLUT', '$Browser', '$FS'],
  $QMW__postset: 'QMW.install();',
  $QMW: {
    started: false,
    ended: false,
    held: 0, // buttons pressed on the canvas and not yet released
    menu: {func: 0, button: -1, entries: [], element: null},
    openHandler: 0,

    install: function() {
      // The page hands files (picked, dropped, or an example) to the program this way.
      Module['openFile'] = QMW.openFile;
      Module['openPath'] = QMW.openPath;
    },

    page: function(name) {
      var page = Module['page'];
      return page && typeof page[name] === 'function' ? page[name].bind(page) : null;
    },

    // The event's place in canvas pixels (the canvas may be shown scaled).
    place: function(event) {
      var canvas = Module['canvas'];
      var rect = canvas.getBoundingClientRect();
      return [Math.floor((event.clientX - rect.left) * canvas.width / rect.width),
              Math.floor((event.clientY - rect.top) * canvas.height / rect.height)];
    },

    // GLUT's special key codes, by the key's place on the keyboard.
    specialCodes: {
      'F1': 1, 'F2': 2, 'F3': 3, 'F4': 4, 'F5': 5, 'F6': 6, 'F7': 7, 'F8': 8, 'F9': 9,
      'F10': 10, 'F11': 11, 'F12': 12, 'ArrowLeft': 100, 'ArrowUp': 101,
      'ArrowRight': 102, 'ArrowDown': 103, 'PageUp': 104, 'PageDown': 105, 'Home': 106,
      'End': 107, 'Insert': 108, 'ShiftLeft': 112, 'ShiftRight': 113,
      'ControlLeft': 114, 'ControlRight': 115, 'AltLeft': 116, 'AltRight': 117,
      'MetaLeft': 118, 'MetaRight': 119
    },
    // Keys with a character code of their own but no character in event.key.
    namedCodes: {'Escape': 27, 'Enter': 13, 'Tab': 9, 'Backspace': 8, 'Delete': 127},

    specialKey: function(event) {
      var code = QMW.specialCodes[event['code']];
      if (code === undefined) code = QMW.specialCodes[event['key']];
      return code === undefined ? null : code;
    },

    // AltGr, which some systems report as Ctrl and Alt held, types a character (the [ and
    // ] or @ of many layouts), as X11's AltGr does, with neither held.
    altGraph: function(event) {
      return !!(event.getModifierState && event.getModifierState('AltGraph'));
    },

    ctrlHeld: function(event) {
      return event['ctrlKey'] && !QMW.altGraph(event);
    },

    // The character GLUT hands the keyboard callback, or null for none. X11 turns a
    // letter held with Ctrl into its control code, Shift or not; the letter is the one
    // the layout types, or, when it types none, the one on the key.
    characterKey: function(event) {
      var key = event['key'];
      if (QMW.ctrlHeld(event)) {
        var letter = /^[a-zA-Z]$/.test(key) ? key : (/^Key([A-Z])$/.exec(event['code']) || [])[1];
        if (letter) return letter.toUpperCase().charCodeAt(0) - 64;
      }
      if (key.length === 1) return key.charCodeAt(0) < 256 ? key.charCodeAt(0) : null;
      var named = QMW.namedCodes[key];
      return named === undefined ? null : named;
    },

    // The special keys the editor binds: F1 (help), F5 (presentation mode), F11 (full
    // screen), Left and Right (the trace's previous and next character).
    editorSpecials: {1: true, 5: true, 11: true, 100: true, 102: true},

    // The signs and digit the editor binds with Ctrl: its text size (=, +, -, 0).
    editorCtrlSigns: {61: true, 43: true, 45: true, 48: true},

    // The browser keeps its own action for a key the editor has no use for (Ctrl with
    // another digit, Up and Down scroll); the keys the editor binds are taken from it, so
    // that Left and Right trace rather than scroll the page, F5 presents rather than
    // reloads, and Ctrl+= and Ctrl+- size the editor's text rather than zoom the page.
    editorTakes: function(event, special, character) {
      if (special !== null) return QMW.editorSpecials[special] === true;
      return !QMW.ctrlHeld(event) || character < 32 || QMW.editorCtrlSigns[character] === true;
    },

    // GLUT's modifiers of the event, with AltGr's Ctrl and Alt taken off.
    saveModifiers: function(event) {
      GLUT.saveModifiers(event);
      if (QMW.altGraph(event)) GLUT.modifiers &= ~6; // GLUT_ACTIVE_CTRL | GLUT_ACTIVE_ALT
    },

    key: function(event, down) {
      if (QMW.ended || event['metaKey']) return;
      if (down && QMW.menu.element) QMW.hideMenu();
      QMW.saveModifiers(event);
      var place = [Browser.mouseX | 0, Browser.mouseY | 0];
      var special = QMW.specialKey(event);
      if (special !== null) {
        var specialFunc = down ? GLUT.specialFunc : GLUT.specialUpFunc;
        if (QMW.editorTakes(event, special, null)) event.preventDefault();
        if (specialFunc) {{{ makeDynCall('viii', 'specialFunc') }}}(special, place[0], place[1]);
        return;
      }
      var character = QMW.characterKey(event);
      if (character === null) return;
      if (QMW.editorTakes(event, null, character)) event.preventDefault();
      var func = down ? GLUT.keyboardFunc : GLUT.keyboardUpFunc;
      if (func) {{{ makeDynCall('viii', 'func') }}}(character, place[0], place[1]);
    },

    mouseDown: function(event) {
      var menu = QMW.menu.element;
      if (menu && menu.contains(event.target)) return; // a row's click chooses
      QMW.hideMenu(); // a press anywhere else closes the menu, as a native one closes
      if (QMW.ended || event.target !== Module['canvas']) return;
      event.preventDefault();
      var place = QMW.place(event);
      Browser.mouseX = place[0];
      Browser.mouseY = place[1];
      if (event['button'] === QMW.menu.button && QMW.menu.func) {
        QMW.showMenu(event['clientX'], event['clientY']);
        return;
      }
      QMW.held |= 1 << event['button'];
      GLUT.saveModifiers(event);
      if (GLUT.mouseFunc) {{{ makeDynCall('viiii', 'GLUT.mouseFunc') }}}(event['button'], 0, place[0], place[1]);
    },

    mouseUp: function(event) {
      var bit = 1 << event['button'];
      if (QMW.ended || !(QMW.held & bit)) return;
      QMW.held &= ~bit;
      var place = QMW.place(event);
      GLUT.saveModifiers(event);
      if (GLUT.mouseFunc) {{{ makeDynCall('viiii', 'GLUT.mouseFunc') }}}(event['button'], 1, place[0], place[1]);
    },

    // Motion reaches the program with the pointer's new place; with a button held it is
    // followed anywhere on the page, as a grabbed pointer is.
    mouseMove: function(event) {
      if (QMW.ended) return;
      var place = QMW.place(event);
      if (place[0] === Browser.mouseX && place[1] === Browser.mouseY) return;
      Browser.mouseX = place[0];
      Browser.mouseY = place[1];
      GLUT.saveModifiers(event);
      if (QMW.held && GLUT.motionFunc) {
        {{{ makeDynCall('vii', 'GLUT.motionFunc') }}}(place[0], place[1]);
      } else if (!QMW.held && event.target === Module['canvas'] && GLUT.passiveMotionFunc) {
        {{{ makeDynCall('vii', 'GLUT.passiveMotionFunc') }}}(place[0], place[1]);
      }
    },

    // The menu: one row per entry, its name and, right-aligned, its keys (the program
    // separates them by four blanks).
    showMenu: function(x, y) {
      var element = document.createElement('div');
      element.className = 'qm-menu';
      element.setAttribute('role', 'menu');
      QMW.menu.entries.forEach(function(entry) {
        var row = document.createElement('div');
        row.className = 'qm-menu-entry';
        row.setAttribute('role', 'menuitem');
        var parts = entry.label.split('    ');
        var name = document.createElement('span');
        name.textContent = parts[0];
        var keys = document.createElement('span');
        keys.className = 'qm-menu-keys';
        keys.textContent = parts.slice(1).join(' ');
        row.appendChild(name);
        row.appendChild(keys);
        row.addEventListener('click', function(e) {
          e.stopPropagation();
          QMW.hideMenu();
          var func = QMW.menu.func;
          {{{ makeDynCall('vi', 'func') }}}(entry.value);
        });
        element.appendChild(row);
      });
      var note = QMW.page('menuNote');
      if (note) note(element);
      document.body.appendChild(element);
      // Kept inside the window, as a native menu is.
      var width = element.offsetWidth, height = element.offsetHeight;
      element.style.left = Math.max(0, Math.min(x, window.innerWidth - width)) + 'px';
      element.style.top = Math.max(0, Math.min(y, window.innerHeight - height)) + 'px';
      QMW.menu.element = element;
    },

    hideMenu: function() {
      if (QMW.menu.element) QMW.menu.element.remove();
      QMW.menu.element = null;
    },

    // A picked or dropped File: written into the in-memory file system, then opened.
    openFile: function(file) {
      return file.arrayBuffer().then(function(buffer) {
        if (!FS.analyzePath('/uploads').exists) FS.mkdir('/uploads');
        var path = '/uploads/' + file.name.replace(/\//g, '_');
        FS.writeFile(path, new Uint8Array(buffer));
        QMW.openPath(path);
      });
    },

    openPath: function(path) {
      if (QMW.ended || !QMW.openHandler) return;
      var text = allocateUTF8(path);
      var open = QMW.openHandler;
      {{{ makeDynCall('vi', 'open') }}}(text);
      _free(text);
    }
  },

  glutInit__deps: ['$QMW'],
  glutInit: function(argcp, argv) {
    GLUT.initTime = Date.now();
    QMW.started = true;
    window.addEventListener('keydown', function(e) { QMW.key(e, true); }, true);
    window.addEventListener('keyup', function(e) { QMW.key(e, false); }, true);
    window.addEventListener('mousedown', QMW.mouseDown, true);
    window.addEventListener('mouseup', QMW.mouseUp, true);
    window.addEventListener('mousemove', QMW.mouseMove, true);
    window.addEventListener('contextmenu', function(e) {
      if (e.target === Module['canvas']) e.preventDefault();
    }, true);
    Browser.resizeListeners.push(function(width, height) {
      if (GLUT.reshapeFunc) {{{ makeDynCall('vii', 'GLUT.reshapeFunc') }}}(width, height);
    });
  },

  glutGet__deps: ['$QMW'],
  glutGet: function(type) {
    switch (type) {
      case 0x007C: return QMW.started ? 1 : 0; // GLUT_INIT_STATE
      case 102: return Module['canvas'].width; // GLUT_WINDOW_WIDTH
      case 103: return Module['canvas'].height; // GLUT_WINDOW_HEIGHT
      case 502: return GLUT.initWindowWidth;
      case 503: return GLUT.initWindowHeight;
      case 700: return Date.now() - GLUT.initTime; // GLUT_ELAPSED_TIME
    }
    return 0;
  },

  glutGetWindow: function() {
    return Module.ctx ? 1 : 0;
  },

  // The page full screen, or back: the browser takes the request only from a key or a
  // click, which is where the command runs.
  glutFullScreenToggle: function() {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(function() {});
    }
  },

  // The page's canvas never closes on its own: nothing calls this callback.
  glutCloseFunc: function(callback) {},

  // The editor ends: no more events or frames; the page says how to start again.
  glutLeaveMainLoop__deps: ['$QMW'],
  glutLeaveMainLoop: function() {
    QMW.ended = true;
    QMW.hideMenu();
    var ended = QMW.page('ended');
    if (ended) ended();
  },

  // Emscripten's, but no frame once the editor has ended, not even one asked for before.
  glutPostRedisplay__deps: ['$QMW'],
  glutPostRedisplay: function() {
    if (QMW.ended || !GLUT.displayFunc || GLUT.requestedAnimationFrame) return;
    GLUT.requestedAnimationFrame = true;
    Browser.requestAnimationFrame(function() {
      GLUT.requestedAnimationFrame = false;
      if (QMW.ended) return;
      Browser.mainLoop.runIter(function() {
        {{{ makeDynCall('v', 'GLUT.displayFunc') }}}();
      });
    });
  },

  glutCreateMenu__deps: ['$QMW'],
  glutCreateMenu: function(func) {
    QMW.menu.func = func;
    QMW.menu.entries = [];
    return 1;
  },

  glutAddMenuEntry__deps: ['$QMW'],
  glutAddMenuEntry: function(label, value) {
    QMW.menu.entries.push({label: UTF8ToString(label), value: value});
  },

  glutAttachMenu__deps: ['$QMW'],
  glutAttachMenu: function(button) {
    QMW.menu.button = button;
  },

  quillmoor_set_open_handler__deps: ['$QMW'],
  quillmoor_set_open_handler: function(open) {
    QMW.openHandler = open;
  },

  quillmoor_show_notice__deps: ['$QMW'],
  quillmoor_show_notice: function(caption, text) {
    var message = UTF8ToString(caption) + ': ' + UTF8ToString(text);
    console.error(message);
    var notice = QMW.page('notice');
    if (notice) notice(message);
  },

  // The browser's picker opens on the user's click or key (it needs one), and answers
  // later: the chosen file then goes to the program through openFile.
  quillmoor_pick_file__deps: ['$QMW'],
  quillmoor_pick_file: function(accept) {
    var input = document.createElement('input');
    input.type = 'file';
    input.accept = UTF8ToString(accept);
    input.style.display = 'none';
    input.addEventListener('change', function() {
      if (input.files.length > 0) QMW.openFile(input.files[0]);
      input.remove();
    });
    document.body.appendChild(input);
    input.click();
  },

  // Once the program has written the file (after the call that chose its name returns),
  // the browser downloads it; a file that was not written is not offered.
  quillmoor_offer_download__deps: ['$QMW'],
  quillmoor_offer_download: function(path) {
    path = UTF8ToString(path);
    setTimeout(function() {
      if (!FS.analyzePath(path).exists) return;
      var name = path.substring(path.lastIndexOf('/') + 1);
      var type = /\.png$/i.test(name) ? 'image/png' : 'text/plain';
      var url = URL.createObjectURL(new Blob([FS.readFile(path)], {type: type}));
      FS.unlink(path);
      var link = document.createElement('a');
      link.href = url;
      link.download = name;
      document.body.appendChild(link);
      link.click();
      link.remove();
      setTimeout(function() { URL.revokeObjectURL(url); }, 60000);
      var downloaded = QMW.page('downloaded');
      if (downloaded) downloaded(name);
    }, 0);
  },

  quillmoor_kept_text: function(key) {
    try {
      var text = window.localStorage.getItem('quillmoor:' + UTF8ToString(key));
      return text === null ? 0 : allocateUTF8(text);
    } catch (e) {
      return 0; // storage turned off: nothing was kept
    }
  },

  quillmoor_keep_text: function(key, text) {
    try {
      window.localStorage.setItem('quillmoor:' + UTF8ToString(key), UTF8ToString(text));
    } catch (e) {
      // Full or turned off: the page goes on without it.
    }
  },

  quillmoor_offer_kept_tree__deps: ['$QMW'],
  quillmoor_offer_kept_tree: function(fileName) {
    var offer = QMW.page('offerKeptTree');
    if (offer) offer(UTF8ToString(fileName));
  },

  quillmoor_withdraw_kept_tree_offer__deps: ['$QMW'],
  quillmoor_withdraw_kept_tree_offer: function() {
    var withdraw = QMW.page('withdrawKeptTree');
    if (withdraw) withdraw();
  },

  // Rows come bottom first from GL; the picture is opaque, as the window is.
  quillmoor_encode_png: function(rgba, width, height, sizeOut) {
    var canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    var context = canvas.getContext('2d');
    var image = context.createImageData(width, height);
    var row = width * 4;
    for (var y = 0; y < height; ++y) {
      image.data.set(HEAPU8.subarray(rgba + (height - 1 - y) * row, rgba + (height - y) * row),
                     y * row);
    }
    for (var i = 3; i < image.data.length; i += 4) image.data[i] = 255;
    context.putImageData(image, 0, 0);
    var url = canvas.toDataURL('image/png');
    var bytes = atob(url.substring(url.indexOf(',') + 1));
    var out = _malloc(bytes.length);
    if (!out) return 0;
    for (var k = 0; k < bytes.length; ++k) HEAPU8[out + k] = bytes.charCodeAt(k);
    HEAP32[sizeOut >> 2] = bytes.length;
    return out;
  }
};

autoAddDeps(LibraryQuillmoorWeb, '$QMW');
mergeInto(LibraryManager.library, LibraryQuillmoorWeb);
