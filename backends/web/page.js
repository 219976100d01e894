// The page around the game: the canvas its window draws into, the keys and
// activations that become its window messages, its message boxes as modal
// dialogs, full screen, and the page that says the game has ended. The layer
// in win32_web.cpp calls these; they run in the browser's own event handlers
// or are awaited while the game's loop is suspended.

var VortaPage = (function () {
  const WM_ACTIVATE = 0x0006;
  const WM_KEYDOWN = 0x0100;
  const WM_KEYUP = 0x0101;
  const WM_SYSKEYDOWN = 0x0104;
  const WM_SYSKEYUP = 0x0105;
  const MINIMISED = 0x10000; // WM_ACTIVATE's high word
  const VK_MENU = 18, VK_F1 = 112, VK_F10 = 121;
  // The keys the game reads (Enter, Escape, the arrows, Q) and F1: the page
  // itself must not act on them (scrolling, the browser's help).
  const GAME_KEYS = new Set([13, 27, 37, 38, 39, 40, 81, VK_F1]);
  // Keys whose keyCode does not tell: their Windows codes by their place.
  const CODES = {
    Enter: 13, NumpadEnter: 13, Escape: 27, ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39,
    ArrowDown: 40, Space: 32, Tab: 9, Backspace: 8,
  };

  const events = []; // [message, wParam, lParam], taken by the message pump
  let stage = null, canvas = null;
  let windowUp = false;
  let fullScreenRequest = null; // made at a user gesture: a promise of success
  let wakeLock = null;

  function element(tag, parent, className) {
    const e = document.createElement(tag);
    if (className)
      e.className = className;
    parent.appendChild(e);
    return e;
  }

  // The canvas inside the element that goes full screen; made here when the
  // page does not bring them.
  function ensureStage() {
    if (stage)
      return;
    canvas = document.getElementById('canvas');
    if (!canvas) {
      stage = element('main', document.body);
      stage.id = 'stage';
      canvas = element('canvas', stage);
      canvas.id = 'canvas';
    }
    stage = canvas.parentElement;
    canvas.tabIndex = 0;
    canvas.hidden = true;
    canvas.addEventListener('keydown', (e) => key(e, true));
    canvas.addEventListener('keyup', (e) => key(e, false));
    canvas.addEventListener('focus', () => activate(1));
    canvas.addEventListener('blur', () => activate(0));
    // A click or touch anywhere on the page gives the game the keyboard back.
    stage.addEventListener('pointerdown', () => canvas.focus());
    document.addEventListener('visibilitychange',
                              () => activate(document.hidden ? MINIMISED : 1));
  }

  function activate(wParam) {
    if (windowUp)
      events.push([WM_ACTIVATE, wParam, 0]);
  }

  function virtualKey(e) {
    if (e.keyCode > 0 && e.keyCode < 256 && e.keyCode !== 229)
      return e.keyCode;
    if (/^Key[A-Z]$/.test(e.code))
      return e.code.charCodeAt(3);
    if (/^Digit[0-9]$/.test(e.code))
      return e.code.charCodeAt(5);
    const f = /^F([0-9]+)$/.exec(e.code);
    if (f && f[1] >= 1 && f[1] <= 24)
      return VK_F1 + Number(f[1]) - 1;
    return CODES[e.code] || 0;
  }

  function key(e, down) {
    const vk = virtualKey(e);
    if (vk === 0)
      return;
    if (GAME_KEYS.has(vk))
      e.preventDefault();
    // F1 goes full screen when the game takes it; the browser allows that
    // only while handling the key.
    if (down && vk === VK_F1 && !document.fullscreenElement)
      requestFullScreen();
    if (!windowUp)
      return;
    const alt = e.altKey && !e.ctrlKey;
    const system = alt || vk === VK_MENU || vk === VK_F10;
    let lParam = 1; // repeat count
    if (alt)
      lParam |= 1 << 29;
    if (!down || e.repeat)
      lParam |= 1 << 30; // the key was down before
    if (!down)
      lParam |= 1 << 31;
    const message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    events.push([message, vk, lParam]);
  }

  function requestFullScreen() {
    ensureStage();
    if (fullScreenRequest || document.fullscreenElement || !stage.requestFullscreen)
      return;
    try {
      fullScreenRequest = stage.requestFullscreen({navigationUI: 'hide'}).then(() => true,
                                                                                () => false);
    } catch (error) {
      fullScreenRequest = null;
    }
  }

  // Message boxes: Enter picks the first button (Yes, OK), Escape picks No
  // or Cancel (OK when it is the only one); mouse and touch pick any.
  const BUTTONS = {
    0: [['OK', 1]], 1: [['OK', 1], ['Cancel', 2]], 3: [['Yes', 6], ['No', 7], ['Cancel', 2]],
    4: [['Yes', 6], ['No', 7]],
  };
  const ESCAPE_ANSWER = {0: 1, 1: 2, 3: 2, 4: 7};
  const ICONS = {0x10: 'error', 0x20: 'question', 0x30: 'warning', 0x40: 'information'};

  function messageBox(text, caption, type) {
    ensureStage();
    const kind = (type & 0xf) in BUTTONS ? type & 0xf : 0;
    const box = element('dialog', document.body, 'box ' + (ICONS[type & 0xf0] || 'plain'));
    const caption_ = element('h1', box, 'caption');
    caption_.textContent = caption;
    element('p', box, 'text').textContent = text;
    const row = element('div', box, 'buttons');
    return new Promise((resolve) => {
      let answered = false;
      const answer = (id) => {
        if (answered)
          return;
        answered = true;
        box.close();
        box.remove();
        resolve(id);
      };
      // A box the browser closes by itself answers as Escape would.
      box.addEventListener('close', () => answer(ESCAPE_ANSWER[kind]));
      for (const choice of BUTTONS[kind]) {
        const id = choice[1];
        const button = element('button', row);
        button.type = 'button';
        button.textContent = choice[0];
        button.addEventListener('click', () => {
          // Yes may lead the game to full screen, which only a gesture may ask for.
          if (id === 6)
            requestFullScreen();
          answer(id);
        });
      }
      box.addEventListener('keydown', (e) => {
        if (e.key === 'Enter') {
          e.preventDefault();
          row.firstChild.click();
        }
      });
      box.addEventListener('cancel', (e) => {
        e.preventDefault(); // Escape: the box answers, it is not simply dismissed
        answer(ESCAPE_ANSWER[kind]);
      });
      box.showModal();
      row.firstChild.focus();
    });
  }

  function ended(code, why) {
    ensureStage();
    if (document.getElementById('ended'))
      return;
    // The process is gone, and its sound with it.
    if (VortaAudio.context)
      VortaAudio.context.close().catch(() => {});
    windowUp = false;
    for (const box of document.querySelectorAll('dialog.box'))
      box.remove();
    if (document.fullscreenElement)
      document.exitFullscreen().catch(() => {});
    stage.hidden = true;
    const page = element('section', document.body, 'ended');
    page.id = 'ended';
    element('h1', page).textContent = 'vorta kemi has ended';
    element('p', page).textContent = why || 'Exit code ' + code + '.';
    const again = element('button', page);
    again.type = 'button';
    again.textContent = 'Play again';
    again.addEventListener('click', () => location.reload());
    document.body.dataset.exitCode = String(code);
    again.focus();
  }

  return {
    // The next event into `event` (three 32-bit values); false when there is none.
    takeEvent: function (event) {
      const e = events.shift();
      if (!e)
        return 0;
      HEAP32.set(e, event >> 2);
      return 1;
    },
    nextFrame: () => new Promise((resolve) => requestAnimationFrame(resolve)),
    wait: (ms) => new Promise((resolve) => setTimeout(resolve, ms)),
    messageBox: messageBox,
    ended: ended,
    requestFullScreen: requestFullScreen,
    // The full-screen mode: granted when the page is (or goes) full screen.
    enterFullScreen: async function () {
      requestFullScreen();
      const granted = fullScreenRequest ? await fullScreenRequest : false;
      fullScreenRequest = null;
      if (!granted && document.fullscreenElement !== stage)
        return 0;
      // Escape is the game's key: held, it still leaves full screen.
      if (navigator.keyboard && navigator.keyboard.lock)
        navigator.keyboard.lock(['Escape']).catch(() => {});
      return 1;
    },
    leaveFullScreen: async function () {
      if (fullScreenRequest)
        await fullScreenRequest;
      fullScreenRequest = null;
      if (navigator.keyboard && navigator.keyboard.unlock)
        navigator.keyboard.unlock();
      if (document.fullscreenElement)
        await document.exitFullscreen().catch(() => {});
    },
    createWindow: function (title, width, height) {
      ensureStage();
      document.title = title;
      canvas.width = width;
      canvas.height = height;
      windowUp = true;
    },
    showWindow: function (show) {
      canvas.hidden = !show;
    },
    focusWindow: function () {
      canvas.focus({preventScroll: true});
    },
    destroyWindow: function () {
      windowUp = false;
      canvas.hidden = true;
      events.length = 0; // what was waiting for the window dies with it
      if (wakeLock)
        wakeLock.then((lock) => lock && lock.release()).catch(() => {});
      wakeLock = null;
    },
    // A window that refuses the screen saver keeps the screen awake.
    keepAwake: function () {
      if (navigator.wakeLock && !wakeLock)
        wakeLock = navigator.wakeLock.request('screen').catch(() => null);
    },
    hideCursor: function (hide) {
      if (canvas)
        canvas.style.cursor = hide ? 'none' : '';
    },
  };
})();

// The sound layer's side in the page: one gain for each fixed channel, all
// into one master and an analyser on the way out. Browsers keep a new audio
// context suspended until the player does something; the first key (other
// than Escape, which browsers do not count), click or touch resumes it.
var VortaAudio = {
  context: null,
  master: null,
  analyser: null,
  channels: [],
  sounds: [null], // handle 0 is no sound

  init: function (rate, count) {
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context)
      return 0;
    try {
      this.context = new Context({sampleRate: rate});
    } catch (error) {
      try {
        this.context = new Context();
      } catch (error2) {
        return 0;
      }
    }
    const c = this.context;
    this.master = c.createGain();
    this.analyser = c.createAnalyser();
    this.master.connect(this.analyser);
    this.analyser.connect(c.destination);
    for (let i = 0; i < count; ++i) {
      const gain = c.createGain();
      gain.connect(this.master);
      this.channels.push({gain: gain, source: null});
    }
    const resume = () => {
      if (c.state === 'suspended')
        c.resume().catch(() => {});
    };
    for (const type of ['keydown', 'pointerdown', 'click', 'touchend'])
      window.addEventListener(type, resume, true);
    return 1;
  },

  setVolume: function (channel, volume) {
    for (let i = 0; i < this.channels.length; ++i)
      if (channel < 0 || channel === i)
        this.channels[i].gain.gain.value = volume / 255;
  },

  // Interleaved 16-bit stereo at the context's rate, as the mixer core decodes WAV files.
  addPcm: function (pointer, frames) {
    if (frames === 0)
      return 0;
    const samples = HEAP16.subarray(pointer >> 1, (pointer >> 1) + 2 * frames);
    const buffer = this.context.createBuffer(2, frames, this.context.sampleRate);
    for (let side = 0; side < 2; ++side) {
      const out = buffer.getChannelData(side);
      for (let i = 0; i < frames; ++i)
        out[i] = samples[2 * i + side] / 32768;
    }
    this.sounds.push(buffer);
    return this.sounds.length - 1;
  },

  // A compressed file through the browser's decoder; 0 when it cannot, or
  // when it holds more than `maxSeconds` of sound.
  decode: async function (pointer, length, maxSeconds) {
    try {
      const bytes = HEAPU8.slice(pointer, pointer + length);
      const buffer = await this.context.decodeAudioData(bytes.buffer);
      if (buffer.duration > maxSeconds || buffer.length === 0)
        return 0;
      this.sounds.push(buffer);
      return this.sounds.length - 1;
    } catch (error) {
      return 0;
    }
  },

  // A play on a channel halts what it played and starts the sound from its beginning.
  play: function (channel, sound, loop) {
    const ch = this.channels[channel];
    if (ch.source) {
      ch.source.onended = null;
      ch.source.stop();
      ch.source.disconnect();
    }
    const source = this.context.createBufferSource();
    source.buffer = this.sounds[sound];
    source.loop = loop !== 0;
    source.connect(ch.gain);
    source.onended = () => {
      if (ch.source === source)
        ch.source = null;
    };
    source.start();
    ch.source = source;
  },

  busy: function (channel) {
    return this.channels[channel].source !== null ? 1 : 0;
  },
};

// The game's main runs as an export that may be suspended; its end (a return,
// or an exit through ExitProcess) leaves the page that says so.
Module['noInitialRun'] = true;
Module['onRuntimeInitialized'] = () => {
  Promise.resolve(Module['ccall']('main', 'number', [], [], {async: true}))
      .then((code) => VortaPage.ended(code), () => {});
};
Module['onExit'] = (code) => VortaPage.ended(code);
Module['onAbort'] = (why) => VortaPage.ended(-1, 'It stopped with an error: ' + why);
