// The page's music on the audio thread: an AudioWorkletProcessor that renders the song with its own
// libopenmpt (music.wasm, whose glue this follows in music.js), so that the page's main thread, however
// slow its frames, never holds it up. It reports to the page which song frames it has handed out by
// which context frame, and the second of the song it started from; the page turns that into the clock
// of music heard.

// The glue reads the clock and asks for entropy; an AudioWorkletGlobalScope may offer neither.
globalThis.performance ??= { now: () => Date.now() };
globalThis.crypto ??= {
  getRandomValues(bytes) {
    for (let i = 0; i < bytes.length; i++)
      bytes[i] = (Math.random() * 256) | 0;
    return bytes;
  },
};

const reportEvery = 8; // render quanta between reports: 23 ms at 44.1 kHz

class MusicProcessor extends AudioWorkletProcessor {
  // processorOptions: the bytes of music.wasm and of the song, both handed over once.
  constructor(options) {
    super();
    const { wasm, song } = options.processorOptions;
    this.playing = false;
    this.handed = 0;
    this.quanta = 0;
    this.music = {
      instantiateWasm(imports, done) {
        const module = new WebAssembly.Module(wasm), instance = new WebAssembly.Instance(module, imports);
        done(instance, module);
        return instance.exports;
      },
    };
    this.loaded = false;
    try {
      createMusic(this.music);
      const bytes = this.music._malloc(song.byteLength);
      this.music.HEAPU8.set(new Uint8Array(song), bytes);
      this.loaded = !!this.music._loadSong(bytes, song.byteLength);
      this.music._free(bytes);
      this.channels = [this.music._songBuffer(0) >> 2, this.music._songBuffer(1) >> 2];
    } catch (error) {
      console.warn(`music: ${error}`);
    }
    this.port.postMessage({ loaded: this.loaded });
    // { play: seconds } starts the song there; { stop: true } silences it.
    this.port.onmessage = (event) => {
      this.playing = "play" in event.data;
      if (this.playing && this.loaded) {
        this.from = this.music._startSong(event.data.play);
        this.handed = this.quanta = 0;
      }
    };
  }

  // Silence until the page says play; then every quantum is the song's next frames, with nothing in
  // between. The output of a quantum not filled stays silent.
  process(inputs, outputs) {
    const [left, right] = outputs[0];
    if (!this.playing || !this.loaded)
      return true;
    const frames = this.music._renderSong(sampleRate, left.length);
    const heap = this.music.HEAPF32, [l, r] = this.channels;
    left.set(heap.subarray(l, l + frames));
    right.set(heap.subarray(r, r + frames));
    this.handed += frames;
    if (this.quanta++ % reportEvery === 0)
      this.port.postMessage({ handed: this.handed, by: currentFrame + left.length, from: this.from });
    return true;
  }
}

registerProcessor("plix-music", MusicProcessor);
