// Opens the page in headless Chromium and follows it from the logo to the
// menu. Usage: node web-check.mjs URL SHOT_DIR
import puppeteer from 'puppeteer-core';

const [url, shots] = process.argv.slice(2);
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--enable-unsafe-swiftshader', '--hide-scrollbars'],
});
let failed = false;
const fail = (why) => { failed = true; console.log(`web-check: FAIL: ${why}`); };
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
  console.log(`web-check: screenshots in ${shots}`);
} finally {
  await browser.close();
}
process.exit(failed ? 1 : 0);
