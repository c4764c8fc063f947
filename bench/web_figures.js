// The web page's figures for docs/performance.md: the size of each file of the site and of
// the whole site, plain and gzipped, and the time from navigation to the first frame in
// headless Chromium with SwiftShader (each run a fresh profile, so nothing is cached).
// Usage: NODE_PATH=build-web/node_modules node bench/web_figures.js build-web/site [RUNS]
'use strict';

const { chromium } = require('playwright-core');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const { serveSite } = require('../web/serve_site.js');

const site = process.argv[2];
const runs = Number(process.argv[3] || 5);

async function firstFrame(url) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'quillmoor-figures-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium', headless: true, viewport: {width: 800, height: 600},
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync']});
  try {
    const page = context.pages()[0] || await context.newPage();
    await page.goto(url);
    await page.waitForFunction(() => window.Module && Module.firstFrameAt !== undefined);
    return await page.evaluate(() => Module.firstFrameAt);
  } finally {
    await context.close();
    fs.rmSync(profile, {recursive: true, force: true});
  }
}

async function main() {
  let plain = 0;
  let gzipped = 0;
  for (const name of fs.readdirSync(site).sort()) {
    const bytes = fs.readFileSync(path.join(site, name));
    const packed = zlib.gzipSync(bytes, {level: 9}).length;
    plain += bytes.length;
    gzipped += packed;
    console.log(`${name.padEnd(16)} ${String(bytes.length).padStart(8)} ${String(packed).padStart(8)}`);
  }
  console.log(`${'site'.padEnd(16)} ${String(plain).padStart(8)} ${String(gzipped).padStart(8)}`);
  const server = await serveSite(site, 0);
  const url = `http://127.0.0.1:${server.address().port}/?file=examples/vertebrates.csv`;
  const times = [];
  for (let i = 0; i < runs; ++i) times.push(await firstFrame(url));
  server.close();
  times.sort((a, b) => a - b);
  console.log(`first frame after navigation, ms: ${times.map((t) => t.toFixed(0)).join(' ')}` +
              ` (median ${times[Math.floor(runs / 2)].toFixed(0)})`);
}

main();
