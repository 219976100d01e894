// What the page tests share: a local web server for the site, Debian's
// Chromium driven headless (WebGL through SwiftShader, no network beyond this
// machine), and pictures of the page as RGB pixels.
import {createServer} from 'node:http';
import {readFileSync, existsSync} from 'node:fs';
import {join, extname, normalize} from 'node:path';
import {inflateSync} from 'node:zlib';
import {createRequire} from 'node:module';

// puppeteer-core as installed from package-lock.json into the build folder
// (the test's working folder).
const puppeteer = createRequire(join(process.cwd(), 'package.json'))('puppeteer-core');

const TYPES = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.png': 'image/png',
};

// Serves the files of `root` on 127.0.0.1 at a free port; `replaced` maps a
// path ("/vorta-kemi.data") to the bytes to serve instead.
export async function serve(root, replaced = {}) {
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    const file = join(root, path === '/' ? 'index.html' : path);
    const body = replaced[path] || (file.startsWith(root) && existsSync(file) && readFileSync(file));
    if (!body) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, {'Content-Type': TYPES[extname(file)] || 'application/octet-stream'});
    response.end(body);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close()};
}

export async function launch() {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: [
      '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--force-color-profile=srgb', '--disable-background-networking',
      '--disable-component-update', '--disable-default-apps', '--disable-sync',
      '--no-first-run', '--no-default-browser-check', '--metrics-recording-only',
      '--disable-renderer-backgrounding', '--disable-background-timer-throttling',
      // As a browser on a desktop: no sound before the player does something.
      '--autoplay-policy=document-user-activation-required',
    ],
  });
}

// A page of 800 x 600 CSS pixels, so the canvas shows its pixels one to one.
export async function open(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({width: 800, height: 600});
  page.on('pageerror', (error) => console.log('page error:', error.message));
  page.on('console', (message) => console.log('page:', message.text()));
  await page.goto(url);
  return page;
}

// The value of an expression in the page, looked at without counting as
// the player's doing (puppeteer's own evaluate does, which would let the
// page start its sound by itself).
export async function peek(page, expression) {
  page.cdp = page.cdp || (await page.createCDPSession());
  const answer = await page.cdp.send('Runtime.evaluate', {expression, returnByValue: true, userGesture: false});
  return answer.result.value;
}

// The open message box: caption, text and buttons, or null.
export async function messageBox(page, timeout = 10000) {
  const box = await page.waitForSelector('dialog.box[open]', {timeout}).catch(() => null);
  if (!box)
    return null;
  return box.evaluate((b) => ({
    caption: b.querySelector('.caption').textContent,
    text: b.querySelector('.text').textContent,
    buttons: [...b.querySelectorAll('button')].map((button) => button.textContent),
  }));
}

// A key held for a while, as a player presses it: a frame must see it down.
export async function hold(page, key, ms = 120) {
  await page.keyboard.down(key);
  await new Promise((resolve) => setTimeout(resolve, ms));
  await page.keyboard.up(key);
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Polls `test` until it gives something true, for up to `ms`; its last answer.
export async function until(ms, test) {
  const end = Date.now() + ms;
  let answer;
  while (!(answer = await test()) && Date.now() < end)
    await sleep(100);
  return answer;
}

// An 8-bit RGB or RGBA PNG (not interlaced) as {width, height, rgb}.
export function decodePng(bytes) {
  let at = 8, width = 0, height = 0, channels = 0;
  const data = [];
  while (at < bytes.length) {
    const length = bytes.readUInt32BE(at), type = bytes.toString('latin1', at + 4, at + 8);
    const chunk = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = chunk.readUInt32BE(0), height = chunk.readUInt32BE(4);
      if (chunk[8] !== 8 || chunk[12] !== 0 || (chunk[9] !== 2 && chunk[9] !== 6))
        throw new Error('only 8-bit RGB or RGBA pictures');
      channels = chunk[9] === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      data.push(chunk);
    }
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(data)), stride = width * channels;
  const rows = Buffer.alloc(height * stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? rows[y * stride + x - channels] : 0;
      const b = y > 0 ? rows[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? rows[(y - 1) * stride + x - channels] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const predictor = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      rows[y * stride + x] = (line[x] + predictor) & 255;
    }
  }
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0; i < width * height; ++i)
    rows.copy(rgb, i * 3, i * channels, i * channels + 3);
  return {width, height, rgb};
}

// What the page shows, as RGB pixels of the 800 x 600 viewport.
export async function picture(page) {
  return decodePng(Buffer.from(await page.screenshot({type: 'png'})));
}

export function pixel(image, x, y) {
  const i = (y * image.width + x) * 3;
  return [image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]];
}

// x of the middle of the green pixels (the player's disc: nothing else in
// the game is that green), or -1 when there are too few.
export function greenX(image) {
  let count = 0, sum = 0;
  for (let y = 0; y < image.height; y += 2)
    for (let x = 0; x < image.width; x += 2) {
      const [r, g, b] = pixel(image, x, y);
      if (g > r + 15 && g > b + 8)
        ++count, sum += x;
    }
  return count > 50 ? Math.round(sum / count) : -1;
}
