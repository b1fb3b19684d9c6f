// The browser front in Debian's Chromium (headless, SwiftShader's WebGL), the page served on 127.0.0.1:
//   node browser.mjs frames PAGE_DIR PLIX_CAPTURE   the test mode's frames against plix-capture's
//   node browser.mjs live PAGE_DIR                  the music heard and the clock, hidden and shown again, the
//                                                   quit keys, a failure in words
//   node browser.mjs page PAGE_DIR                  the show's 4:3 box, fullscreen, the start button, a link to
//                                                   a moment, hostile addresses
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
const says = (page, text, timeout = 60000) => // true once the page's notice says the text
  page.waitForFunction((t) => document.getElementById("message").textContent === t, { timeout }, text)
    .then(() => true, () => false);
const ready = (page, timeout = 60000) => // the start button, focused
  page.waitForFunction(() => document.activeElement.id === "play", { timeout }).then(() => true, () => false);
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
  check(await ready(page), "the page offers its start button");
  await page.click("#play");
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

// The page as a viewer meets it.
async function viewer() {
  const until = (page, test, timeout = 20000) => page.waitForFunction(test, { timeout }).then(() => true, () => false);
  const state = (page) => page.evaluate(() => [document.getElementById("notice").className, Module._showTime()]);
  const shapes = [[1280, 720, 1, [160, 0, 960, 720]], [720, 1280, 1, [0, 370, 720, 540]],
                  [640, 480, 1, [0, 0, 640, 480]], [390, 844, 2, [0, 275.75, 390, 292.5]]];
  for (const [width, height, deviceScaleFactor, box] of shapes) {
    const page = await open("", undefined, { width, height, deviceScaleFactor });
    await ready(page);
    const got = await page.evaluate(() => { const c = document.getElementById("canvas"), r = c.getBoundingClientRect();
                                            return [r.x, r.y, r.width, r.height, c.width, c.height]; });
    const want = [...box, Math.round(box[2] * deviceScaleFactor), Math.round(box[3] * deviceScaleFactor)];
    check(got.every((v, i) => Math.abs(v - want[i]) < 0.01), `at ${width} × ${height} × ${deviceScaleFactor} the ` +
          `show's box is ${got.slice(0, 4).join(", ")}, its buffer ${got[4]} × ${got[5]}`);
    if (width === 1280)
      await fullscreen(page, until, state);
    await page.close();
  }

  // By keyboard: Tab and Shift+Tab move between the two buttons without starting the show, Enter starts it.
  const keyed = await open(), focus = () => keyed.evaluate(() => document.activeElement.id);
  await ready(keyed);
  await keyed.keyboard.press("Tab");
  const [tabbed, [shown]] = [await focus(), await state(keyed)];
  await keyed.keyboard.down("Shift");
  await keyed.keyboard.press("Tab");
  await keyed.keyboard.up("Shift");
  const back = await focus();
  await keyed.keyboard.press("Enter");
  check(tabbed === "fullscreen" && shown === "waiting" && back === "play" && (await state(keyed))[0] === "playing",
        `by keyboard: Tab to ${tabbed} (${shown}), Shift+Tab to ${back}, Enter starts`);
  await keyed.close();

  // A link to 47 s: a replay that lets the page paint, the test mode's frame at 47 s behind the button,
  // and after the click the clock from there (from 0 it would take 47 s to pass 47.2).
  const linked = await open("?start=47");
  const moving = await until(linked, () => { // progress seen midway, not only at either end
    const done = /: (\d+) s done/.exec(document.getElementById("message").textContent);
    return done && done[1] >= 1 && done[1] <= 40; }, 600000);
  await ready(linked, 600000);
  await linked.evaluate(() => { document.getElementById("notice").hidden = true; });
  const mine = rgb(await linked.screenshot()), still = await open("?time=47");
  await until(still, () => document.title === "plix ready", 600000);
  const theirs = rgb(await still.screenshot()), differ = mine.reduce((n, v, i) => n + (v !== theirs[i]), 0);
  check(moving && differ === 0, `?start=47 opened on the test mode's frame at 47 s (${differ} samples differ), ` +
        `the replay's progress ${moving ? "moving" : "never seen"} while it ran`);
  await linked.bringToFront();
  await linked.evaluate(() => { document.getElementById("notice").hidden = false; });
  await linked.click("#play");
  const passed = await until(linked, () => Module._showTime() > 47.2, 20000), readings = [];
  for (let i = 0; i < 2; i++, await sleep(2000))
    readings.push(await linked.evaluate(() => [performance.now() / 1000, Module._showTime()]));
  const pace = (readings[1][1] - readings[0][1]) / (readings[1][0] - readings[0][0]);
  check(passed && Math.abs(pace - 1) < 0.05, `after the click the clock went on from 47 s: ` +
        `${readings[0][1].toFixed(3)} s, at ${pace.toFixed(3)} of real time`);

  // Hostile addresses are answered in words, at once.
  for (const [query, words] of [["?time=1e7", "The address asks for a frame at 10000000 s: this page replays at " +
      "most 3600 s of the show and 1000000 frames from its start."], ["?start=-1", "The address's start is not a " +
      "moment of the show (seconds, 0 or more): it plays from the beginning."]]) {
    const page = await open(query), answered = await says(page, words, 10000);
    const [ms, [shown, time]] = [await page.evaluate(() => performance.now()), await state(page)];
    await page.evaluate(() => { document.getElementById("notice").hidden = true; });
    const framed = rgb(await page.screenshot()).some((v) => v > 40); // a start from 0 shows its first frame
    check(answered && ms < 2000 && time === 0 && framed === query.startsWith("?start"),
          `${query} answered in words in ${ms.toFixed(0)} ms (${shown} at ${time} s, ${framed ? "a" : "no"} frame)`);
    await page.close();
  }
}

// Into fullscreen and out by f, the button and a double-click (whose first click starts the show); the
// button hidden when the pointer is still; Escape in fullscreen only leaves it, outside it ends the show.
async function fullscreen(page, until, state) {
  const ways = [["f", () => page.keyboard.press("f")], ["the button", async () => {
    await page.mouse.move(1000, 600); await page.mouse.move(1010, 610); await page.click("#fullscreen"); }],
    ["a double-click", () => page.mouse.click(640, 600, { clickCount: 2 })]];
  for (const [name, toggle] of ways) {
    await toggle();
    const into = await until(page, () => document.fullscreenElement?.id === "stage");
    await toggle();
    check(into && await until(page, () => !document.fullscreenElement), `${name} toggles fullscreen of the show`);
  }
  const hides = await until(page, () => getComputedStyle(document.getElementById("fullscreen")).opacity === "0");
  await page.keyboard.press("f");
  await until(page, () => document.fullscreenElement);
  await page.keyboard.press("Escape");
  const left = await until(page, () => !document.fullscreenElement), [shown] = await state(page);
  await page.keyboard.press("Escape");
  check(hides && left && shown === "playing" && await says(page, "The show has ended."), `the still pointer ` +
        `hides the button (${hides}); Escape in fullscreen left it (${left}, ${shown}), outside it ended the show`);
}

await ({ frames, live, page: viewer })[mode]().catch((error) => check(false, error.message));
await browser.close().then(() => server.close());
process.exit(failures ? 1 : 0);
