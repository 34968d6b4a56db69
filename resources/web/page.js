// The page around Brawlex!: sizes the canvas, loads the program (or says plainly why
// it cannot), and does the DOM work the program asks for through window.BrawlexPage:
// the loading panel, putting frames on the canvas, the message box, and telling the
// program whether the page is active (visible and holding the keyboard focus).
"use strict";

(function () {
  const canvas = document.getElementById("canvas");
  const keysLine = document.getElementById("keys");
  const notice = document.getElementById("notice");
  const pausedLabel = document.getElementById("paused");
  let context = null;
  let imageData = null;
  let programRunning = false; // main has started and not yet ended
  let ended = false;
  let failed = false;

  // The canvas takes the window's inner size at start-up, less the line of keys
  // under it, and keeps that size: it is the game's play area, fixed once taken.
  const width = Math.max(1, window.innerWidth);
  const height = Math.max(1, window.innerHeight - keysLine.offsetHeight);
  canvas.width = width;
  canvas.height = height;
  canvas.style.width = width + "px";
  canvas.style.height = height + "px";

  function showNotice(text) {
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
    activityLog.push(entry);
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
      messageLog.push({ caption: caption, text: text });
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

  // The console's boxes as text, while the console is open.
  const consoleText = document.getElementById("console-text");
  const consoleInput = document.getElementById("console-input");
  const consoleOutput = document.getElementById("console-output");
  const consoleState = { open: false, input: "", output: "", openings: 0 };

  let firstFrameAt = null;
  function repaintNow() {
    if (programRunning) Module._brawlex_repaint();
  }

  window.BrawlexPage = {
    canvasWidth: () => width,
    canvasHeight: () => height,
    isActive: () => active,
    text: text,

    showGame() {
      loadingPanel.hidden = true;
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

    console: {
      show(input, output) {
        if (!consoleState.open) ++consoleState.openings;
        consoleState.open = true;
        consoleState.input = input;
        consoleState.output = output;
        consoleInput.textContent = input;
        consoleOutput.textContent = output;
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
        overallBar.max = Math.max(range, 1);
        overallBar.value = 0;
        stageBar.value = 0;
        loadingPanel.hidden = false;
      },
      status(line) {
        loadingStatus.textContent = line;
        loadingLog.push(line);
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
    activityLog: activityLog,
    loadingLog: loadingLog,
    messageLog: messageLog,
  };

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

  if (typeof WebAssembly !== "object" || typeof WebAssembly.instantiate !== "function") {
    showNotice(
      "Brawlex! needs WebAssembly, which this browser does not offer (or has turned off)." +
      "\nTry a current version of Chromium, Chrome, Firefox, Edge or Safari.");
    return;
  }

  // Anything that goes wrong before the game runs (a file that does not arrive, a
  // program that cannot be compiled) ends in a plain message instead of a blank page.
  window.addEventListener("error", () => { if (!programRunning) fail(loadFailure); });
  window.addEventListener("unhandledrejection", () => { if (!programRunning) fail(loadFailure); });

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
