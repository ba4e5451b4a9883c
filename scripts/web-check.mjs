// Opens the page in headless Chromium and follows it from the logo to the
// menu; then replays a script in the page and holds its trace and its score
// table against the native game's, reloads the page to see the table kept,
// and has the browser refuse a save to see the page say so.
// Usage: node web-check.mjs URL SHOT_DIR [SCRIPT_URL NATIVE_TRACE NATIVE_TABLE]
import fs from 'fs';
import puppeteer from 'puppeteer-core';

const [url, shots, scriptUrl, nativeTrace, nativeTable] = process.argv.slice(2);
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--enable-unsafe-swiftshader', '--hide-scrollbars'],
});
let failed = false;
const fail = (why) => { failed = true; console.log(`web-check: FAIL: ${why}`); };

// A page in a profile of its own: nothing kept from another check.
async function freshPage() {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width: 800, height: 600 });
  page.on('pageerror', (e) => fail(`page error: ${e.message}`));
  return page;
}
const tableOf = (page) =>
  page.evaluate(() => new TextDecoder().decode(FS.readFile('/scores/hs.ini')));

// The script played in the page writes, row for row, the native trace; its
// entry lands in the table as natively, and is still there after a reload.
async function checkReplay() {
  const page = await freshPage();
  const rows = [];
  page.on('console', (m) => {
    if (m.type() === 'log') rows.push(m.text());
    else if (m.type() === 'error' && !/GPU stall/.test(m.text())) fail(`console: ${m.text()}`);
  });
  const started = Date.now();
  const query = `?input=${encodeURIComponent(scriptUrl)}&trace=console`;
  await page.goto(url + query, { waitUntil: 'load' });
  await page.waitForFunction(() => Module.traceDone === true, { timeout: 300000, polling: 250 });
  const trace = rows.map((row) => row + '\n').join('');
  fs.writeFileSync(`${shots}/page-trace.csv`, trace);
  const native = fs.readFileSync(nativeTrace, 'utf8');
  if (trace !== native) {
    const a = trace.split('\n'), b = native.split('\n');
    let line = 0;
    while (line < a.length && a[line] === b[line]) line++;
    fail(`the page's trace (${a.length - 1} rows) differs from the native one ` +
         `(${b.length - 1} rows) first at line ${line + 1}`);
  } else {
    console.log(`web-check: the page's trace equals the native trace byte for byte ` +
                `(${rows.length} rows, ${((Date.now() - started) / 1000).toFixed(1)} s)`);
  }
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(() => typeof FS !== 'undefined' && FS.analyzePath('/scores/hs.ini').exists,
                             { timeout: 15000 });
  const kept = await tableOf(page);
  if (kept !== fs.readFileSync(nativeTable, 'utf8'))
    fail('after a reload the score table is not the one the native game saved');
  else console.log('web-check: after a reload the page holds the score table the native game saved');
  await page.screenshot({ path: `${shots}/reloaded.png` });
  await page.browserContext().close();
}

// When the browser refuses to store the scores, the page says so.
async function checkRefusedSave() {
  const page = await freshPage();
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
  const text = await page.$eval('#status', (e) => e.textContent);
  if (!/not saved/.test(text)) fail(`a refused save left the status line at "${text}"`);
  else console.log(`web-check: a refused save says: ${text}`);
  await page.screenshot({ path: `${shots}/refused.png` });
  await page.browserContext().close();
}
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1024, height: 640 });
  page.on('console', (m) => {
    if (m.type() === 'error' && !/GPU stall/.test(m.text())) fail(`console: ${m.text()}`);
    else console.log(`[page] ${m.text()}`);
  });
  page.on('pageerror', (e) => fail(`page error: ${e.message}`));
  page.on('requestfailed', (r) => fail(`request failed: ${r.url()}`));

  await page.evaluateOnNewDocument(() => {
    window.presents = [];
    const put = CanvasRenderingContext2D.prototype.putImageData;
    CanvasRenderingContext2D.prototype.putImageData = function (...a) {
      window.presents.push(performance.now());
      return put.apply(this, a);
    };
  });
  const start = Date.now();
  await page.goto(url, { waitUntil: 'load' });
  // The logo is the first frame that is not black.
  const lit = () => page.evaluate(() => {
    const c = document.getElementById('canvas');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i] | d[i + 1] | d[i + 2]) n++;
    return n;
  });
  let logoAt = -1;
  while (Date.now() - start < 15000) {
    if ((await lit()) > 1000) { logoAt = Date.now() - start; break; }
    await new Promise((r) => setTimeout(r, 20));
  }
  if (logoAt < 0) fail('no logo within 15 s');
  else console.log(`web-check: logo on the canvas ${logoAt} ms after navigation`);
  await page.screenshot({ path: `${shots}/logo.png` });

  // The logo stays a second; the menu follows.
  await new Promise((r) => setTimeout(r, 3000));
  await page.screenshot({ path: `${shots}/menu.png` });
  // Each frame the game presents is one putImageData on the canvas.
  const presents = await page.evaluate(() => window.presents.splice(0));
  const recent = presents.filter((t) => t >= presents.at(-1) - 2000);
  const gaps = recent.slice(1).map((v, i) => v - recent[i]);
  if (gaps.length < 2) fail('fewer than three frames in the last two seconds');
  else console.log(`web-check: the game presented ${presents.length} frames; over the last 2 s ` +
                   `${(1000 * gaps.length / (recent.at(-1) - recent[0])).toFixed(1)} per second, ` +
                   `gaps ${Math.min(...gaps).toFixed(1)}..${Math.max(...gaps).toFixed(1)} ms`);
  const status = await page.$eval('#status', (e) => e.textContent);
  if (status) fail(`the page says: ${status}`);
  if (scriptUrl) await checkReplay();
  if (scriptUrl) await checkRefusedSave();
  console.log(`web-check: screenshots in ${shots}`);
} finally {
  await browser.close();
}
process.exit(failed ? 1 : 0);
