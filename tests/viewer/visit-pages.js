// Opens pages in headless Chromium (one browser for all of them, WebGL through SwiftShader) and
// reports what a person would see and what the page did: a screenshot of each visit, the script
// errors it logged, every request it made other than its own file (all of them refused), and,
// after the visit's actions, its address fragment, the morph names its list shows and where its
// canvas lies (CSS pixels, which are the screenshot's: the scale factor is 1).
// Usage: node visit-pages.js PLAYWRIGHT_MODULE_DIR JOB.json RESULT.json
// JOB: {"browser": path, "width": px, "height": px,
//       "visits": [{"url": "file:///...#...", "screenshot": path,
//                   "slider": {"index": k, "value": "0.25", "hashHas": "weight=0.25"}}]}
'use strict';
const fs = require('fs');
const path = require('path');
const { chromium } = require(path.resolve(process.argv[2]));

// The flags keep a browser without network from trying to reach out at all.
const FLAGS = ['--use-gl=angle', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--no-first-run', '--disable-quic', '--no-sandbox'];

async function visit(page, v, seen) {
  seen.errors = [];
  seen.requests = [];
  await page.goto('about:blank');
  await page.goto(v.url, { waitUntil: 'load' });
  await page.waitForFunction(() => window.viewerFrames >= 1, null, { timeout: 30000 })
    .catch(() => seen.errors.push('the page drew no frame'));
  if (v.slider) {
    await page.locator('#morphs input[type=range]').nth(v.slider.index).fill(v.slider.value);
    await page.waitForFunction((part) => location.hash.includes(part), v.slider.hashHas,
      { timeout: 5000 }).catch(() => seen.errors.push('the fragment did not follow the slider'));
  }
  // The frame after the last change, then the picture.
  await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
  if (v.screenshot) await page.screenshot({ path: v.screenshot });
  return {
    url: v.url,
    errors: seen.errors,
    requests: seen.requests,
    hash: await page.evaluate(() => location.hash),
    names: await page.$$eval('#morphs .name', (names) => names.map((n) => n.textContent)),
    title: await page.title(),
    canvas: await page.$eval('#canvas', (c) => {
      const r = c.getBoundingClientRect();
      return [r.x, r.y, r.width, r.height];
    }),
  };
}

(async () => {
  const job = JSON.parse(fs.readFileSync(process.argv[3], 'utf8'));
  const started = Date.now();
  const browser = await chromium.launch({ executablePath: job.browser, args: FLAGS });
  const context = await browser.newContext({ viewport: { width: job.width, height: job.height } });
  const seen = { errors: [], requests: [] };
  // Nothing may leave the machine: every request but the page's own file is recorded, and those
  // to the network are refused.
  const own = (url) => url === 'about:blank' || url.startsWith('data:') ||
    job.visits.some((v) => v.url.split('#')[0] === url.split('#')[0]);
  await context.route('**/*', (route) => (own(route.request().url()) ? route.continue() : route.abort()));
  const page = await context.newPage();
  page.on('console', (m) => { if (m.type() === 'error') seen.errors.push('console: ' + m.text()); });
  page.on('pageerror', (e) => seen.errors.push('script: ' + e.message));
  page.on('request', (r) => { if (!own(r.url())) seen.requests.push(r.url()); });
  const visits = [];
  for (const v of job.visits) visits.push(await visit(page, v, seen));
  await browser.close();
  fs.writeFileSync(process.argv[4], JSON.stringify({ visits, seconds: (Date.now() - started) / 1000 }));
})().catch((e) => {
  console.log(`the browser run failed: ${e.stack || e}`);
  process.exit(2);
});
