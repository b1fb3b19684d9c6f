// The page's music as heard, in headless Chromium: the whole song recorded in front of the AudioContext's
// destination and held against libopenmpt's render at the running alignment, at 640 × 480 and 1920 × 1080,
// with no load added and with both cores busy (two `yes > /dev/null`). Prints the seconds heard exactly,
// the breaks and the ms of song never heard, and the frames a second of the campfire; asserts nothing.
//   node bench/web_music.mjs [PAGE_DIR]    (default out/web; npm ci in tools/browser first)
import { spawn } from "node:child_process";
import { fileURLToPath } from "node:url";
import { compare, installTap, recording, reference } from "../tools/browser/audio.mjs";
import { launchChromium, openPage, serve } from "../tools/browser/chromium.mjs";

const folder = process.argv[2] || "out/web";
const module = fileURLToPath(new URL("../data/boo.oxm", import.meta.url));
const server = await serve(folder);
let song = null;

for (const busy of [false, true]) {
  for (const [width, height] of [[640, 480], [1920, 1080]]) {
    const load = busy ? [0, 1].map(() => spawn("yes", { stdio: "ignore" })) : [];
    const browser = await launchChromium();
    const page = await openPage(browser, server.site, installTap, { width, height });
    await page.waitForFunction(() => document.getElementById("notice").className === "waiting", { timeout: 60000 });
    await page.mouse.click(width / 2, height / 2);
    await page.waitForFunction(() => Module._showTime() >= 87, { timeout: 300000, polling: 1000 });
    const heard = await recording(page), frames = await page.evaluate(() => window.tap.frames);
    await browser.close();
    load.forEach((yes) => yes.kill());
    song ??= reference(module, heard.rate, 2);
    const match = compare(heard, song, heard.rate);
    const fire = frames.filter(([, , time]) => time >= 25 && time < 50);
    const fps = (fire.length - 1) / ((fire.at(-1)[0] - fire[0][0]) / 1000);
    console.log(`${width} × ${height}, ${busy ? "both cores busy" : "no load added"}: ${match.exactSeconds.toFixed(2)} s ` +
                `heard exactly of ${(heard.left.length / heard.rate - match.start / heard.rate).toFixed(2)} s ` +
                `recorded after the song's start, ${match.breaks} breaks, ${match.lostMs.toFixed(0)} ms of song ` +
                `lost; campfire at ${fps.toFixed(1)} frames a second`);
  }
}
server.close();
