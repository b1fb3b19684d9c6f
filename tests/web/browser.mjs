// The browser front in Debian's Chromium (headless, SwiftShader's WebGL), the page served on 127.0.0.1:
//   node browser.mjs frames PAGE_DIR PLIX_CAPTURE   the test mode's frames against plix-capture's
//   node browser.mjs live PAGE_DIR                  the music heard and the clock, hidden and shown again, the
//                                                   quit keys, a failure in words
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { fileURLToPath } from "node:url";
import { compare, installTap, recording, reference, songAt } from "../../tools/browser/audio.mjs";
import { launchChromium, openPage, serve } from "../../tools/browser/chromium.mjs";
import { countWebGL, sceneFigures } from "../../tools/browser/webgl.mjs";

const [mode, pageDir, capture] = process.argv.slice(2);
let failures = 0;
const check = (ok, what) => console.log(`${ok ? "ok  " : (failures++, "FAIL")} ${what}`);
const server = await serve(pageDir);
const browser = await launchChromium();
const open = (query = "", before, viewport) => openPage(browser, server.site + query, before, viewport);
const sleep = (ms) => new Promise((wait) => setTimeout(wait, ms));
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

async function startShow(before, viewport) {
  const page = await open("", before, viewport);
  check(await says(page, "Click or press a key to start the show (with sound)."), "the page asks for a click");
  await page.mouse.click(320, 240);
  return page;
}

// The show played at 1280 × 720 past the campfire, hidden for 2 s on the way and shown again: what
// reached the destination against libopenmpt's render, the clock against the music heard, and the
// campfire's draws (the page's WebGL context wrapped).
async function live() {
  const page = await startShow([installTap, countWebGL], { width: 1280, height: 720 });
  const clock = () => page.evaluate(() => Module._showTime());
  await page.waitForFunction(() => Module._showTime() >= 30, { timeout: 120000, polling: 100 });
  const other = await browser.newPage();
  await other.bringToFront();
  await sleep(2000);
  await page.bringToFront();
  await other.close();
  await page.waitForFunction(() => Module._showTime() >= 54, { timeout: 120000, polling: 100 });

  const fire = sceneFigures(await page.evaluate(() => webgl.frames), 25, 50);
  check(fire.frames > 100 && fire.mostDraws <= 100, `each of ${fire.frames} campfire frames drew in at most ` +
        `${fire.mostDraws} draws (${fire.mostCalls} WebGL calls)`);
  const heard = await recording(page), { frames, visibility } = await page.evaluate(() => ({ ...window.tap, chunks: [] }));
  const hiddenAt = visibility.find(([, state]) => state === "hidden")[0];
  const song = reference(fileURLToPath(new URL("../../data/boo.oxm", import.meta.url)), heard.rate);
  const match = compare(heard, song, heard.rate);
  check(match.breaks === 0 && match.from === 0 && match.to >= 52,
        `the destination got the song from ${match.from.toFixed(2)} to ${match.to.toFixed(2)} s exactly as ` +
        `libopenmpt renders it: ${match.exactSeconds.toFixed(2)} s exact, ${match.breaks} breaks`);

  // Hidden, the music pauses; shown again, the first frame goes on from the music played before the
  // page was hidden, and the music from where it stopped (the recording above has no break).
  const [before, after] = [frames.filter(([now]) => now < hiddenAt), frames.filter(([now]) => now > hiddenAt)];
  const [last, next] = [before.at(-1), after[0]], played = (hiddenAt - last[0]) / 1000;
  const music = songAt(heard, match, next[1]) - songAt(heard, match, last[1]);
  check(music < played + 0.05 && next[2] - last[2] < played + 0.05,
        `hidden for ${((next[0] - last[0]) / 1000).toFixed(1)} s, the music paused (it went on by ` +
        `${music.toFixed(3)} s) and the clock went on by ${(next[2] - last[2]).toFixed(3)} s`);
  check(frames.every((f, i) => i === 0 || f[2] >= frames[i - 1][2]), "the clock never goes back");
  const running = before.filter(([, , time]) => time > 1), [first, end] = [running[0], running.at(-1)];
  const wallRate = (end[2] - first[2]) / ((end[0] - first[0]) / 1000), audioRate = (end[2] - first[2]) / (end[1] - first[1]);
  check(Math.abs(wallRate - 1) <= 0.005 && Math.abs(audioRate - 1) <= 0.005,
        `the clock's pace: ${wallRate.toFixed(4)} of real time, ${audioRate.toFixed(4)} of the audio clock`);
  const offsets = frames.map(([, playing, time]) => [time, songAt(heard, match, playing)]).filter(([, music]) => music > 0)
    .map(([time, music]) => (time - music) * 1000).sort((a, b) => a - b);
  const median = offsets[offsets.length >> 1];
  check(Math.abs(median) <= 10, `the clock follows the music heard: clock minus music ${median.toFixed(1)} ms ` +
        `(median; ${offsets[0].toFixed(1)} to ${offsets.at(-1).toFixed(1)})`);

  await page.keyboard.press("q");
  check(await says(page, "The show has ended."), "q ends the show");
  const stopped = await clock();
  await sleep(500);
  check((await clock()) === stopped, "the clock stands still after q");

  const silent = await startShow(() => { delete window.AudioContext; delete window.webkitAudioContext; });
  check(await says(silent, "The sound could not start: this browser gave the page no audio output."),
        "a browser without audio is told so in words");
  await silent.keyboard.press("Escape");
  check(await says(silent, "The show has ended."), "Escape ends the show");
}

await (mode === "frames" ? frames() : live()).catch((error) => check(false, error.message));
await browser.close().then(() => server.close());
process.exit(failures ? 1 : 0);
