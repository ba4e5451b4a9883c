// Drives the page in headless Chromium and holds it against the native game.
// Usage: node web-test.mjs URL WORK_DIR
//   WORK_DIR/native/NAME/ holds the native run of each golden replay (its
//   trace win.csv, frames NAME.frames as pinned, shot.png, data/hs.ini, and
//   the pass of the shot in shot-pass); WORK_DIR/input/NAME.txt is served at
//   input/NAME.txt. Screenshots and the page's own files go to WORK_DIR/page.
import fs from 'fs';
import puppeteer from 'puppeteer-core';

const [url, work] = process.argv.slice(2);
const out = `${work}/page`;
fs.mkdirSync(out, { recursive: true });
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--enable-unsafe-swiftshader', '--hide-scrollbars'],
});
let failed = false;
const fail = (why) => { failed = true; console.log(`web-test: FAIL: ${why}`); };
const pass = (what) => console.log(`web-test: ${what}`);
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// A page in a profile of its own: nothing kept from another check. Errors
// on its console or in its scripts fail the test.
async function freshPage(width = 800, height = 600) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width, height });
  page.on('pageerror', (e) => fail(`page error: ${e.message}`));
  page.on('requestfailed', (r) => fail(`request failed: ${r.url()}`));
  page.on('console', (m) => {
    if (m.type() === 'error' && !/GPU stall/.test(m.text())) fail(`console: ${m.text()}`);
  });
  return page;
}
const fileOf = (page, path) =>
  page.evaluate((p) => FS.analyzePath(p).exists ? Array.from(FS.readFile(p)) : null, path);
const text = (bytes) => Buffer.from(bytes).toString('utf8');

// Where two texts of lines first part, for a failure that can be acted on.
function firstDifference(a, b) {
  const x = a.split('\n'), y = b.split('\n');
  let line = 0;
  while (line < x.length && x[line] === y[line]) line++;
  return `first at line ${line + 1} (${x.length - 1} lines against ${y.length - 1})`;
}

// Two PNGs hold the same pixels. The browser's and Debian's PNG writers pack
// them differently, so the pictures are decoded and compared.
async function samePixels(page, a, b) {
  return page.evaluate(async (a, b) => {
    const pixels = async (bytes) => {
      const image = await createImageBitmap(new Blob([new Uint8Array(bytes)]),
                                            { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
      const c = new OffscreenCanvas(image.width, image.height);
      const g = c.getContext('2d');
      g.drawImage(image, 0, 0);
      return { w: image.width, h: image.height, d: g.getImageData(0, 0, image.width, image.height).data };
    };
    const p = await pixels(a), q = await pixels(b);
    if (p.w !== q.w || p.h !== q.h) return `${p.w}x${p.h} against ${q.w}x${q.h}`;
    let differ = 0;
    for (let i = 0; i < p.d.length; i++) if (p.d[i] !== q.d[i]) differ++;
    return differ ? `${differ} channel values differ` : '';
  }, a, b);
}

// The logo appears, the menu follows at 60 frames a second, and a key makes
// the sound start, which browsers hold until the player's first gesture.
async function checkStart() {
  const page = await freshPage(1024, 640);
  // Headless Chromium lets any page play sound, whatever --autoplay-policy
  // says; a player's browser holds it until a gesture, as here, where the
  // sound starts held.
  await page.evaluateOnNewDocument(() => {
    const Native = window.AudioContext;
    window.AudioContext = window.webkitAudioContext = class extends Native {
      constructor(...a) {
        super(...a);
        this.suspend();
      }
    };
  });
  await recordPaints(page);
  // The logo is the game's first frame: when it went up, from the page's own
  // clock, which starts at the navigation.
  const logoAt = () => page.waitForFunction(() => window.presents[0], { timeout: 15000 })
      .then((h) => h.jsonValue(), () => -1);
  await page.goto(url, { waitUntil: 'load' });
  const firstVisit = await logoAt();
  const lit = await page.evaluate(() => {
    const c = document.getElementById('canvas');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i] | d[i + 1] | d[i + 2]) n++;
    return n;
  });
  await page.screenshot({ path: `${out}/logo.png` });
  // Again, as a player coming back finds it: the browser has the page and
  // the score folder already.
  await page.reload({ waitUntil: 'load' });
  const returnVisit = await logoAt();
  if (firstVisit < 0 || returnVisit < 0) fail('no frame within 15 s');
  else if (lit < 1000) fail('the first frame on the canvas is black');
  else pass(`logo on the canvas ${Math.round(firstVisit)} ms after navigation on a first visit, ` +
            `${Math.round(returnVisit)} ms on a return`);

  // The logo stays a second; the menu follows.
  await sleep(3000);
  await page.screenshot({ path: `${out}/menu.png` });
  const now = await page.evaluate(() => performance.now());
  pass(`the menu's frame pacing: ${await pacing(page, now - 2000, 2)}`);
  const status = await page.$eval('#status', (e) => e.textContent);
  if (status) fail(`the page says: ${status}`);
  if (await page.$eval('#touch', (e) => getComputedStyle(e).display) !== 'none')
    fail('touch buttons cover the game on a screen without touch');

  // The context's state, and how many of the game's sources play.
  const sound = () => page.evaluate(() => {
    if (typeof AL === 'undefined' || !AL.currentCtx) return 'none';
    const playing = Object.values(AL.currentCtx.sources).filter((s) => s.state === 0x1012).length;
    return `${AL.currentCtx.audioCtx.state} (${playing} playing)`;
  });
  const before = await sound();
  await page.keyboard.press('ArrowDown');
  let after = await sound();
  for (let i = 0; i < 50 && !/^running \([1-9]/.test(after); i++) { await sleep(20); after = await sound(); }
  if (!/^suspended/.test(before)) fail(`before any key the sound is ${before}: a key cannot be seen to start it`);
  else if (!/^running \([1-9]/.test(after)) fail(`after a key the sound is ${after}`);
  else pass(`the sound was ${before} until a key, then ${after}`);
  await page.browserContext().close();
}

// Records, from the page, each browser paint (requestAnimationFrame) and each
// frame the game presents (one putImageData on the canvas).
async function recordPaints(page) {
  await page.evaluateOnNewDocument(() => {
    window.paints = [];
    window.presents = [];
    const put = CanvasRenderingContext2D.prototype.putImageData;
    CanvasRenderingContext2D.prototype.putImageData = function (...a) {
      window.presents.push(performance.now());
      return put.apply(this, a);
    };
    const paint = (t) => { window.paints.push(t); requestAnimationFrame(paint); };
    requestAnimationFrame(paint);
  });
}
// A frame shows at the first paint after it: a paint with no new frame
// repeats the last, and two frames before one paint lose the first.
async function pacing(page, from, seconds) {
  const [paints, presents] = await page.evaluate(() => [window.paints, window.presents]);
  const p = paints.filter((t) => t >= from && t <= from + seconds * 1000);
  let i = 0, repeated = 0, lost = 0;
  for (let f = 1; f < p.length; f++) {
    let n = 0;
    for (; i < presents.length && presents[i] < p[f]; i++) if (presents[i] >= p[f - 1]) n++;
    if (n === 0) repeated++;
    if (n > 1) lost += n - 1;
  }
  return `${p.length} paints in ${seconds} s, ${repeated} showing no new frame, ${lost} frames never shown`;
}

// 20 s of flight (the winning replay, from 5 s in: after the logo and the
// menu), in a page alone and not traced. Measured, not held to: the
// machine's load decides it.
async function measureFlightPacing() {
  const page = await freshPage();
  await recordPaints(page);
  await page.goto(url + `?input=${encodeURIComponent('input/win.txt')}`, { waitUntil: 'load' });
  await sleep(26000);
  pass(`frame pacing in flight: ${await pacing(page, 5000, 20)}`);
  await page.browserContext().close();
}

// A golden replay played in the page: its trace is the native one byte for
// byte, every frame's fingerprint is the pinned one, the frame of one pass
// is the native screenshot's pixels, and the table it leaves is the native
// one, still there after a reload.
async function checkReplay(name) {
  const native = `${work}/native/${name}`;
  const shotPass = fs.readFileSync(`${native}/shot-pass`, 'utf8').trim();
  const page = await freshPage();
  const started = Date.now();
  const query = `?input=${encodeURIComponent(`input/${name}.txt`)}&trace=console&frames=console` +
                `&shot=${shotPass}`;
  await page.goto(url + query, { waitUntil: 'load' });
  await page.waitForFunction(() => Module.closed.trace && Module.closed.frames,
                             { timeout: 300000, polling: 250 });
  const seconds = ((Date.now() - started) / 1000).toFixed(1);

  const lines = await page.evaluate(() => Module.lines);
  const trace = lines.trace.map((row) => row + '\n').join('');
  const frames = lines.frames.map((row) => row + '\n').join('');
  fs.writeFileSync(`${out}/${name}.csv`, trace);
  fs.writeFileSync(`${out}/${name}.frames`, frames);
  const nativeTrace = fs.readFileSync(`${native}/trace.csv`, 'utf8');
  if (trace !== nativeTrace) fail(`${name}: the page's trace differs from the native one ` +
                                  firstDifference(trace, nativeTrace));
  else pass(`${name}: the page's trace equals the native one byte for byte ` +
            `(${lines.trace.length} rows, ${seconds} s)`);
  const pinned = fs.readFileSync(`${native}/pinned.frames`, 'utf8');
  if (frames !== pinned) fail(`${name}: the page's frames differ from the pinned ones ` +
                              firstDifference(frames, pinned));
  else pass(`${name}: every frame's fingerprint is the pinned one (${lines.frames.length} frames)`);

  const shot = await fileOf(page, `/shots/frame_${shotPass.padStart(6, '0')}.png`);
  if (!shot) {
    fail(`${name}: the page saved no screenshot of pass ${shotPass}`);
  } else {
    fs.writeFileSync(`${out}/${name}-shot.png`, Buffer.from(shot));
    const differ = await samePixels(page, shot, Array.from(fs.readFileSync(`${native}/shot.png`)));
    if (differ) fail(`${name}: the page's screenshot of pass ${shotPass} is not the native one: ${differ}`);
    else pass(`${name}: the page's screenshot of pass ${shotPass} has the native one's pixels`);
  }

  const nativeTable = fs.readFileSync(`${native}/data/hs.ini`, 'utf8');
  const table = await fileOf(page, '/scores/hs.ini');
  if (!table || text(table) !== nativeTable) fail(`${name}: the page's score table is not the native one`);
  if (name === 'win') {
    await page.goto(url, { waitUntil: 'load' });
    await page.waitForFunction(() => typeof FS !== 'undefined' && FS.analyzePath('/scores/hs.ini').exists,
                               { timeout: 15000 });
    const kept = await fileOf(page, '/scores/hs.ini');
    if (text(kept) !== nativeTable) fail('after a reload the score table is not the one the native game saved');
    else pass('after a reload the page holds the score table with the won entry, as the native game saved it');
    await page.screenshot({ path: `${out}/reloaded.png` });
  }
  await page.browserContext().close();
}

// Whether the traced page reached the screen `name` (the trace's state
// column), within 15 s.
const screenCame = (page, name) => page.waitForFunction(
    (name) => (Module.lines.trace || []).some((row) => row.split(',')[1] === name),
    { timeout: 15000, polling: 50 }, name).then(() => true, () => false);

// On a touch screen the page shows a pad's buttons, and a tap on them plays
// the game: down a line on the menu, then A, opens the score table.
async function checkTouch() {
  const page = await freshPage();
  await page.setViewport({ width: 844, height: 390, hasTouch: true, isMobile: true });
  await page.goto(url + '?trace=console', { waitUntil: 'load' });
  if (!await screenCame(page, 'menu')) fail('touch: the menu never came');
  const tap = async (button) => {
    const box = await (await page.$(`#touch [data-button="${button}"]`)).boundingBox();
    if (!box) return fail(`touch: no button ${button} on the page`);
    await page.touchscreen.tap(box.x + box.width / 2, box.y + box.height / 2);
    await sleep(300);
  };
  await tap(12);  // the d-pad's down
  await tap(0);   // A
  if (!await screenCame(page, 'hs')) fail('touch: tapping down and A on the menu did not open the score table');
  else pass('touch: the page shows a pad\'s buttons, and tapping down and A opens the score table');
  await page.screenshot({ path: `${out}/touch.png` });
  await page.browserContext().close();
}

// A pad the browser knows (its Gamepad API, faked here with a pad in the
// standard layout) plays the game: down on the menu, then A, opens the table.
async function checkPad() {
  const page = await freshPage();
  await page.evaluateOnNewDocument(() => {
    const pad = {
      id: 'Test pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard',
      timestamp: 1, axes: [0, 0, 0, 0],
      buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })),
    };
    navigator.getGamepads = () => [pad];
    window.holdPadButton = (i, on) => {
      pad.buttons[i] = { pressed: on, touched: on, value: on ? 1 : 0 };
      pad.timestamp++;
    };
  });
  await page.goto(url + '?trace=console', { waitUntil: 'load' });
  if (!await screenCame(page, 'menu')) fail('pad: the menu never came');
  for (const button of [13, 0]) {  // the standard layout's d-pad down, then A
    await page.evaluate((b) => holdPadButton(b, true), button);
    await sleep(150);
    await page.evaluate((b) => holdPadButton(b, false), button);
    await sleep(150);
  }
  if (!await screenCame(page, 'hs')) fail('pad: down and A on a browser\'s pad did not open the score table');
  else pass('pad: down and A on a pad the browser reports open the score table');
  await page.browserContext().close();
}

// When the browser refuses to store the scores, the page says so.
async function checkRefusedSave() {
  const page = await freshPage();
  page.removeAllListeners('console');  // the refusal is logged as an error, as it should be
  // IDBFS is a global of the game's script: its store step is made to fail
  // as it is defined, and the factory table's first save (its fsync) meets
  // it.
  await page.evaluateOnNewDocument(() => {
    let idbfs;
    Object.defineProperty(window, 'IDBFS', {
      configurable: true,
      get: () => idbfs,
      set: (value) => {
        idbfs = value;
        const sync = value.syncfs;
        value.syncfs = (mount, populate, done) =>
          populate ? sync(mount, populate, done) : done(new Error('QuotaExceededError'));
      },
    });
  });
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(
      () => /not saved/.test(document.getElementById('status').textContent), { timeout: 15000 })
      .catch(() => {});
  const status = await page.$eval('#status', (e) => e.textContent);
  if (!/not saved/.test(status)) fail(`a refused save left the status line at "${status}"`);
  else pass(`a refused save says: ${status}`);
  await page.screenshot({ path: `${out}/refused.png` });
  await page.browserContext().close();
}

try {
  // The browser is up before the page is timed, as a player's is: the first
  // page with sound in a browser just started waits about half a second
  // while the browser starts its audio (and its first profile's storage),
  // which a running browser has done long before. The timed page still
  // comes from a fresh profile, with nothing cached.
  const warm = await freshPage();
  await warm.goto(url, { waitUntil: 'load' });
  await warm.waitForFunction(() => typeof Module !== 'undefined' && Module.calledRun, { timeout: 15000 });
  await warm.browserContext().close();
  await checkStart();
  await checkTouch();
  await checkPad();
  await measureFlightPacing();
  // The replays run paced at 60 Hz, each in a page of its own, side by side.
  await Promise.all(fs.readdirSync(`${work}/native`).map(checkReplay));
  await checkRefusedSave();
  pass(`screenshots and the page's files in ${out}`);
} finally {
  await browser.close();
}
process.exit(failed ? 1 : 0);
