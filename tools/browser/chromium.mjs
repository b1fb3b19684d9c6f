// Debian's Chromium, headless, with SwiftShader's WebGL, driven by puppeteer-core; and a folder served on
// 127.0.0.1 for it. Shared by the browser front's tests and its benchmark.
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { createServer } from "node:http";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { extname, join } from "node:path";

const puppeteer = createRequire(import.meta.url)("puppeteer-core");
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm" };

// Serves the files of one folder (no subfolders) on a free port of 127.0.0.1; resolves to its address.
export async function serve(folder) {
  const server = createServer((request, response) => {
    const name = new URL(request.url, "http://x").pathname.slice(1) || "index.html";
    try {
      const body = readFileSync(join(folder, name.replace(/[^\w.-]/g, "")));
      response.writeHead(200, { "Content-Type": types[extname(name)] || "application/octet-stream",
                                "Content-Length": body.length });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((done) => server.listen(0, "127.0.0.1", done));
  return { site: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

// A headless Chromium with a fresh profile, removed when it closes; no network of its own.
export async function launchChromium() {
  const profile = mkdtempSync(join(tmpdir(), "plix-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    args: ["--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--disable-quic",
           "--no-first-run", "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
  // Chromium's last writes into the profile may come after it disconnects.
  browser.on("disconnected", () => {
    try {
      rmSync(profile, { recursive: true, force: true, maxRetries: 10, retryDelay: 100 });
    } catch {}
  });
  return browser;
}

// A new tab at the address, 640 × 480 unless told; `before` (a function or a list of them) runs in the
// page ahead of its own scripts.
export async function openPage(browser, address, before, viewport = { width: 640, height: 480 }) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  page.on("pageerror", (error) => console.log(`page error: ${error.message}`));
  for (const script of [before].flat().filter(Boolean)) await page.evaluateOnNewDocument(script);
  await page.goto(address);
  return page;
}
