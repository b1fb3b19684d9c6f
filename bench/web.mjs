// The browser front measured in headless Chromium (SwiftShader's WebGL, no GPU): the download, the time
// from the address to the start button, the time from the viewer's click to the first frame on the
// music's clock, and for each scene over the whole song, at 640 × 480 and 1280 × 720: frames a second,
// the longest frame after the scene's first second, the WebGL and draw calls a frame (counted by
// wrapping the page's context) and the frame's time on the main thread. Prints what it measured; asserts nothing.
//   node bench/web.mjs [PAGE_DIR]    (default out/web; npm ci in tools/browser first)
import { readFileSync } from "node:fs";
import { join } from "node:path";
import { gzipSync } from "node:zlib";
import { launchChromium, openPage, serve } from "../tools/browser/chromium.mjs";
import { countWebGL, sceneFigures } from "../tools/browser/webgl.mjs";

const folder = process.argv[2] || "out/web";
let bytes = 0, gzipped = 0;
for (const name of ["index.html", "plix.js", "plix.wasm", "music.js", "music.wasm"]) {
  const body = readFileSync(join(folder, name));
  bytes += body.length;
  gzipped += gzipSync(body).length;
}
console.log(`download: ${(bytes / 1e6).toFixed(2)} MB (${(gzipped / 1e6).toFixed(2)} MB gzipped)`);

// From the address to the start button, five times, each in a new tab with the cache off: the page's own
// clock (it counts from the navigation) when the button takes the focus.
{
  const server = await serve(folder), browser = await launchChromium(), times = [];
  for (let i = 0; i < 5; i++) {
    const page = await browser.newPage();
    await page.setCacheEnabled(false);
    await page.evaluateOnNewDocument(() => addEventListener("focusin", (event) => {
      if (event.target.id === "play") window.readyAt ??= performance.now();
    }));
    await page.goto(server.site);
    times.push(await page.waitForFunction(() => window.readyAt, { timeout: 60000 }).then((at) => at.jsonValue()));
    await page.close();
  }
  await browser.close();
  server.close();
  times.sort((a, b) => a - b);
  console.log(`address to start button: ${times.map((t) => t.toFixed(0)).join(", ")} ms (median ${times[2].toFixed(0)})`);
}

// A link to 47 s: the replay's time from the address to the start button, and the page's long tasks (over
// 50 ms, as the browser reports them) from the first progress line on.
{
  const server = await serve(folder), browser = await launchChromium();
  const page = await openPage(browser, server.site + "?start=47", () => {
    window.longTasks = [];
    new PerformanceObserver((list) => {
      for (const task of list.getEntries())
        window.longTasks.push([task.startTime, task.duration]);
    }).observe({ type: "longtask" });
    const watch = () => document.getElementById("message")?.textContent.startsWith("Replaying")
      ? (window.replayFrom = performance.now()) : requestAnimationFrame(watch);
    requestAnimationFrame(watch);
  });
  await page.waitForFunction(() => document.activeElement.id === "play", { timeout: 900000, polling: 500 });
  const [ready, from, all] = await page.evaluate(() => [performance.now(), window.replayFrom, window.longTasks]);
  await browser.close();
  server.close();
  const tasks = all.filter(([start]) => start >= from).map(([, duration]) => duration);
  console.log(`?start=47: ${(ready / 1000).toFixed(1)} s from the address to the start button, replaying from ` +
              `${(from / 1000).toFixed(1)} s; ${tasks.length} tasks over 50 ms, ` +
              `the longest ${Math.max(0, ...tasks).toFixed(0)} ms`);
}

const server = await serve(folder);
const browser = await launchChromium();
for (const viewport of [{ width: 640, height: 480 }, { width: 1280, height: 720 }]) {
  const page = await openPage(browser, server.site, [countWebGL, () => {
    addEventListener("click", () => { window.clicked = performance.now(); window.webgl.frames = []; }, true);
  }], viewport);
  await page.waitForFunction(() => !document.getElementById("play").hidden, { timeout: 60000 });
  await page.click("#play");
  await page.waitForFunction(() => Module._showTime() >= 87, { timeout: 200000, polling: 1000 });
  const { clicked, frames } = await page.evaluate(() => ({ clicked, frames: webgl.frames }));
  await page.close();

  console.log(`${viewport.width} × ${viewport.height}: click to the first frame on the music's clock ` +
              `${(frames.find(([, , , time]) => time > 0)[0] - clicked).toFixed(0)} ms`);
  for (const [name, from, to] of [["snowfall", 0, 25], ["campfire", 25, 50], ["bus", 50, 82], ["closing", 82, 87]]) {
    const f = sceneFigures(frames, from, to);
    console.log(`  ${name} (${from} to ${to} s): ${f.fps.toFixed(1)} frames a second, worst frame ${f.worst.toFixed(0)} ms; ` +
                `a frame ${f.calls.toFixed(0)} WebGL calls (most ${f.mostCalls}), ${f.draws.toFixed(1)} draws (most ${f.mostDraws}), ` +
                `${f.ownMs.toFixed(2)} ms on the main thread (median)`);
  }
}
await browser.close();
server.close();
