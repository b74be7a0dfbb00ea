'use strict';
// What the browser tests share: a static HTTP server for build-web/, Debian's
// headless Chromium driving the page, the page's own calls into the program,
// and the native tools the page is compared with.
const { execFile } = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const { chromium } = require('playwright-core');
const { PNG } = require('pngjs');

function required(name) {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set (CTest sets it; see tests/CMakeLists.txt)`);
  return value;
}

const paths = {
  web: () => required('ORVANE_WEB_BUILD_DIR'),
  native: () => required('ORVANE_BUILD_DIR'),
  source: () => required('ORVANE_SOURCE_DIR'),
  chromium: () => process.env.ORVANE_CHROMIUM || '/usr/bin/chromium',
};

// Software GL (no GPU here or in CI) and nothing that phones home.
const kChromiumFlags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--use-angle=swiftshader', '--enable-unsafe-swiftshader'];

// The browser compiles WebAssembly while it downloads only when the server
// names its type.
const kContentTypes = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.css': 'text/css', '.png': 'image/png', '.webmanifest': 'application/manifest+json' };

// Serves one folder read-only on a free loopback port, as any static web
// server would; remembers each request's path and status. With `offline`
// set, every request fails as with no network.
function serveFolder(root) {
  const requests = [];
  const site = { offline: false };
  const server = http.createServer((request, response) => {
    if (site.offline) {
      requests.push({ path: request.url, status: 'offline' });
      request.socket.destroy();
      return;
    }
    const reply = (status, type, body) => {
      requests.push({ path: request.url, status });
      response.writeHead(status, { 'Content-Type': type });
      response.end(request.method === 'HEAD' ? undefined : body);
    };
    if (request.method !== 'GET' && request.method !== 'HEAD') return reply(405, 'text/plain', 'GET only\n');
    const name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    const file = path.join(root, name === '/' ? 'index.html' : name);
    if (!file.startsWith(root + path.sep)) return reply(404, 'text/plain', 'not found\n');
    fs.readFile(file, (error, data) => {
      if (error) return reply(404, 'text/plain', 'not found\n');
      reply(200, kContentTypes[path.extname(file)] || 'application/octet-stream', data);
    });
  });
  return new Promise((resolve, reject) => {
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => resolve(Object.assign(site, {
      url: `http://127.0.0.1:${server.address().port}`,
      requests,
      close: () => new Promise((done) => {
        server.close(done);
        server.closeAllConnections();
      }),
    })));
  });
}

// One page of the browser build in its own browser, with what it said.
class PageSession {
  constructor(site, browser, page) {
    this.site = site;
    this.browser = browser;
    this.page = page;
    this.log = [];       // every console line, for a failure's report
    this.problems = [];  // uncaught errors and failed loads: each fails the test
    page.on('console', (message) => this.log.push(`${message.type()}: ${message.text()}`));
    page.on('pageerror', (error) => this.problems.push(`uncaught in the page: ${error.message}`));
    page.on('requestfailed', (request) => this.problems.push(`request failed: ${request.url()}`));
  }

  // The program's calls, as the page's own script makes them.
  async state() { return JSON.parse(await this.call('orvane_state')); }
  async stateLine() { return this.call('orvane_state_line'); }
  async recording() { return this.call('orvane_recording'); }
  call(name) { return this.page.evaluate((fn) => Module.ccall(fn, 'string', [], []), name); }

  // State, state line and recording read together, between two idle calls.
  snapshot() {
    return this.page.evaluate(() => ({
      state: JSON.parse(Module.ccall('orvane_state', 'string', [], [])),
      line: Module.ccall('orvane_state_line', 'string', [], []),
      recording: Module.ccall('orvane_recording', 'string', [], []),
      time: performance.now(),
    }));
  }

  // Polls the state until `holds(state)`; the page runs in real time, so
  // every wait is on a condition with a deadline rather than a fixed sleep.
  async waitUntil(what, holds, timeoutMs = 20000) {
    return this.poll(what, () => this.state(), holds, brief, timeoutMs);
  }

  // The same for the state line (tilt, centre, camera, mass points), parsed.
  async waitUntilLine(what, holds, timeoutMs = 20000) {
    return this.poll(what, async () => JSON.parse(await this.stateLine()), holds,
      (line) => JSON.stringify(line).slice(0, 300), timeoutMs);
  }

  async poll(what, read, holds, describe, timeoutMs) {
    const deadline = Date.now() + timeoutMs;
    for (;;) {
      const value = await read();
      if (holds(value)) return value;
      if (Date.now() > deadline) throw new Error(`timed out after ${timeoutMs} ms waiting for ${what}; last: ${describe(value)}`);
      await new Promise((resolve) => setTimeout(resolve, 30));
    }
  }

  // Waits until the page has made `count` more idle calls (frames).
  async waitIdleCalls(count, timeoutMs = 20000) {
    const start = (await this.state()).idleCalls;
    return this.waitUntil(`${count} idle calls`, (s) => s.idleCalls >= start + count, timeoutMs);
  }

  // Stops the main loop right after idle call `target` (counted from 1), so
  // that the canvas holds the frame that idle call drew. A check queued for
  // the next animation frame runs after the program's own, which queued its
  // first; so it sees every idle call. Returns the idle calls made.
  stopAfterIdleCall(target, timeoutMs = 90000) {
    return this.page.evaluate(([goal, limit]) => new Promise((resolve, reject) => {
      const giveUp = setTimeout(() => reject(new Error(`idle call ${goal} not reached in ${limit} ms`)), limit);
      const check = () => {
        const done = JSON.parse(Module.ccall('orvane_state', 'string', [], [])).idleCalls;
        if (done < goal) return requestAnimationFrame(check);
        Module.pauseMainLoop();
        clearTimeout(giveUp);
        resolve(done);
      };
      requestAnimationFrame(check);
    }), [target, timeoutMs]);
  }

  async canvasBox() { return this.page.locator('#canvas').boundingBox(); }
  async canvasSize() { return this.page.evaluate(() => [canvas.width, canvas.height]); }

  // The pointer to canvas pixel (x, y), in `steps` moves.
  async pointerTo(x, y, steps = 1) {
    const box = await this.canvasBox();
    await this.page.mouse.move(box.x + x, box.y + y, { steps });
  }

  // The canvas as the page shows it (with the HTML text over it, but not
  // the buttons), decoded.
  async canvasPicture() {
    const shot = await this.page.locator('#canvas').screenshot({ style: '#toolbar, #tilt-pad { visibility: hidden; }' });
    return PNG.sync.read(shot);
  }

  async close() {
    await this.browser.close();
    await this.site.close();
  }
}

function brief(state) {
  const { energy, settings, ...rest } = state;
  return JSON.stringify(rest);
}

// Serves build-web/ (or `folder`), starts Chromium, opens the page (with a
// script to play first, if given, or else what `address` adds to the page's
// address, and `initScript` run before the page's own) and waits for its
// start-up to finish. The default window gives the picture the desktop
// window's 640 x 480; `device` adds Playwright's context options (touch,
// pixel ratio, reduced motion).
async function openPage({ viewport = { width: 640, height: 480 }, replay, initScript, folder, address = '',
                          device = {} } = {}) {
  const site = await serveFolder(path.resolve(folder || paths.web()));
  let browser;
  try {
    browser = await chromium.launch({ executablePath: paths.chromium(), args: kChromiumFlags });
    const page = await browser.newPage({ viewport, ...device });
    const session = new PageSession(site, browser, page);
    if (initScript) await page.addInitScript(initScript);
    const query = replay === undefined ? address : `?replay=${encodeURIComponent(replay)}`;
    await page.goto(`${site.url}/index.html${query}`);
    await page.waitForFunction(() => !document.getElementById('status'), null, { timeout: 60000 });
    return session;
  } catch (error) {
    if (browser) await browser.close();
    await site.close();
    throw error;
  }
}

// ---------------------------------------------------------------- scripts

// An input script's events: { step, kind, args }.
function parseScript(text) {
  return text.split('\n').filter((line) => line.trim() && !line.startsWith('#')).map((line) => {
    const [step, kind, ...args] = line.trim().split(/\s+/);
    return { step: Number(step), kind, args };
  });
}

// Steps each idle call from `first` to `last - 1` takes at speed x1 and
// unpaused, from the recording's pace events (one step each without pacing).
function pacedStepsPerIdleCall(events, first, last) {
  const paces = events.filter((e) => e.kind === 'pace');
  const steps = [];
  let pace = 1;
  let next = 0;
  for (let call = 0; call < last; ++call) {
    while (next < paces.length && paces[next].step <= call) {
      pace = paces[next].args[0] === 'off' ? 1 : Number(paces[next].args[0]);
      ++next;
    }
    if (call >= first) steps.push(pace);
  }
  return steps;
}

// ---------------------------------------------------------------- native tools

function run(program, args) {
  return new Promise((resolve, reject) => {
    execFile(program, args, { maxBuffer: 256 << 20, timeout: 120000 }, (error, stdout, stderr) => {
      if (error) reject(new Error(`${path.basename(program)} ${args.join(' ')} failed: ${error.message}\n${stderr}`));
      else resolve(stdout);
    });
  });
}

function scratchFolder() {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'orvane-browser-'));
}

// The native orvane-sim's state line after `idleCalls` idle calls of `script`.
async function nativeStateLine(script, idleCalls) {
  const folder = scratchFolder();
  try {
    const file = path.join(folder, 'script.txt');
    fs.writeFileSync(file, script);
    const out = await run(path.join(paths.native(), 'orvane-sim'), ['--steps', String(idleCalls), '--input', file]);
    const lines = out.split('\n').filter(Boolean);
    return lines[lines.length - 1] + '\n';
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

// The desktop window's frame drawn by idle call `frame` of `script`, made by
// orvane-capture (on its own X server when there is no display).
async function desktopFrame(script, frame) {
  const folder = scratchFolder();
  try {
    const file = path.join(folder, 'script.txt');
    fs.writeFileSync(file, script);
    const native = paths.native();
    const capture = path.join(native, 'orvane-capture');
    // The program finds its pictures in the working directory's pics/.
    await new Promise((resolve, reject) => {
      execFile(capture, ['--frames', String(frame), '--input', file, '--out', folder], { cwd: native, timeout: 120000 },
        (error, stdout, stderr) => (error ? reject(new Error(`orvane-capture failed: ${error.message}\n${stderr}`)) : resolve()));
    });
    return PNG.sync.read(fs.readFileSync(path.join(folder, `frame_${String(frame).padStart(5, '0')}.png`)));
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

// ---------------------------------------------------------------- pictures

// Mean colour of the rows [top, bottom) of a decoded picture.
function meanColour(picture, top, bottom) {
  const sum = [0, 0, 0];
  for (let y = top; y < bottom; ++y) {
    for (let x = 0; x < picture.width; ++x) {
      const at = 4 * (y * picture.width + x);
      for (let c = 0; c < 3; ++c) sum[c] += picture.data[at + c];
    }
  }
  const count = (bottom - top) * picture.width;
  return sum.map((s) => s / count);
}

// Mean absolute difference per colour channel (0 to 255), and the share of
// pixels of which some channel differs by more than `far`.
function pictureDifference(a, b, far = 32) {
  if (a.width !== b.width || a.height !== b.height) {
    throw new Error(`pictures of different sizes: ${a.width}x${a.height} and ${b.width}x${b.height}`);
  }
  let sum = 0;
  let farPixels = 0;
  for (let at = 0; at < a.data.length; at += 4) {
    let most = 0;
    for (let c = 0; c < 3; ++c) {
      const d = Math.abs(a.data[at + c] - b.data[at + c]);
      sum += d;
      most = Math.max(most, d);
    }
    if (most > far) ++farPixels;
  }
  const pixels = a.width * a.height;
  return { meanPerChannel: sum / (3 * pixels), farShare: farPixels / pixels };
}

// ---------------------------------------------------------------- the world

// Where the ball's centre appears on a width x height canvas: the
// projection the program uses (45 degrees vertical field of view), for a
// board that is not tilted.
function ballOnCanvas(line, width = 640, height = 480) {
  const { centre, camera } = JSON.parse(line);
  const { position, forward, right } = camera;
  const up = [right[1] * forward[2] - right[2] * forward[1], right[2] * forward[0] - right[0] * forward[2],
    right[0] * forward[1] - right[1] * forward[0]];
  const v = centre.map((value, i) => value - position[i]);
  const dot = (a, b) => a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
  const depth = dot(v, forward);
  const tanHalf = Math.SQRT2 - 1;
  const ndcX = dot(v, right) / (depth * tanHalf * (width / height));
  const ndcY = dot(v, up) / (depth * tanHalf);
  return { x: Math.round((ndcX + 1) * width / 2), y: Math.round((1 - ndcY) * height / 2) };
}

module.exports = {
  openPage, parseScript, pacedStepsPerIdleCall, nativeStateLine, desktopFrame,
  meanColour, pictureDifference, ballOnCanvas, paths,
};
