// The game's page in Chromium, one check a run, as a player sees it:
//
//   question    the start-up question, its caption, text and buttons
//   menu        No: the menu, windowed, the cursor where the desktop draws it
//   game        Enter (Yes): full screen; Enter on the menu: the green disc
//   keys        Right held while the canvas loses the keyboard and let go
//               elsewhere: the game does not hold it any more
//   speed       Right held 3 s: the disc goes at least 95 % of the way whole
//               5 ms steps over that game time take it
//   quit        Q on the menu: the end page with exit code 0; it starts again
//   grid_error  a level holding "1.0": the run-time error box, then exit code 106
//   sound       silence until the player answers the question (by a click);
//               then the soundtrack comes out
//
// The site is $VORTA_SITE, the sources $VORTA_SOURCE; pictures go to $VORTA_OUT.
import {readFileSync} from 'node:fs';
import {join} from 'node:path';
import {serve, launch, open, messageBox, hold, sleep, until, peek, picture, pixel, greenX} from './lib.mjs';

const site = process.env.VORTA_SITE, source = process.env.VORTA_SOURCE;
const out = process.env.VORTA_OUT || '.';
const QUESTION = {caption: 'Little questioN', text: 'Fullsrceen?', buttons: ['Yes', 'No']};

const failures = [];
function expect(condition, what) {
  console.log(`${condition ? 'ok' : 'FAILED'}: ${what}`);
  if (!condition)
    failures.push(what);
}
const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);

// The menu's cursor: the opaque white highlight of its disc beside the first
// entry, at the pixel the desktop's end-to-end test looks at.
async function menuShown(page) {
  const [r, g, b] = pixel(await picture(page), 176, 126);
  return r > 245 && g > 245 && b > 245;
}

// No at the question, then Enter on the menu: a game in the window.
async function windowedGame(page) {
  expect(same(await messageBox(page), QUESTION), 'the question first');
  await hold(page, 'Escape');
  expect(await until(10000, () => menuShown(page)), 'the menu');
  await hold(page, 'Enter');
  expect(await until(10000, async () => greenX(await picture(page)) >= 0), 'the green disc');
}

async function ended(page) {
  return page.evaluate(() => {
    const end = document.getElementById('ended');
    return end && {code: document.body.dataset.exitCode, text: end.innerText};
  });
}

// The root mean square of what the page's sound sends out now.
const SOUND_LEVEL = `(() => {
  const samples = new Float32Array(VortaAudio.analyser.fftSize);
  VortaAudio.analyser.getFloatTimeDomainData(samples);
  return Math.sqrt(samples.reduce((sum, v) => sum + v * v, 0) / samples.length);
})()`;

// Whether the game's key table holds Right (virtual key 39) down.
const RIGHT_HELD = `HEAP32[Module._keys / 4 + 39] !== 0`;

// The disc's state in the game's memory, at the addresses the page names.
const DISC_STATE = `(() => {
  const f = (name) => HEAPF64[Module['_' + name] / 8];
  return {x: f('playerX'), scroll: f('scrollX'), vx: f('playerVX'), push: f('pushX'),
          speed: f('scrollSpeed'), step: HEAPU32[Module._lastStepTick / 4]};
})()`;

// The level x the disc reaches from `s` when the game runs whole 5 ms steps
// with Right held until game time `until`: the sideways half of a physics
// step, which nothing but the view's edges stops.
function levelXAfterSteps(s, until) {
  let {x, scroll, vx, push, speed} = s;
  for (let n = Math.floor((until - s.step) / 5); n > 0; n--) {
    x = Math.min(39, Math.max(1, x + vx - 2 * speed));
    const v = vx + push;
    vx = v - v / 100;
    push = 0.0015;
    speed = (x - 20) / 100;
    scroll += speed;
  }
  return x + scroll;
}

const CHECKS = {
  async question(page) {
    const box = await messageBox(page);
    expect(same(box, QUESTION), `the question ${JSON.stringify(box)}`);
    expect(await page.$eval('dialog.box', (b) => b.classList.contains('question')),
           'the question has the question mark');
    expect(await page.$eval('#canvas', (c) => c.hidden), 'no game window before the answer');
  },

  async menu(page) {
    expect(same(await messageBox(page), QUESTION), 'the question first');
    await hold(page, 'Escape');
    expect(await until(10000, () => menuShown(page)), 'No: the menu with its cursor at (176, 126)');
    expect(!(await page.evaluate(() => document.fullscreenElement)), 'No: not full screen');
    expect(same(await page.$eval('#canvas', (c) => [c.width, c.height]), [800, 600]),
           'an 800 x 600 canvas');
    await page.screenshot({path: join(out, 'web-menu.png')});
  },

  async game(page) {
    expect(same(await messageBox(page), QUESTION), 'the question first');
    await hold(page, 'Enter');
    expect(await until(10000, () => menuShown(page)), 'Yes: the menu');
    expect(await page.evaluate(() => document.fullscreenElement?.id === 'stage'),
           'Yes: the game full screen');
    await hold(page, 'Enter');
    let x = -1;
    await until(10000, async () => (x = greenX(await picture(page))) >= 0);
    expect(x >= 0, 'Enter on the menu: the green disc');
    await page.screenshot({path: join(out, 'web-game.png')});
  },

  async keys(page) {
    await windowedGame(page);
    await page.keyboard.down('ArrowRight');
    await sleep(150);
    expect(await peek(page, RIGHT_HELD), 'Right held in the game');
    await page.evaluate(() => document.activeElement.blur());
    await page.keyboard.up('ArrowRight'); // to the page, not the game
    await page.click('#stage');
    await sleep(300);
    expect(!(await peek(page, RIGHT_HELD)), 'Right let go elsewhere: the game lets go of it too');
  },

  async speed(page) {
    await windowedGame(page);
    await page.keyboard.down('ArrowRight');
    await sleep(200); // a frame has seen the key
    const before = await peek(page, DISC_STATE);
    await sleep(3000);
    const after = await peek(page, DISC_STATE);
    await page.keyboard.up('ArrowRight');
    const from = before.x + before.scroll, to = levelXAfterSteps(before, after.step);
    const share = (100 * (after.x + after.scroll - from)) / (to - from);
    expect(share >= 95, `Right held 3 s: ${share.toFixed(1)} % of the way whole steps go`);
  },

  async quit(page) {
    expect(same(await messageBox(page), QUESTION), 'the question first');
    await hold(page, 'Escape');
    expect(await until(10000, () => menuShown(page)), 'the menu');
    await hold(page, 'q');
    const end = await until(5000, () => ended(page));
    expect(end && end.code === '0' && /ended/.test(end.text) && /Exit code 0\./.test(end.text),
           `Q: the end page with exit code 0 (${JSON.stringify(end)})`);
    await page.click('#ended button');
    expect(same(await messageBox(page), QUESTION), 'Play again: the question again');
  },

  async grid_error(page) {
    const box = await messageBox(page);
    expect(same(box, {caption: 'Error', text: 'Runtime error 106 at 00A20001', buttons: ['OK']}),
           `the error box ${JSON.stringify(box)}`);
    await hold(page, 'Enter');
    const end = await until(5000, () => ended(page));
    expect(end && end.code === '106' && /Exit code 106\./.test(end.text),
           `the end page with exit code 106 (${JSON.stringify(end)})`);
  },

  // Looked at without puppeteer's evaluate, which would count as a gesture.
  async sound(page) {
    expect(await until(10000, () => peek(page, `!!document.querySelector('dialog.box[open]')`)),
           'the question first');
    await sleep(500);
    expect((await peek(page, SOUND_LEVEL)) === 0, 'silence before the player does anything');
    // A click on No: browsers do not count Escape as the player's doing.
    await page.click('dialog.box[open] button:nth-child(2)');
    let level = 0;
    await until(5000, async () => (level = await peek(page, SOUND_LEVEL)) > 0.001);
    expect(level > 0.001, `the soundtrack once the question is answered (level ${level.toFixed(4)})`);
  },
};

// The shipped data with the level replaced by a grid holding "1.0" (the
// package keeps each file's place and length, so the bytes are swapped in place).
function dataWithBadLevel() {
  const data = Buffer.from(readFileSync(join(site, 'vorta-kemi.data')));
  const level = readFileSync(join(source, 'assets/map'));
  const at = data.indexOf(level);
  Buffer.from('1.0'.padEnd(level.length, ' ')).copy(data, at);
  return data;
}

const check = process.argv[2];
if (!CHECKS[check]) {
  console.error(`usage: page_checks.mjs ${Object.keys(CHECKS).join('|')}`);
  process.exit(2);
}
const server = await serve(site, check === 'grid_error' ? {'/vorta-kemi.data': dataWithBadLevel()} : {});
const browser = await launch();
try {
  await CHECKS[check](await open(browser, server.url));
} catch (error) {
  expect(false, `${check} ran to its end (${error.message})`);
} finally {
  await browser.close();
  server.close();
}
process.exit(failures.length === 0 ? 0 : 1);
