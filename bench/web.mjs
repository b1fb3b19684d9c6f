// The browser front measured in headless Chromium (SwiftShader's WebGL, no GPU): the download, the time
// from the address to the start button, the time from the viewer's click to the first frame on the
// music's clock, and the frames per second drawn in each scene over the whole song. Prints what it
// measured; asserts nothing.
//   node bench/web.mjs [PAGE_DIR]    (default out/web; npm ci in tools/browser first)
import { readFileSync } from "node:fs";
import { join } from "node:path";
import { gzipSync } from "node:zlib";
import { launchChromium, openPage, serve } from "../tools/browser/chromium.mjs";

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
const page = await openPage(browser, server.site, () => {
  // Every browser frame after the click, with the show's clock at that frame.
  addEventListener("click", () => {
    window.clicked = performance.now();
    window.frames = [];
    const watch = () => {
      window.frames.push([performance.now(), Module._showTime()]);
      requestAnimationFrame(watch);
    };
    requestAnimationFrame(watch);
  }, true);
});
await page.waitForFunction(() => document.getElementById("notice").className === "waiting", { timeout: 60000 });
await page.mouse.click(320, 240);
await page.waitForFunction(() => Module._showTime() >= 87, { timeout: 200000, polling: 1000 });
const { clicked, frames } = await page.evaluate(() => ({ clicked, frames }));
await browser.close();
server.close();

const moving = frames.find(([, time]) => time > 0);
console.log(`click to the first frame on the music's clock: ${(moving[0] - clicked).toFixed(0)} ms`);
for (const [name, from, to] of [["snowfall", 0, 25], ["campfire", 25, 50], ["bus", 50, 82], ["closing", 82, 87]]) {
  const inside = frames.filter(([, time]) => time >= from && time < to);
  const seconds = (inside.at(-1)[0] - inside[0][0]) / 1000;
  console.log(`${name} (${from} to ${to} s): ${((inside.length - 1) / seconds).toFixed(1)} frames per second`);
}
