// The golden frames drawn in Chromium by the web backend's GL: the page runs
// tests/golden's own program, which draws each frame of the desktop's golden
// images and writes its picture; each must match the desktop's picture of it
// (tests/golden/images) within TOLERANCE in every channel of every pixel.
//
//   golden_check.mjs <golden site> <pictures folder>
import {readdirSync, readFileSync, writeFileSync} from 'node:fs';
import {join} from 'node:path';
import {serve, launch, until, decodePng} from './lib.mjs';

// SwiftShader places vertices on a coarser grid than Mesa's llvmpipe, so a
// pixel on a shared edge of the translucent discs may be blended once more or
// less: 4 or 5 steps at most. A wrong colour, shape or order is far more.
const TOLERANCE = 8;

const [siteDir, picturesDir] = process.argv.slice(2);
const site = await serve(siteDir);
const browser = await launch();
let failures = 0;
try {
  const page = await browser.newPage();
  page.on('console', (message) => console.log('page:', message.text()));
  await page.goto(site.url);
  const code = await until(90000, () => page.evaluate(() => document.body.dataset.exitCode));
  if (code !== '0')
    throw new Error(`the golden program ended with ${code}`);
  const names = readdirSync(picturesDir).filter((name) => name.endsWith('.png'));
  if (names.length !== 6)
    throw new Error(`${names.length} pictures in ${picturesDir}, not the six golden frames`);
  for (const name of names) {
    const bytes = Buffer.from(await page.evaluate((n) => Array.from(FS.readFile('/frames/' + n)), name));
    const web = decodePng(bytes), desktop = decodePng(readFileSync(join(picturesDir, name)));
    let largest = 0;
    for (let i = 0; i < desktop.rgb.length; ++i)
      largest = Math.max(largest, Math.abs(web.rgb[i] - desktop.rgb[i]));
    const sameSize = web.width === desktop.width && web.height === desktop.height;
    if (sameSize && largest <= TOLERANCE) {
      console.log(`${name}: as on the desktop (largest channel difference ${largest})`);
      continue;
    }
    ++failures;
    writeFileSync(join(process.cwd(), 'web_' + name), bytes);
    console.log(`${name}: FAILED, largest channel difference ${largest}` +
                (sameSize ? '' : ', sizes differ') + `; the browser's picture is web_${name}`);
  }
} finally {
  await browser.close();
  site.close();
}
process.exit(failures === 0 ? 0 : 1);
