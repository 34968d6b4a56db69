// The page around Brawlex!: sizes the canvas and scales it to fit the window, loads the
// program (or says plainly why it cannot), and does the DOM work the program asks for
// through window.BrawlexPage: the loading panel, putting frames on the canvas, the
// message box, the line of keys, and telling the program whether the page is active
// (visible and holding the keyboard focus).
"use strict";

(function () {
  const canvas = document.getElementById("canvas");
  const stage = document.getElementById("stage");
  const keysLine = document.getElementById("keys");
  const notice = document.getElementById("notice");
  const starting = document.getElementById("starting");
  const pausedLabel = document.getElementById("paused");
  let context = null;
  let imageData = null;
  let programRunning = false; // main has started and not yet ended
  let ended = false;
  let failed = false;

  // What the tests read of the page is kept to its last entries: a page that runs for
  // days keeps no growing record.
  const logLimit = 100;
  function remember(log, entry) {
    log.push(entry);
    if (log.length > logLimit) log.splice(0, log.length - logLimit);
  }

  // Until the program says which keys are in force, the line of keys holds text of the
  // usual length, unseen, so that the room measured below is what is left once they show.
  document.getElementById("keys-1").textContent =
    "A D walk, W S aim, Space jump, G shoot, J sword, H hook";
  document.getElementById("keys-2").textContent =
    "\u2190 \u2192 walk, \u2191 \u2193 aim, Num 0 jump, Num 4 shoot, Num 6 sword, Num 5 hook" +
    " (Num Lock on)";
  keysLine.style.visibility = "hidden";

  // The canvas's pixels are the game's play area, taken once when the program starts
  // (the page then laid out whole) from the window's inner size less the line of keys
  // under it, and kept. It gets as many game pixels as fit there at a whole number of
  // device pixels each, that number being the display's scale rounded (at least 1): a
  // game pixel is a CSS pixel at 100 % and 200 %, a device pixel at 125 %, two at 150 %
  // and 175 %. The picture thus fills the window at start-up, every game pixel the
  // same size, and the game's pixels are near the size the user chose for the screen.
  let width = 0;
  let height = 0;
  function takePlayArea() {
    if (width) return;
    const ratio = window.devicePixelRatio || 1;
    const scale = Math.max(1, Math.round(ratio));
    width = Math.max(1, Math.floor((window.innerWidth * ratio) / scale));
    height = Math.max(
      1, Math.floor(((window.innerHeight - keysLine.offsetHeight) * ratio) / scale));
    canvas.width = width;
    canvas.height = height;
    fitCanvas();
  }

  // The whole picture, its shape kept, in the room the window has for it now: the
  // largest whole number of device pixels per game pixel that fits, so that every game
  // pixel is the same sharp square at any display scale (125 %, 150 %...); only where
  // not even one device pixel fits (a very small window) smoothly scaled down. The CSS
  // box is the device pixels over the display's scale, centred on a whole device pixel.
  // Called again whenever the window, the display scale or the line of keys changes.
  const fit = { scale: 1, ratio: window.devicePixelRatio || 1, whole: true };
  function fitCanvas() {
    if (!width) return; // the play area is not taken yet
    const ratio = window.devicePixelRatio || 1;
    const roomWidth = Math.floor(window.innerWidth * ratio);
    const roomHeight = Math.floor(Math.max(0, window.innerHeight - keysLine.offsetHeight) * ratio);
    let most = Math.min(roomWidth / width, roomHeight / height);
    // The line of keys gives way first: where the window itself holds the picture at a
    // device pixel per game pixel, it is shown so, the line then partly below the window.
    const tallest = Math.floor(window.innerHeight * ratio);
    if (most < 1 && Math.min(roomWidth / width, tallest / height) >= 1) most = 1;
    const whole = most >= 1;
    const scale = whole ? Math.floor(most) : Math.max(most, 1 / 64);
    canvas.style.width = (width * scale) / ratio + "px";
    canvas.style.height = (height * scale) / ratio + "px";
    canvas.classList.toggle("smooth", !whole);
    stage.style.marginLeft =
      Math.max(0, Math.floor((roomWidth - Math.ceil(width * scale)) / 2)) / ratio + "px";
    fit.scale = scale;
    fit.ratio = ratio;
    fit.whole = whole;
  }
  window.addEventListener("resize", fitCanvas);
  // A change of the display scale (the page moved to another screen, the browser's
  // zoom) need not resize the window: the media query of the scale now says when.
  function watchRatio() {
    const query = window.matchMedia("(resolution: " + (window.devicePixelRatio || 1) + "dppx)");
    query.addEventListener("change", () => {
      fitCanvas();
      watchRatio();
    }, { once: true });
  }
  watchRatio();

  function showNotice(text) {
    starting.hidden = true;
    notice.textContent = text;
    notice.hidden = false;
    canvas.classList.remove("shown");
    for (const id of ["loading", "modal", "paused"]) document.getElementById(id).hidden = true;
  }

  function fail(text) {
    if (failed || ended) return;
    failed = true;
    programRunning = false;
    showNotice(text);
  }

  const servedOverHttp = location.protocol === "http:" || location.protocol === "https:";
  const loadFailure =
    "Brawlex! could not load its files, so it cannot start." +
    (servedOverHttp
      ? "\nReload the page; if this stays, the site is missing some of its files."
      : "\nThe page must be served by a web server (for example: python3 -m http.server)," +
        " not opened as a file.");

  // Waiters woken by the program's events (a key for the console, a change of activity).
  let wakeResolver = null;
  let wakePending = false;
  // Waiters for the page to become active again.
  let activeResolvers = [];
  let active = false;

  function pageActive() {
    return document.visibilityState === "visible" && document.hasFocus();
  }

  // Every change of activity, with the frame count when it happened and the state the
  // sound was brought to: what a test reads to see that a hidden page ran nothing.
  const activityLog = [];

  function activityChanged() {
    const now = pageActive();
    pausedLabel.hidden = !(programRunning && !now && document.visibilityState === "visible");
    if (now === active) return;
    active = now;
    const entry = { active: now, frames: frames(), at: performance.now(), sound: null };
    remember(activityLog, entry);
    if (programRunning && Module._brawlex_set_active) Module._brawlex_set_active(now ? 1 : 0);
    // The sound stands still with the game: a suspended audio context runs none of
    // its callbacks, so a hidden or unfocused page uses no processor time for it.
    const audio = window.Module && Module.brawlexAudio;
    if (audio && audio.context) {
      const change = now ? audio.context.resume() : audio.context.suspend();
      if (change && change.then) change.then(() => { entry.sound = audio.context.state; });
    }
    if (now) {
      const resolvers = activeResolvers;
      activeResolvers = [];
      for (const resolve of resolvers) resolve();
    }
  }
  document.addEventListener("visibilitychange", activityChanged);
  window.addEventListener("focus", activityChanged);
  window.addEventListener("blur", activityChanged);
  window.addEventListener("pageshow", activityChanged);
  window.addEventListener("pagehide", activityChanged);
  active = pageActive();

  function frames() {
    return programRunning || ended ? Module._brawlex_frames() : 0;
  }

  // A yield to the page that lets it repaint: after the next animation frame while
  // the page is visible; through a message while hidden (animation frames and timers
  // wait or slow down in a hidden page, and loading should go on there).
  const yieldChannel = new MessageChannel();
  let yieldResolvers = [];
  yieldChannel.port1.onmessage = () => {
    const resolvers = yieldResolvers;
    yieldResolvers = [];
    for (const resolve of resolvers) resolve();
  };
  // A turn for the page's waiting events, back as soon as they are handled (a message
  // is not delayed the way a timer is).
  function yieldNow() {
    return new Promise((resolve) => {
      yieldResolvers.push(resolve);
      yieldChannel.port2.postMessage(0);
    });
  }
  function yieldToPage() {
    return new Promise((resolve) => {
      if (document.visibilityState === "visible") {
        requestAnimationFrame(() => setTimeout(resolve, 0));
      } else {
        yieldResolvers.push(resolve);
        yieldChannel.port2.postMessage(0);
      }
    });
  }

  // The loading panel: the stages and bars of the sprite generation.
  const loadingPanel = document.getElementById("loading");
  const loadingStatus = document.getElementById("loading-status");
  const stageBar = document.getElementById("loading-stage");
  const overallBar = document.getElementById("loading-overall");
  const loadingLog = []; // every status shown, in order
  // The statuses on the screen when the page repainted during loading.
  const loadingPaintedLog = [];
  // Runs before each repaint of the page while the panel shows.
  function notePainted() {
    if (loadingPanel.hidden) return;
    const status = loadingStatus.textContent;
    if (loadingPaintedLog[loadingPaintedLog.length - 1] !== status) {
      remember(loadingPaintedLog, status);
    }
    requestAnimationFrame(notePainted);
  }

  // The message box: modal over the canvas; Enter, Escape or OK dismiss it.
  const modal = document.getElementById("modal");
  const messageCaption = document.getElementById("message-caption");
  const messageText = document.getElementById("message-text");
  const messageIcon = document.getElementById("message-icon");
  const messageOk = document.getElementById("message-ok");
  const messageLog = []; // every box shown: {caption, text}

  function messageBox(text, caption, style) {
    return new Promise((resolve) => {
      messageCaption.textContent = caption;
      messageText.textContent = text;
      const icon = style & 0xf0;
      messageIcon.className = icon === 0x10 ? "stop" : icon === 0x30 ? "exclamation" : "";
      messageIcon.textContent = icon === 0x10 ? "\u2715" : icon === 0x30 ? "!" : "";
      remember(messageLog, { caption: caption, text: text });
      modal.hidden = false;
      messageOk.focus();

      function dismiss() {
        window.removeEventListener("keydown", onKey, true);
        window.removeEventListener("keyup", swallow, true);
        messageOk.removeEventListener("click", dismiss);
        modal.hidden = true;
        messageCaption.textContent = "";
        messageText.textContent = "";
        resolve();
      }
      // The box has the keyboard: no key reaches the page behind it. A key held
      // from before the box opened repeats; only a fresh press dismisses it.
      function onKey(event) {
        event.preventDefault();
        event.stopPropagation();
        if (event.repeat) return;
        if (event.key === "Enter" || event.key === "Escape") dismiss();
      }
      function swallow(event) {
        event.preventDefault();
      }
      window.addEventListener("keydown", onKey, true);
      window.addEventListener("keyup", swallow, true);
      messageOk.addEventListener("click", dismiss);
    });
  }

  // 8-bit text of the program (a zero-terminated string in its memory) as a string:
  // each byte one character (Latin-1), as the program's text is not UTF-8.
  function text(heap, pointer) {
    let end = pointer;
    while (heap[end] !== 0) ++end;
    let result = "";
    for (let i = pointer; i < end; i += 8192) {
      result += String.fromCharCode.apply(null, heap.subarray(i, Math.min(end, i + 8192)));
    }
    return result;
  }

  // The console's boxes as text, while the console is open. The whole output stays
  // readable there; what a screen reader announces is only what is new: the lines a
  // command added at the top of the output (never the input line, which the reader
  // echoes as it is typed, nor the whole text again at each key).
  const consoleText = document.getElementById("console-text");
  const consoleInput = document.getElementById("console-input");
  const consoleOutput = document.getElementById("console-output");
  const consoleNews = document.getElementById("console-news");
  const consoleState = { open: false, input: "", output: "", openings: 0 };

  // The text added in front of `before` to make `after` (the console's output grows
  // only at its top), without its last line break; "" when nothing was added or the
  // output changed otherwise.
  function addedInFront(before, after) {
    if (after.length <= before.length || !after.endsWith(before)) return "";
    return after.slice(0, after.length - before.length).replace(/\r?\n$/, "");
  }

  // The line of keys under the canvas, from the bindings the program has in force: a
  // line for each player, his keys by action in the order JUMP LEFT RIGHT GRAPPLE AIMUP
  // AIMDOWN ATTACK SWORD, separated by blanks, as the program's key names ("" for none;
  // the keypad's operators as NUM+ NUM- NUM* NUM/).
  const keyWords = {
    SPACE: "Space", SHIFT: "Shift", CTRL: "Ctrl", ALT: "Alt", ENTER: "Enter", TAB: "Tab",
    BACKSPACE: "Backspace", UP: "\u2191", DOWN: "\u2193", LEFT: "\u2190", RIGHT: "\u2192",
  };
  const padWords = {
    UP: "d-pad up", DOWN: "d-pad down", LEFT: "d-pad left", RIGHT: "d-pad right",
    STICKUP: "stick up", STICKDOWN: "stick down", STICKLEFT: "stick left",
    STICKRIGHT: "stick right", BACK: "Back", START: "Start",
  };
  function keyWord(name) {
    if (keyWords[name]) return keyWords[name];
    let match = /^NUM(.)$/.exec(name);
    if (match) return "Num " + match[1];
    match = /^PAD([12])(.+)$/.exec(name);
    if (match) return "Pad " + match[1] + " " + (padWords[match[2]] || match[2]);
    return name;
  }
  function keysText(names) {
    const key = (i) => (names[i] ? keyWord(names[i]) : null);
    const parts = [];
    const add = (what, ...keys) => {
      const given = keys.filter((k) => k !== null);
      if (given.length) parts.push(given.join(" ") + " " + what);
    };
    add("walk", key(1), key(2));
    add("aim", key(4), key(5));
    add("jump", key(0));
    add("shoot", key(6));
    add("sword", key(7));
    add("hook", key(3));
    let line = parts.length ? parts.join(", ") : "no keys";
    if (names.some((n) => /^NUM\d$/.test(n))) line += " (Num Lock on)";
    return line;
  }
  const keysLog = []; // every line of keys shown, in order
  function showKeys(bindings) {
    const players = bindings.split("\n");
    for (let side = 0; side < 2; ++side) {
      const text = keysText((players[side] || "").split(" "));
      document.getElementById("keys-" + (side + 1)).textContent = text;
    }
    keysLine.style.visibility = "";
    remember(keysLog, ["1", "2"].map((side) =>
      "Player " + side + " " + document.getElementById("keys-" + side).textContent).join(" "));
    fitCanvas(); // the line may now take more or less room
  }

  let firstFrameAt = null;
  function repaintNow() {
    // A change of scale that the media query did not report (browsers differ in when
    // they do) is noticed here, at the latest at the next frame.
    if ((window.devicePixelRatio || 1) !== fit.ratio) fitCanvas();
    if (programRunning) Module._brawlex_repaint();
  }

  window.BrawlexPage = {
    canvasWidth() {
      takePlayArea();
      return width;
    },
    canvasHeight() {
      takePlayArea();
      return height;
    },
    isActive: () => active,
    text: text,

    showGame() {
      loadingPanel.hidden = true;
      starting.hidden = true;
      canvas.classList.add("shown");
      activityChanged();
    },
    showEnded() {
      programRunning = false;
      ended = true;
      showNotice("Brawlex! has ended. Reload the page to play again.");
    },

    // The program asks for a repaint after each frame; at most one is pending, and
    // the one callback serves them all (nothing is made anew per frame).
    requestRepaint() {
      requestAnimationFrame(repaintNow);
    },
    // The program's frame, R G B A bytes in its memory, onto the canvas: the
    // rectangle of it that changed since the last one.
    putFrame(heap, pointer, frameWidth, frameHeight, left, top, changedWidth, changedHeight) {
      if (!context) context = canvas.getContext("2d", { alpha: false });
      if (!imageData || imageData.data.buffer !== heap.buffer || imageData.width !== frameWidth) {
        imageData = new ImageData(
          new Uint8ClampedArray(heap.buffer, pointer, frameWidth * frameHeight * 4),
          frameWidth, frameHeight);
      }
      context.putImageData(imageData, 0, 0, left, top, changedWidth, changedHeight);
      if (firstFrameAt === null) firstFrameAt = performance.now();
    },

    wake() {
      if (wakeResolver) {
        const resolve = wakeResolver;
        wakeResolver = null;
        resolve();
      } else {
        wakePending = true;
      }
    },
    whenWoken() {
      if (wakePending) {
        wakePending = false;
        return Promise.resolve();
      }
      return new Promise((resolve) => { wakeResolver = resolve; });
    },
    whenActive() {
      if (active) return Promise.resolve();
      return new Promise((resolve) => activeResolvers.push(resolve));
    },

    messageBox: messageBox,
    yieldNow: yieldNow,
    showKeys: showKeys,

    console: {
      show(input, output) {
        const opening = !consoleState.open;
        if (opening) {
          ++consoleState.openings;
          consoleNews.textContent = "";
        } else if (output !== consoleState.output) {
          const news = addedInFront(consoleState.output, output);
          if (news) consoleNews.textContent = news;
        }
        consoleState.open = true;
        if (input !== consoleState.input || opening) consoleInput.textContent = input;
        if (output !== consoleState.output || opening) consoleOutput.textContent = output;
        consoleState.input = input;
        consoleState.output = output;
        consoleText.hidden = false;
      },
      hide() {
        consoleState.open = false;
        consoleText.hidden = true;
      },
      state: consoleState,
    },

    loading: {
      open(range) {
        starting.hidden = true;
        overallBar.max = Math.max(range, 1);
        overallBar.value = 0;
        stageBar.value = 0;
        loadingPanel.hidden = false;
        requestAnimationFrame(notePainted);
      },
      status(line) {
        loadingStatus.textContent = line;
        remember(loadingLog, line);
      },
      stage(range, position) {
        stageBar.max = Math.max(range, 1);
        stageBar.value = position;
      },
      overall(position) {
        overallBar.value = position;
      },
      close() {
        loadingPanel.hidden = true;
      },
      yieldToPage: yieldToPage,
    },

    // What the tests and the benchmark read.
    stats() {
      const running = programRunning || ended;
      return {
        frames: frames(),
        frameMilliseconds: running ? Module._brawlex_frame_milliseconds() : 0,
        repaints: running ? Module._brawlex_repaints() : 0,
        repaintMilliseconds: running ? Module._brawlex_repaint_milliseconds() : 0,
        firstFrameAt: firstFrameAt,
        now: performance.now(),
        running: programRunning,
        ended: ended,
        failed: failed,
        active: active,
      };
    },
    fit: fit,
    activityLog: activityLog,
    loadingLog: loadingLog,
    loadingPaintedLog: loadingPaintedLog,
    messageLog: messageLog,
    keysLog: keysLog,
  };

  // ---- Paste into the console -------------------------------------------------------
  // The console's input line takes the clipboard's text: Ctrl+V, Shift+Insert and the
  // browser's own Paste, which the program leaves to the browser while the console is
  // open. Each character goes over as its code point; the program keeps those it can
  // type, and takes none while the console is closed. The input line holds at most
  // 32767 characters, so no more than that and a line break go over.
  document.addEventListener("paste", (event) => {
    if (!programRunning || !Module._brawlex_paste_end) return;
    const text = event.clipboardData ? event.clipboardData.getData("text/plain") : "";
    let count = 0;
    for (const character of text) {
      if (++count > 32769) break;
      Module._brawlex_paste_character(character.codePointAt(0));
    }
    if (Module._brawlex_paste_end()) event.preventDefault();
  });

  // ---- Demos ------------------------------------------------------------------------
  // The page's files live in its memory only. A recording that STOP ends is offered as
  // a download; a demo file dropped on the page or picked with the chooser beside the
  // key line is put in the game's folder under its own name, for PLAYDEMO.
  const demoPicker = document.createElement("input");
  demoPicker.type = "file";
  demoPicker.accept = ".dem";
  demoPicker.hidden = true;
  const demoButton = document.createElement("button");
  demoButton.type = "button";
  demoButton.id = "demo-open";
  demoButton.textContent = "Open a demo...";
  const demoStatus = document.createElement("span");
  demoStatus.id = "demo-status";
  demoStatus.setAttribute("role", "status");
  const demoPlace = document.createElement("span");
  demoPlace.append(demoButton, demoPicker, " ", demoStatus);
  const keyLine = document.getElementById("keys");
  if (keyLine) keyLine.append(" ", demoPlace);
  const demoLog = [];
  // The log is bounded; an offered file's link stays usable (for a second save, and
  // the tests) while it is logged.
  function logDemo(entry) {
    demoLog.push(entry);
    if (demoLog.length > 20) {
      const old = demoLog.shift();
      if (old.url) URL.revokeObjectURL(old.url);
    }
  }

  function takeDemo(file) {
    if (!file) return;
    if (!programRunning || !Module.brawlexWriteDemo) {
      demoStatus.textContent = "The game has not started yet.";
      return;
    }
    if (file.size > 64 * 1024 * 1024) {
      demoStatus.textContent = file.name + " is too large for a demo.";
      return;
    }
    file.arrayBuffer().then((buffer) => {
      const name = Module.brawlexWriteDemo(file.name, new Uint8Array(buffer));
      logDemo({ taken: file.name, as: name });
      demoStatus.textContent = name
        ? "Type PLAYDEMO " + name + " in the console to play it."
        : file.name + " is no demo file (its name must end in .dem).";
    }, () => { demoStatus.textContent = file.name + " could not be read."; });
  }
  demoButton.addEventListener("click", () => demoPicker.click());
  demoPicker.addEventListener("change", () => {
    takeDemo(demoPicker.files[0]);
    demoPicker.value = "";
  });
  document.addEventListener("dragover", (event) => {
    if (event.dataTransfer && Array.from(event.dataTransfer.types).includes("Files")) {
      event.preventDefault();
      event.dataTransfer.dropEffect = "copy";
    }
  });
  document.addEventListener("drop", (event) => {
    if (!event.dataTransfer || event.dataTransfer.files.length === 0) return;
    event.preventDefault();
    takeDemo(event.dataTransfer.files[0]);
  });

  window.BrawlexDemos = {
    // Called by the program when STOP has written a recording.
    offerDownload: (name, bytes) => {
      const url = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
      const link = document.createElement("a");
      link.href = url;
      link.download = name;
      link.hidden = true;
      document.body.appendChild(link);
      link.click();
      link.remove();
      logDemo({ offered: name, size: bytes.length, url: url });
      demoStatus.textContent = name + " is offered as a download.";
    },
    // For the tests: what was offered and taken, and a file given as if dropped.
    log: demoLog,
    take: (name, bytes) => takeDemo(new File([bytes], name)),
  };

  // ---- Room links -------------------------------------------------------------------
  // A page opened at an address ending in "#join=<code>@<relay>" (or given one later,
  // pasted into the address bar of an open page) joins that room once the game runs,
  // as if JOIN had been typed. The program reads the fragment strictly
  // (net/room_link.h) and quietly ignores anything else; here it is only decoded and
  // handed over. The host's page shows its room's link over the top right corner of the
  // picture, with a button that copies it.
  let pendingRoomLink = null;
  function noteRoomLink() {
    let fragment = location.hash;
    if (!fragment || fragment === "#") return;
    try {
      fragment = decodeURIComponent(fragment);
    } catch (e) {
      // Not valid percent-encoding: handed over as it is, which no room link matches.
    }
    pendingRoomLink = fragment;
  }
  noteRoomLink();
  window.addEventListener("hashchange", noteRoomLink);

  const roomLinkPlace = document.createElement("span");
  roomLinkPlace.id = "room-link";
  roomLinkPlace.hidden = true;
  const roomLinkAnchor = document.createElement("a");
  roomLinkAnchor.id = "room-link-address";
  const roomLinkCopy = document.createElement("button");
  roomLinkCopy.type = "button";
  roomLinkCopy.id = "room-link-copy";
  roomLinkCopy.textContent = "Copy link";
  const roomLinkStatus = document.createElement("span");
  roomLinkStatus.setAttribute("role", "status");
  roomLinkPlace.append("Room ", roomLinkAnchor, " ", roomLinkCopy, " ", roomLinkStatus);
  stage.append(roomLinkPlace);
  roomLinkCopy.addEventListener("click", () => {
    const link = roomLinkAnchor.href;
    const copied = () => { roomLinkStatus.textContent = "Copied."; };
    const shown = () => {
      // No clipboard for the page (not a secure page, or refused): the link is
      // selected so that the player can copy it himself.
      const range = document.createRange();
      range.selectNodeContents(roomLinkAnchor);
      const selection = window.getSelection();
      selection.removeAllRanges();
      selection.addRange(range);
      roomLinkStatus.textContent = "Copy the selected link.";
    };
    if (navigator.clipboard && navigator.clipboard.writeText) {
      navigator.clipboard.writeText(link).then(copied, shown);
    } else {
      shown();
    }
    // The game keeps the keyboard.
    roomLinkCopy.blur();
  });

  const roomLink = {
    // The fragment the page was opened with or given since, once; null when none waits.
    take() {
      const fragment = pendingRoomLink;
      pendingRoomLink = null;
      return fragment;
    },
    host: () => location.hostname,
    pageAddress: () => location.origin + location.pathname + location.search,
    // The room the host's page opened: the code as a link to it.
    show(link, code) {
      roomLinkAnchor.href = link;
      roomLinkAnchor.textContent = code;
      roomLinkStatus.textContent = "";
      roomLinkPlace.hidden = false;
    },
    // Once the other player is in, or the room is left, the link has done its work.
    hide() {
      roomLinkPlace.hidden = true;
    },
    // Text into the program's memory as zero-terminated bytes; a character beyond
    // ASCII becomes 0x7F, which nothing the program reads from here accepts. The
    // length, or -1 when it does not fit in `capacity` bytes.
    copy(heap, pointer, capacity, text) {
      if (text.length + 1 > capacity) return -1;
      for (let i = 0; i < text.length; ++i) {
        const c = text.charCodeAt(i);
        heap[pointer + i] = c > 0 && c < 0x80 ? c : 0x7f;
      }
      heap[pointer + text.length] = 0;
      return text.length;
    },
  };
  window.BrawlexPage.roomLink = roomLink;

  if (typeof WebAssembly !== "object" || typeof WebAssembly.instantiate !== "function") {
    showNotice(
      "Brawlex! needs WebAssembly, which this browser does not offer (or has turned off)." +
      "\nTry a current version of Chromium, Chrome, Firefox, Edge or Safari.");
    return;
  }

  // Anything that goes wrong before the game runs (a file that does not arrive, a
  // program that cannot be compiled) ends in a plain message instead of a blank page.
  // Only the program's own scripts count: an error of another script on the page (the
  // host site's, an extension's) says nothing about the game. A program that cannot
  // be fetched or compiled ends in onAbort or the script's onerror below.
  function ours(url) {
    return /\/(brawlex|page)\.js([?#].*)?$/.test(url || "");
  }
  window.addEventListener("error", (event) => {
    if (!programRunning && ours(event.filename)) fail(loadFailure);
  });

  window.Module = {
    canvas: canvas,
    print: (line) => console.log(line),
    printErr: (line) => console.warn(line),
    onRuntimeInitialized: () => { programRunning = true; },
    onAbort: () => {
      fail(programRunning ? "Brawlex! stopped because of an internal error." +
                            " Reload the page to play again." : loadFailure);
    },
  };

  const program = document.createElement("script");
  program.src = "brawlex.js";
  program.async = true;
  program.onerror = () => fail(loadFailure);
  document.body.appendChild(program);
})();
