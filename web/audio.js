// The page's sound output, on the main thread (emscripten's --pre-js of plix.js): an AudioContext whose
// AudioWorklet plays the song with a libopenmpt of its own (music.js and music.wasm beside the page), so
// that no slow frame can starve the music; and the clock of music heard, from what the worklet reports
// it handed out and the context's output timestamp. The page's sound layer (web/sound.cpp) calls it.
var plixAudio = {
  context: null,
  node: null, // a promise of the worklet's node
  playing: false,
  report: null, // the worklet's last word: song frames handed out by a context frame, from a second

  // The song's bytes, with the page; music.wasm is the download the page started (it counts what has
  // arrived), or fetched here.
  takeSong(song) {
    this.song = song;
    this.wasm = Module.musicWasm || fetch("music.wasm").then((response) => {
      if (!response.ok)
        throw new Error(`music.wasm: ${response.status}`);
      return response.arrayBuffer();
    });
    this.wasm.catch(() => {});
    this.build();
  },

  // 1 when the page has an output to play on at the rate. Opened with the page, the context waits,
  // suspended, for the viewer's event, in which it is opened again and starts.
  open(rate) {
    const Context = globalThis.AudioContext || globalThis.webkitAudioContext;
    if (!this.context) {
      if (!Context || !("audioWorklet" in Context.prototype))
        return 0;
      try {
        this.context = new Context({ sampleRate: rate, latencyHint: "interactive" });
      } catch (error) {
        console.warn(`audio: ${error}`);
        return 0;
      }
      this.worklet = this.context.audioWorklet.addModule("music.js");
      document.addEventListener("visibilitychange", () => this.follow());
      this.build();
    }
    this.context.resume();
    return 1;
  },

  // The worklet's node, once there are both a context and a song: it builds the module from the song
  // at once, so that playing needs nothing more.
  build() {
    if (this.node || !this.context || !this.song)
      return;
    this.node = Promise.all([this.wasm, this.worklet]).then(([wasm]) => {
      const node = new AudioWorkletNode(this.context, "plix-music", {
        numberOfInputs: 0,
        outputChannelCount: [2],
        processorOptions: { wasm, song: this.song.buffer },
      });
      node.port.onmessage = (event) => this.heard(event.data);
      node.onprocessorerror = () => this.fail();
      node.connect(this.context.destination);
      return node;
    });
    this.node.catch((error) => {
      console.warn(`audio: ${error}`);
      this.fail();
    });
  },

  heard(word) {
    if (word.loaded === false)
      this.fail();
    else if (word.handed && this.playing)
      this.report = word;
  },

  fail() {
    this.playing = false;
    Module._musicFailed();
  },

  // The song from a second of it; the worklet reports the row's start it took, whence the clock counts.
  play(seconds) {
    this.playing = true;
    this.report = null;
    this.node.then((node) => node.port.postMessage({ play: seconds }), () => {});
  },

  // A hidden page pauses the music, and with it the clock and the show. Shown again, the music goes on
  // with the first frame, which shows where it stopped.
  follow() {
    if (!this.playing)
      return;
    if (document.hidden)
      this.context.suspend();
    else
      requestAnimationFrame(() => this.playing && this.context.resume());
  },

  // Milliseconds of song heard, counted from the song's start (across its repeats); -1 while nothing is
  // reported or the context is closed. A suspended context's timestamp stands where its output stopped.
  heardMs() {
    const context = this.context, report = this.report;
    if (!report || context.state === "closed")
      return -1;
    // The context time of what the output plays now; it cannot be past what the context has rendered
    // (a timestamp taken before a suspension would say so for a moment after it).
    let now = context.currentTime - (context.baseLatency || 0) - (context.outputLatency || 0);
    const stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
    if (stamp && stamp.performanceTime > 0) {
      const since = context.state === "running" ? (performance.now() - stamp.performanceTime) / 1000 : 0;
      now = Math.min(context.currentTime, stamp.contextTime + since);
    }
    const frames = report.handed - (report.by - now * context.sampleRate);
    return report.from * 1000 + Math.max(0, frames) * 1000 / context.sampleRate;
  },

  stop() {
    this.playing = false;
    this.report = null;
    this.node.then((node) => {
      node.port.postMessage({ stop: true });
      node.disconnect();
    }, () => {});
  },

  close() {
    if (this.context && this.context.state !== "closed")
      this.context.close();
  },
};
