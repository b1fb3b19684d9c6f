// The browser front in Debian's Chromium (headless, SwiftShader's WebGL), the page served on 127.0.0.1:
//   node browser.mjs frames PAGE_DIR PLIX_CAPTURE   the test mode's frames against plix-capture's
//   node browser.mjs live PAGE_DIR                  the music and its clock, the quit keys, a failure in words
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { launchChromium, openPage, serve } from "../../tools/browser/chromium.mjs";

const [mode, pageDir, capture] = process.argv.slice(2);
let failures = 0;
const check = (ok, what) => console.log(`${ok ? "ok  " : (failures++, "FAIL")} ${what}`);
const server = await serve(pageDir);
const browser = await launchChromium();
const open = (query = "", before) => openPage(browser, server.site + query, before);
const says = (page, text) => // true once the page's notice says the text, within a minute
  page.waitForFunction((t) => document.getElementById("notice").textContent === t, { timeout: 60000 }, text)
    .then(() => true, () => false);
const rgb = (png) => execFileSync("convert", ["png:-", "-depth", "8", "rgb:-"], { input: png, maxBuffer: 1 << 24 });

// One replay from 0 on each side: the page leaves each asked frame on its canvas until told to go on.
async function frames() {
  const times = [1, 10, 30, 40, 55, 60, 70, 85], work = mkdtempSync(join(tmpdir(), "plix-frames-"));
  execFileSync(capture, ["-r", "60", "--at", times.join(","), "--frames", join(work, "capture")]);
  const page = await open(`?time=${times.join(",")}&rate=60`);
  for (const time of times) {
    await page.waitForFunction(() => document.title === "plix ready", { timeout: 300000 });
    const mine = rgb(await page.screenshot({ clip: { x: 0, y: 0, width: 640, height: 480 } }));
    await page.evaluate(() => { document.title = "plix"; setTimeout(Module._drawNextStill); });
    const theirs = rgb(readFileSync(join(work, "capture", `frame_${String(time * 60).padStart(6, "0")}.png`)));
    const means = [0, 1, 2].map((c) => mine.reduce((sum, v, i) => (i % 3 === c ? sum + Math.abs(v - theirs[i]) : sum), 0)
                                       / (mine.length / 3));
    check(mine.length === theirs.length && means.every((m) => m <= 1),
          `frame at ${time} s: mean difference per channel ${means.map((m) => m.toFixed(2)).join(" ")}`);
  }
  await page.close();
  rmSync(work, { recursive: true, force: true });
}

// The playback times of SDL's buffers: the context plays second k × buffer ÷ rate of the song at the kth.
function recordBuffers() {
  const make = AudioContext.prototype.createScriptProcessor;
  window.buffers = [];
  AudioContext.prototype.createScriptProcessor = function (...args) {
    const node = make.apply(this, args);
    node.addEventListener("audioprocess", (event) => window.buffers.push(event.playbackTime));
    return node;
  };
}

async function startShow(before) {
  const page = await open("", before);
  check(await says(page, "Click or press a key to start the show (with sound)."), "the page asks for a click");
  await page.mouse.click(320, 240);
  return page;
}

async function live() {
  const page = await startShow(recordBuffers);
  await page.waitForFunction(() => document.getElementById("notice").hidden, { timeout: 60000 });
  const samples = await page.evaluate(async () => {
    const { audio, audioContext: context } = Module.SDL2;
    const analyser = audio.scriptProcessorNode.connect(context.createAnalyser());
    const wave = new Float32Array(analyser.fftSize), taken = [];
    for (const end = performance.now() + 20000; performance.now() < end;) {
      await new Promise((frame) => requestAnimationFrame(frame));
      analyser.getFloatTimeDomainData(wave);
      const stamp = context.getOutputTimestamp(), now = performance.now();
      const playing = stamp.contextTime + (now - stamp.performanceTime) / 1000;
      const k = window.buffers.findLastIndex((start) => start <= playing);
      const heard = (k * audio.scriptProcessorNode.bufferSize) / context.sampleRate + playing - window.buffers[k];
      taken.push({ now, song: Module._showTime(), heard, level: Math.hypot(...wave) / Math.sqrt(wave.length) });
    }
    return taken;
  });
  const running = samples.filter((s) => s.song > 1), [first, last] = [running[0], running.at(-1)];
  check(samples.every((s, i) => i === 0 || s.song >= samples[i - 1].song), "the clock never goes back");
  const wallRate = (last.song - first.song) / ((last.now - first.now) / 1000);
  const audioRate = (last.song - first.song) / (last.heard - first.heard);
  check(Math.abs(wallRate - 1) <= 0.005 && Math.abs(audioRate - 1) <= 0.005,
        `the clock's pace: ${wallRate.toFixed(4)} of real time, ${audioRate.toFixed(4)} of the audio clock`);
  // A frame's clock is up to a frame old when read: exact, the median lies about 8 ms below 0.
  const offsets = running.map((s) => (s.song - s.heard) * 1000).sort((a, b) => a - b), median = offsets[offsets.length >> 1];
  check(median > -25 && median < 10, `the clock follows the music heard: clock minus music ${median.toFixed(1)} ms ` +
        `(median; ${offsets[0].toFixed(1)} to ${offsets.at(-1).toFixed(1)})`);
  const loud = running.filter((s) => s.level > 0.01).length / running.length;
  check(loud > 0.9, `the music is heard while the clock runs (${(loud * 100).toFixed(0)} % of readings)`);
  await page.keyboard.press("q");
  check(await says(page, "The show has ended."), "q ends the show");
  const stopped = await page.evaluate(() => Module._showTime());
  await new Promise((wait) => setTimeout(wait, 500));
  check((await page.evaluate(() => Module._showTime())) === stopped, "the clock stands still after q");

  const silent = await startShow(() => { delete window.AudioContext; delete window.webkitAudioContext; });
  check(await says(silent, "The sound could not start: this browser gave the page no audio output."),
        "a browser without audio is told so in words");
  await silent.keyboard.press("Escape");
  check(await says(silent, "The show has ended."), "Escape ends the show");
}

await (mode === "frames" ? frames() : live()).catch((error) => check(false, error.message));
await browser.close().then(() => server.close());
process.exit(failures ? 1 : 0);
