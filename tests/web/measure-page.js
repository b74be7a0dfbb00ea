'use strict';
// The page's figures on this machine, in Debian's headless Chromium with
// software GL: the time from opening the page to its first frame (the
// pictures made included), the steps and frames a second held over a
// stretch of time, at a phone's size and a laptop's; and what the page
// downloads, raw and compressed. A measurement, not a test:
//   node tests/web/measure-page.js [SECONDS]   (60 unless given)
// Needs build-web/ (scripts/web.sh) and the browser tests' packages.
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const h = require('./harness');

const kScreens = [
  { name: 'phone 390x844', viewport: { width: 390, height: 844 }, device: { hasTouch: true, isMobile: true, deviceScaleFactor: 3 } },
  { name: 'laptop 1280x800', viewport: { width: 1280, height: 800 }, device: {} },
];
const kSiteFiles = ['index.html', 'layout.css', 'layout.js', 'touch.js', 'tilt.js', 'sw.js', 'manifest.webmanifest',
  'orvane.js', 'orvane.wasm', 'icon-192.png', 'icon-512.png'];

async function measure(screen, seconds) {
  // The first frame: the first idle call done, seen at the next animation frame.
  const initScript = `(${() => {
    const look = () => {
      const done = typeof Module !== 'undefined' && Module.calledRun && !document.getElementById('status') &&
        JSON.parse(Module.ccall('orvane_state', 'string', [], [])).idleCalls >= 1;
      if (done) window.orvaneFirstFrameMs = performance.now();
      else requestAnimationFrame(look);
    };
    requestAnimationFrame(look);
  }})()`;
  const page = await h.openPage({ viewport: screen.viewport, device: screen.device, initScript });
  try {
    await page.page.waitForFunction(() => window.orvaneFirstFrameMs !== undefined, null, { timeout: 60000 });
    const firstFrame = await page.page.evaluate(() => window.orvaneFirstFrameMs);
    const start = await page.snapshot();
    await page.page.waitForTimeout(seconds * 1000);
    const end = await page.snapshot();
    const elapsed = (end.time - start.time) / 1000;
    const size = await page.canvasSize();
    return `${screen.name} (drawing buffer ${size.join('x')}): first frame ${(firstFrame / 1000).toFixed(2)} s; ` +
      `${((end.state.simulationSteps - start.state.simulationSteps) / elapsed).toFixed(1)} steps and ` +
      `${((end.state.idleCalls - start.state.idleCalls) / elapsed).toFixed(1)} frames a second over ${elapsed.toFixed(0)} s`;
  } finally {
    await page.close();
  }
}

function downloadSize() {
  let raw = 0;
  let compressed = 0;
  for (const file of kSiteFiles) {
    const data = fs.readFileSync(path.join(h.paths.web(), file));
    raw += data.length;
    compressed += zlib.gzipSync(data, { level: 9 }).length;
  }
  return `download: ${(raw / 1024).toFixed(0)} KiB raw, ${(compressed / 1024).toFixed(0)} KiB gzip -9 (${kSiteFiles.length} files)`;
}

(async () => {
  const seconds = Number(process.argv[2] || 60);
  if (!(seconds > 0)) {
    console.error('usage: node tests/web/measure-page.js [SECONDS]');
    process.exit(2);
  }
  console.log(downloadSize());
  console.log(`load average at the start: ${os.loadavg().map((v) => v.toFixed(1)).join(' ')}`);
  for (const screen of kScreens) console.log(await measure(screen, seconds));
  console.log(`load average at the end: ${os.loadavg().map((v) => v.toFixed(1)).join(' ')}`);
})().catch((error) => {
  console.error(`measure-page: ${error.message}`);
  process.exit(1);
});
