// The page in headless Chromium, measured from outside as a player's machine
// would see it: the download, the time from loading the page to the start-up
// question, and on the menu and in a game (Right held) the game's frames a
// second and the processor time per frame of the page's own process (the
// renderer: the game's WebAssembly, its GL batching and the page's script)
// and of the whole browser (with the GPU process, whose software rasteriser
// draws the frames, and the audio). Each figure is the middle of three
// windows of 2 s.
//
//   node measure.mjs <site folder> <folder of package.json with puppeteer-core>
import {readdirSync, readFileSync, statSync} from 'node:fs';
import {join, resolve} from 'node:path';
import {createRequire} from 'node:module';
import {createServer} from 'node:http';

const [site, modules] = process.argv.slice(2);
const puppeteer = createRequire(resolve(modules, 'package.json'))('puppeteer-core');
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const median = (values) => [...values].sort((a, b) => a - b)[1];

const files = readdirSync(site);
const bytes = files.reduce((sum, name) => sum + statSync(join(site, name)).size, 0);
console.log(`download: ${(bytes / 1024).toFixed(0)} KiB in ${files.length} files (${files.join(', ')})`);

const server = createServer((request, response) => {
  const name = request.url === '/' ? 'index.html' : request.url.slice(1);
  if (!files.includes(name))
    return response.writeHead(404).end();
  const type = name.endsWith('.html') ? 'text/html' : name.endsWith('.js') ? 'text/javascript'
             : name.endsWith('.wasm') ? 'application/wasm' : 'application/octet-stream';
  response.writeHead(200, {'Content-Type': type}).end(readFileSync(join(site, name)));
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));

const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true,
  args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
         '--disable-background-networking', '--disable-component-update', '--no-first-run',
         '--no-default-browser-check', '--disable-sync'],
});

// Processor time (ms) of the browser and every process below it, and of its
// renderers (the page's own processes) alone.
function browserCpuMs() {
  const processes = new Map();
  for (const pid of readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    try {
      const stat = readFileSync(`/proc/${pid}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      const renderer = readFileSync(`/proc/${pid}/cmdline`, 'utf8').includes('--type=renderer');
      processes.set(Number(pid), {parent: Number(fields[1]), renderer,
                                  ticks: Number(fields[11]) + Number(fields[12])});
    } catch (error) {
    }
  }
  const total = {all: 0, page: 0};
  const walk = (pid) => {
    const info = processes.get(pid);
    total.all += info ? info.ticks * 10 : 0; // 100 ticks a second on Linux
    total.page += info && info.renderer ? info.ticks * 10 : 0;
    for (const [child, other] of processes)
      if (other.parent === pid)
        walk(child);
  };
  walk(browser.process().pid);
  return total;
}

async function measure(page, what) {
  const windows = [];
  for (let i = 0; i < 3; ++i) {
    const frames0 = await page.evaluate(() => window.gameFrames), cpu0 = browserCpuMs(), t0 = Date.now();
    await sleep(2000);
    const frames = (await page.evaluate(() => window.gameFrames)) - frames0;
    const seconds = (Date.now() - t0) / 1000, cpu = browserCpuMs();
    windows.push({fps: frames / seconds, page: (cpu.page - cpu0.page) / frames,
                  all: (cpu.all - cpu0.all) / frames});
  }
  const fps = median(windows.map((w) => w.fps)), page_ = median(windows.map((w) => w.page));
  const all = median(windows.map((w) => w.all));
  console.log(`${what}: ${fps.toFixed(1)} frames/s, processor a frame: page ${page_.toFixed(1)} ms, ` +
              `whole browser ${all.toFixed(1)} ms`);
}

try {
  const page = await browser.newPage();
  await page.setViewport({width: 800, height: 600});
  await page.goto(`http://127.0.0.1:${server.address().port}/`, {waitUntil: 'domcontentloaded'});
  await page.waitForSelector('dialog.box[open]', {timeout: 30000});
  const question = await page.evaluate(() => performance.now());
  console.log(`question: ${question.toFixed(0)} ms after the page began to load`);
  // Every frame the game presents waits for the browser's next animation frame.
  await page.evaluate(() => {
    window.gameFrames = 0;
    const next = VortaPage.nextFrame;
    VortaPage.nextFrame = () => (++window.gameFrames, next());
  });
  await page.keyboard.press('Escape');
  await sleep(1500);
  await measure(page, 'menu');
  await page.keyboard.press('Enter');
  await sleep(500);
  await page.keyboard.down('ArrowRight');
  await measure(page, 'game');
  await page.keyboard.up('ArrowRight');
} finally {
  await browser.close();
  server.close();
}
