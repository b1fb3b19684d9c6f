// What the page hands its AudioContext's destination, recorded on the audio thread by a tap placed in
// front of the destination, held against libopenmpt's own render of the song (openmpt123); and, at
// every animation frame, the context time being heard and the show's clock, and when the page was
// hidden and shown. Shared by the page's tests and its benchmark.
import { execFileSync } from "node:child_process";

// Runs in the page ahead of its scripts (openPage's `before`).
export function installTap() {
  const chunk = 16384;
  const source = `registerProcessor("tap", class extends AudioWorkletProcessor {
    constructor() { super(); this.fresh(); }
    fresh() { this.left = new Float32Array(${chunk}); this.right = new Float32Array(${chunk}); this.at = 0; }
    process(inputs, outputs) {
      const input = inputs[0], output = outputs[0];
      if (this.at === 0) this.frame = currentFrame;
      if (input.length) {
        output[0].set(input[0]); output[1].set(input[1] || input[0]);
        this.left.set(input[0], this.at); this.right.set(input[1] || input[0], this.at);
      }
      this.at += output[0].length;
      if (this.at === ${chunk}) {
        this.port.postMessage({ frame: this.frame, left: this.left, right: this.right }, [this.left.buffer, this.right.buffer]);
        this.fresh();
      }
      return true;
    }
  });`;
  const url = URL.createObjectURL(new Blob([source], { type: "text/javascript" }));
  const tap = (window.tap = { chunks: [], context: null, frames: [], visibility: [] });
  document.addEventListener("visibilitychange", () => tap.visibility.push([performance.now(), document.visibilityState]));
  const addModule = AudioWorklet.prototype.addModule;
  AudioWorklet.prototype.addModule = function (...args) {
    return Promise.all([addModule.call(this, url), addModule.apply(this, args)]);
  };
  const connect = AudioNode.prototype.connect;
  AudioNode.prototype.connect = function (target, ...rest) {
    if (!(target instanceof AudioDestinationNode) || this.isTap)
      return connect.call(this, target, ...rest);
    const node = new AudioWorkletNode(this.context, "tap", { outputChannelCount: [2] });
    node.isTap = true;
    node.port.onmessage = (event) => tap.chunks.push(event.data);
    tap.context = this.context;
    connect.call(node, target);
    return connect.call(this, node, ...rest);
  };
  // [time, context time heard at the frame's start, the show's clock after it], once the output plays.
  const frame = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => frame((time) => {
    const context = tap.context, now = performance.now(), stamp = context && context.getOutputTimestamp();
    callback(time);
    if (stamp && stamp.performanceTime > 0) {
      const since = context.state === "running" ? (now - stamp.performanceTime) / 1000 : 0;
      tap.frames.push([now, stamp.contextTime + since, Module._showTime()]);
    }
  });
}

// The recording so far: its two channels, the context frame at which each chunk of it began (the
// context's frame count may jump where nothing was rendered), and the context's rate.
export async function recording(page) {
  const { starts, chunk, rate, data } = await page.evaluate(() => {
    const chunks = window.tap.chunks, chunk = chunks.length ? chunks[0].left.length : 0, n = chunks.length * chunk;
    const both = new Float32Array(2 * n);
    chunks.forEach((c, i) => {
      both.set(c.left, i * chunk);
      both.set(c.right, n + i * chunk);
    });
    const bytes = new Uint8Array(both.buffer);
    let text = "";
    for (let i = 0; i < bytes.length; i += 32768)
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 32768));
    return { starts: chunks.map((c) => c.frame), chunk, rate: window.tap.context.sampleRate, data: btoa(text) };
  });
  const both = new Float32Array(new Uint8Array(Buffer.from(data, "base64")).buffer), n = both.length / 2;
  return { starts, chunk, rate, left: both.subarray(0, n), right: both.subarray(n) };
}

// The second of the song that the recording holds at a context time, by the alignment of compare().
export function songAt(heard, match, seconds) {
  const frame = seconds * heard.rate;
  let k = heard.starts.length - 1;
  while (k > 0 && heard.starts[k] > frame)
    k--;
  return (k * heard.chunk + frame - heard.starts[k] - match.start) / heard.rate;
}

// libopenmpt's render of the module at the rate, played `times` times through.
export function reference(module, rate, times = 1) {
  const raw = execFileSync("openmpt123", ["--quiet", "--batch", "--stdout", "--float", "--channels", "2",
    "--samplerate", String(rate), "--repeat", String(times - 1), module], { maxBuffer: 1 << 30 });
  const both = new Float32Array(raw.buffer, raw.byteOffset, raw.length / 4), n = both.length / 2;
  const left = new Float32Array(n), right = new Float32Array(n);
  for (let i = 0; i < n; i++) {
    left[i] = both[2 * i];
    right[i] = both[2 * i + 1];
  }
  return { left, right };
}

// Walks the recording in blocks of 128 frames against the song at the running alignment, which starts
// at the first sound of each. A block that differs anywhere by more than `tolerance` is a break; after
// one, the alignment is found again within 5 s where the recording sounds. Song frames jumped over
// count as lost. Returns the seconds heard exactly, the breaks, the ms lost, the song's first frame in
// the recording (`start`), and the song seconds from the first to the last exact block.
export function compare(heard, song, rate, tolerance = 1e-4) {
  const block = 128, audible = (x) => Math.abs(x) > tolerance;
  const firstSound = (s) => s.left.findIndex(audible);
  const start = firstSound(heard) - firstSound(song);
  const same = (i, j) => {
    for (let k = 0; k < block; k++)
      if (Math.abs(heard.left[i + k] - song.left[j + k]) > tolerance ||
          Math.abs(heard.right[i + k] - song.right[j + k]) > tolerance)
        return false;
    return true;
  };
  let offset = start, exact = 0, breaks = 0, lost = 0, matching = true, from = -1, to = -1;
  for (let i = Math.max(0, start); i + block <= heard.left.length; i += block) {
    let j = i - offset;
    if (j < 0 || j + block > song.left.length)
      break;
    if (!same(i, j)) {
      if (matching)
        breaks++;
      matching = false;
      if (!heard.left.subarray(i, i + block).some(audible))
        continue;
      const near = Math.min(5 * rate, song.left.length);
      let found = -1;
      for (let d = 0; d <= near && found < 0; d++)
        for (const k of [j - d, j + d])
          if (found < 0 && k >= 0 && k + block <= song.left.length &&
              Math.abs(heard.left[i] - song.left[k]) <= tolerance && same(i, k))
            found = k;
      if (found < 0)
        continue;
      lost += Math.max(0, found - j);
      offset = i - found;
      j = found;
    }
    matching = true;
    exact += block;
    if (from < 0)
      from = j;
    to = j + block;
  }
  return { exactSeconds: exact / rate, breaks, lostMs: (lost * 1000) / rate, start,
           from: from / rate, to: to / rate };
}
