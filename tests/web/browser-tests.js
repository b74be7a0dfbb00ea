'use strict';
// The browser build, served from build-web/ and driven in Debian's headless
// Chromium as a person would drive it: keys, mouse, the HTML panel. Each
// test runs in its own process (`node browser-tests.js NAME`); CTest
// registers every name given to test() below as Browser.NAME.
const assert = require('node:assert/strict');
const fs = require('fs');
const path = require('path');
const h = require('./harness');

const tests = new Map();
function test(name, body) { tests.set(name, body); }

// Text lines the page shows over the canvas (frame rate, run state, help).
function overlayLines(page) {
  return page.page.evaluate(() => Array.from(document.querySelectorAll('#text div'), (div) => div.textContent));
}

function waitForOverlay(page, what, holds) {
  return page.page.waitForFunction(holds, null, { timeout: 10000 }).catch(async () => {
    throw new Error(`the page's text never showed ${what}: ${JSON.stringify(await overlayLines(page))}`);
  });
}

// The recording replayed by the native orvane-sim ends in the page's state.
async function assertReplaysNatively(snapshot, report) {
  const idleCalls = JSON.parse(snapshot.line).step;
  const native = await h.nativeStateLine(snapshot.recording, idleCalls);
  const events = h.parseScript(snapshot.recording);
  report(`${events.length} recorded events (${events.filter((e) => e.kind === 'pace').length} pace), ` +
    `${idleCalls} idle calls, ${snapshot.state.simulationSteps} simulation steps`);
  if (native === snapshot.line) return;
  const page = JSON.parse(snapshot.line);
  const other = JSON.parse(native);
  const differing = Object.keys(page).filter((key) => JSON.stringify(page[key]) !== JSON.stringify(other[key]));
  assert.fail(`native replay of the recording ends elsewhere: ${differing.join(', ')} differ\n` +
    `recording:\n${snapshot.recording}`);
}

// Puts the pointer on the ball and presses the left button there, without
// turning the camera: the pointer enters at the canvas's corner (the first
// motion is measured from (0, 0)), and moves on to the ball with the button
// held, which never turns the camera; released and pressed again, it grabs.
// Aimed at the ball's centre, it holds the mass point nearest the camera.
// As a person grabs the ball in the page, which starts in hand mode: the
// pointer comes from outside the picture onto the ball in many small steps
// (turning nothing on the way), and the left button goes down there.
async function grabTheBall(page) {
  const box = await page.canvasBox();
  await page.page.mouse.move(box.x + 1, box.y + box.height - 1);
  const at = h.ballOnCanvas(await page.stateLine());
  await page.pointerTo(at.x, at.y, 40);
  await page.page.mouse.down();
  await page.waitUntil('the ball to be grabbed', (s) => s.grabbed, 5000);
  const { particles, camera } = JSON.parse(await page.stateLine());
  const distance = (q) => Math.hypot(q[0] - camera.position[0], q[1] - camera.position[1], q[2] - camera.position[2]);
  const point = particles.reduce((best, q, i) => (distance(q) < distance(particles[best]) ? i : best), 0);
  return { ...at, point };
}

test('PageLoadsFromAStaticFolderAndDrawsTheScene', async ({ open, report }) => {
  const page = await open();
  const loaded = page.site.requests.map((r) => `${r.path} ${r.status}`);
  for (const file of ['/index.html', '/orvane.js', '/orvane.wasm']) assert.ok(loaded.includes(`${file} 200`), loaded.join(', '));
  await waitForOverlay(page, 'the frame rate',
    () => Array.from(document.querySelectorAll('#text div')).some((div) => /^FPS:\s*\d+\.\d\d$/.test(div.textContent)));
  // A fixed frame, so that the lightning is the same on every run.
  await page.stopAfterIdleCall(60);
  const picture = await page.canvasPicture();
  assert.equal(`${picture.width}x${picture.height}`, '640x480');
  // Below the frame-rate text and above the horizon: the stormy sky, blue
  // clouds. The bottom rows: the rock plate, a warm grey, brighter.
  const skyMean = h.meanColour(picture, 40, 230);
  const groundMean = h.meanColour(picture, 440, 480);
  const sky = share(picture, 40, 230, ([r, g, b]) => b > r + 5 && b >= g);
  const ground = share(picture, 440, 480, ([r, g, b]) => r >= b);
  report(`sky rows blue: ${(100 * sky).toFixed(1)}%, ground rows warm: ${(100 * ground).toFixed(1)}%; ` +
    `mean sky ${skyMean.map(Math.round)}, ground ${groundMean.map(Math.round)}`);
  assert.ok(sky > 0.97, 'the sky is drawn above the horizon');
  assert.ok(ground > 0.97, 'the ground is drawn below');
  const brightness = (c) => c[0] + c[1] + c[2];
  assert.ok(brightness(skyMean) > 60 && brightness(groundMean) > brightness(skyMean) + 60,
    'textured and lit, the ground brighter than the sky');
});

// cmake --install of the web build gives the whole site and nothing else,
// and the page it serves names the version orvane --version names.
test('InstalledSiteServesThePageWithTheProgramsVersion', async ({ open, report }) => {
  const { execFileSync } = require('child_process');
  const os = require('os');
  const site = fs.mkdtempSync(path.join(os.tmpdir(), 'orvane-site-'));
  try {
    execFileSync('cmake', ['--install', h.paths.web(), '--prefix', site], { stdio: 'pipe' });
    assert.deepEqual(fs.readdirSync(site).sort(), ['icon-192.png', 'icon-512.png', 'index.html', 'layout.css', 'layout.js',
      'manifest.webmanifest', 'orvane.js', 'orvane.wasm', 'sw.js', 'tilt.js', 'touch.js']);
    const page = await open({ folder: site });
    const shown = await page.page.evaluate(() => document.getElementById('version').textContent);
    const native = execFileSync(path.join(h.paths.native(), 'orvane'), ['--version'], { encoding: 'utf8' });
    report(`the page says "${shown}", the desktop program "${native.trim()}"`);
    const version = native.split(' ')[1];
    assert.match(shown, new RegExp(`^orvane ${version.replace(/\./g, '\\.')}( \\(commit [0-9a-f]{12}( with local changes)?\\))?$`));
  } finally {
    fs.rmSync(site, { recursive: true, force: true });
  }
});

// The share of pixels in rows [top, bottom) for which `holds([r, g, b])`.
function share(picture, top, bottom, holds) {
  let count = 0;
  for (let y = top; y < bottom; ++y) {
    for (let x = 0; x < picture.width; ++x) {
      const at = 4 * (y * picture.width + x);
      if (holds([picture.data[at], picture.data[at + 1], picture.data[at + 2]])) ++count;
    }
  }
  return count / ((bottom - top) * picture.width);
}

test('ArrowKeysAndSpaceDoNotScrollThePage', async ({ open, report }) => {
  // A small window: the page fits it, with nothing to scroll, and the keys'
  // own meaning in a page (scrolling) is turned off.
  const page = await open({ viewport: { width: 420, height: 300 } });
  const p = page.page;
  const scrolled = () => p.evaluate(() => [window.scrollX, window.scrollY]);
  const room = await p.evaluate(() => [document.documentElement.scrollWidth - innerWidth,
    document.documentElement.scrollHeight - innerHeight]);
  assert.deepEqual(room, [0, 0], 'the page fits the window');
  await p.evaluate(() => {
    window.keysLeftToThePage = [];
    window.addEventListener('keydown', (event) => { if (!event.defaultPrevented) keysLeftToThePage.push(event.key); });
  });
  assert.equal(await p.evaluate(() => document.activeElement.id), 'canvas', 'the canvas has the keys');

  for (const key of ['ArrowDown', 'ArrowRight', 'Space', 'ArrowDown', 'ArrowUp', 'ArrowLeft', 'Space']) await p.keyboard.press(key);
  await page.waitIdleCalls(10);
  assert.deepEqual(await scrolled(), [0, 0], 'pressed arrow keys and space leave the page where it is');
  assert.deepEqual(await p.evaluate(() => keysLeftToThePage), [], 'no key did what it does in a page');

  // They still reach the world: an arrow held tilts the board.
  await p.keyboard.down('ArrowDown');
  const tilted = await page.waitUntilLine('the board to tilt', (line) => line.tiltX !== 0 || line.tiltZ !== 0);
  await p.keyboard.down('Space');
  await page.waitIdleCalls(10);
  await p.keyboard.up('Space');
  await p.keyboard.up('ArrowDown');
  await page.waitIdleCalls(5);
  report(`held ArrowDown: tiltX ${tilted.tiltX}, tiltZ ${tilted.tiltZ}`);
  assert.deepEqual(await scrolled(), [0, 0], 'held arrow keys and space leave the page where it is');
});

test('HeldKeysGiveOneDownAndOneUp', async ({ open, report }) => {
  // Counts the key repeats the browser sends, before the page's filter sees them.
  const page = await open({
    initScript: () => {
      window.repeatsSent = 0;
      window.addEventListener('keydown', (event) => { if (event.repeat) window.repeatsSent += 1; }, true);
    },
  });
  const p = page.page;
  // Four downs of a held key: three are repeats. An even count, so that
  // unfiltered repeats would leave the world running.
  for (const key of ['p', 'ArrowLeft']) {
    for (let i = 0; i < 4; ++i) {
      await p.keyboard.down(key);
      await page.waitIdleCalls(1);
    }
    await p.keyboard.up(key);
  }
  await page.waitIdleCalls(2);
  const { state, recording } = await page.snapshot();
  const repeats = await p.evaluate(() => window.repeatsSent);
  const events = h.parseScript(recording).filter((e) => /^(key|special)-/.test(e.kind))
    .map((e) => [e.kind, ...e.args].join(' '));
  report(`repeats sent: ${repeats}; recorded: ${events.join(', ')}`);
  assert.equal(repeats, 6, 'the browser sent the repeats');
  assert.deepEqual(events, ['key-down p', 'key-up p', 'special-down left', 'special-up left']);
  assert.equal(state.paused, true, 'a held p pauses once');
});

test('EscapeDoesNothing', async ({ open, report }) => {
  const page = await open();
  const p = page.page;
  await page.waitIdleCalls(5);
  await p.keyboard.press('Escape');
  const after = await page.state();
  const later = await page.waitUntil('the page to run on after Esc',
    (s) => s.idleCalls >= after.idleCalls + 30 && s.simulationSteps >= after.simulationSteps + 20);
  report(`after Esc: ${later.idleCalls - after.idleCalls} idle calls, ${later.simulationSteps - after.simulationSteps} steps`);
  // Nor does it end the session in the recording: what follows still replays.
  await p.keyboard.down('ArrowUp');
  await page.waitUntilLine('the board to tilt', (line) => line.tiltX !== 0 || line.tiltZ !== 0);
  await p.keyboard.up('ArrowUp');
  await assertReplaysNatively(await page.snapshot(), report);
});

test('HandModeGrabsTurnsMovesAndReplaysNatively', async ({ open, report }) => {
  const page = await open();
  const p = page.page;
  const camera = async () => JSON.parse(await page.stateLine()).camera;
  assert.equal((await page.state()).hand, true, 'the page starts in hand mode');

  // The left button on the ball holds it; a drag pulls it; release lets go.
  // Dragged up, the held point rises over the ball's centre.
  const at = await grabTheBall(page);
  const start = await camera();
  assert.deepEqual([start.yaw, start.pitch], [180, 0], 'the way to the ball turned nothing');
  const above = (line) => line.particles[at.point][1] - line.centre[1];
  const before = above(JSON.parse(await page.stateLine()));
  await page.pointerTo(at.x, at.y - 80, 8);
  const pulled = await page.waitUntilLine('the drag to pull the held point up', (line) => above(line) > before + 0.3);
  report(`grabbed point ${at.point} at (${at.x}, ${at.y}); its height over the centre ${before.toFixed(3)} -> ` +
    `${above(pulled).toFixed(3)} after the drag`);
  assert.equal((await page.state()).grabbed, true, 'held while the button is down');
  await p.mouse.up();
  await page.waitUntil('the ball to be let go', (s) => !s.grabbed, 5000);

  // The right button drags the view round by a degree a pixel, from where
  // it went down; the middle one moves the camera.
  await p.mouse.down({ button: 'right' });
  await page.pointerTo(at.x + 40, at.y - 70, 4);
  const turned = await page.waitUntilLine('a right drag to turn the camera 40 degrees left and 10 down',
    (line) => line.camera.yaw === 140 && line.camera.pitch === -10);
  await p.mouse.up({ button: 'right' });
  assert.deepEqual(turned.camera.position, start.position, 'turning does not move the camera');
  await p.mouse.down({ button: 'middle' });
  await page.pointerTo(at.x + 40, at.y - 40, 3);
  const moved = await page.waitUntilLine('a middle drag to move the camera',
    (line) => JSON.stringify(line.camera.position) !== JSON.stringify(turned.camera.position));
  await p.mouse.up({ button: 'middle' });
  assert.deepEqual([moved.camera.yaw, moved.camera.pitch], [140, -10], 'moving does not turn');

  // Key m: the pointer looks again, and motion alone turns the camera.
  await p.keyboard.press('m');
  await page.waitUntil('look mode', (s) => !s.hand);
  await page.pointerTo(at.x + 30, at.y - 40);
  const looked = await page.waitUntilLine('motion to turn the camera 10 degrees more',
    (line) => line.camera.yaw === 150);
  report(`turned to yaw ${turned.camera.yaw}, pitch ${turned.camera.pitch}; moved to ` +
    `${moved.camera.position.map((v) => v.toFixed(2))}; looking, yaw ${looked.camera.yaw}`);
  await assertReplaysNatively(await page.snapshot(), report);
});

test('KeysPauseStepChangeSpeedAndShowHelp', async ({ open, report }) => {
  const page = await open();
  const p = page.page;
  const press = (key) => p.keyboard.press(key);

  await press('p');
  const paused = await page.waitUntil('a pause', (s) => s.paused);
  await waitForOverlay(page, '"paused"', () => document.getElementById('text').textContent.includes('paused'));
  const held = await page.waitIdleCalls(10);
  assert.equal(held.simulationSteps, paused.simulationSteps, 'no steps while paused');
  await press('o');
  await page.waitUntil('one step', (s) => s.simulationSteps > held.simulationSteps);
  const stepped = await page.waitIdleCalls(5);
  assert.equal(stepped.simulationSteps, held.simulationSteps + 1, 'o takes exactly one step');
  await press('p');
  await page.waitUntil('the run to go on', (s) => !s.paused && s.simulationSteps > stepped.simulationSteps + 5);

  await press(']');
  await page.waitUntil('double speed', (s) => s.speed === 'x2');
  await waitForOverlay(page, '"x2"', () => document.getElementById('text').textContent.includes('x2'));
  await press('[');
  await press('[');
  await page.waitUntil('half speed', (s) => s.speed === 'x1/2');
  await waitForOverlay(page, '"x1/2"', () => document.getElementById('text').textContent.includes('x1/2'));
  await press(']');
  await page.waitUntil('speed x1', (s) => s.speed === '');

  const helpShown = () => document.getElementById('text').textContent.includes('orvane: the controls');
  const helpHidden = () => !document.getElementById('text').textContent.includes('orvane: the controls');
  for (const key of ['h', 'F1']) {
    await press(key);
    await page.waitUntil(`help on ${key}`, (s) => s.help);
    await waitForOverlay(page, `the help after ${key}`, helpShown);
    const lines = await overlayLines(page);
    assert.ok(lines.length > 10, `the help is a list of controls: ${JSON.stringify(lines)}`);
    report(`${key}: help of ${lines.length} lines of HTML text`);
    await press(key);
    await page.waitUntil(`help hidden by ${key}`, (s) => !s.help);
    await waitForOverlay(page, `no help after ${key} again`, helpHidden);
  }
});

test('HtmlPanelPausesStepsSetsAndRestoresDefaults', async ({ open, report }) => {
  const page = await open();
  const p = page.page;
  assert.equal(await p.isVisible('#panel'), false, 'hidden at start');
  await p.keyboard.press('Tab');
  await page.waitUntil('the panel', (s) => s.panel);
  await p.waitForSelector('#panel', { state: 'visible', timeout: 5000 });

  await p.click('#pause');
  const paused = await page.waitUntil('a pause from the panel', (s) => s.paused);
  await p.waitForFunction(() => document.getElementById('pause').textContent.startsWith('Resume'), null, { timeout: 5000 });
  await p.click('#step');
  await page.waitUntil('one step from the panel', (s) => s.simulationSteps === paused.simulationSteps + 1);
  await p.click('#faster');
  await page.waitUntil('double speed from the panel', (s) => s.speed === 'x2');
  await p.click('#show-particles');
  await page.waitUntil('mass points shown', (s) => s.particles);

  await p.locator('#set-damping').fill('7.5');
  await page.waitUntil('damping from its slider', (s) => s.settings.damping === 7.5);
  await p.locator('#set-rings').fill('16');
  await page.waitUntil('rings from their slider', (s) => s.settings.rings === 16);
  await p.click('#defaults');
  const restored = await page.waitUntil('the defaults', (s) => s.settings.damping === 4);
  report(`after defaults: ${JSON.stringify(restored.settings)}`);

  // Tab on a control of the panel moves the focus; on the picture it is the
  // program's key again.
  await p.focus('#canvas');
  await p.keyboard.press('Tab');
  await page.waitUntil('the panel hidden', (s) => !s.panel);
  await p.waitForSelector('#panel', { state: 'hidden', timeout: 5000 });
  await assertReplaysNatively(await page.snapshot(), report);
});

test('TimelineKeysAndSliderGoBackAndReplayNatively', async ({ open, report }) => {
  const page = await open();
  const p = page.page;
  await p.keyboard.down('ArrowRight');
  await page.waitIdleCalls(40);
  await p.keyboard.up('ArrowRight');
  await page.waitIdleCalls(5);

  // A held "," goes back once for each repeat the keyboard sends.
  await p.keyboard.down(',');
  const first = await page.waitUntil('a step back', (s) => s.timeline.shown < s.timeline.present);
  for (let i = 0; i < 5; ++i) await p.keyboard.down(',');
  await p.keyboard.up(',');
  const back = await page.waitUntil('six steps back',
    (s) => s.timeline.shown === first.timeline.present - 6);
  assert.equal(back.paused, true, 'going back pauses');
  await p.keyboard.press('.');
  await p.keyboard.press('.');
  await page.waitUntil('two steps forward', (s) => s.timeline.shown === first.timeline.present - 4);

  // The panel's slider, dragged back by its thumb.
  await p.keyboard.press('Tab');
  await p.waitForSelector('#timeline', { state: 'visible', timeout: 5000 });
  await p.waitForFunction(() => Number(document.getElementById('timeline').max) > 0, null, { timeout: 5000 });
  const box = await p.locator('#timeline').boundingBox();
  const shownBefore = (await page.state()).timeline;
  const thumbX = box.x + box.width * (shownBefore.shown - shownBefore.oldest) /
    Math.max(1, shownBefore.present - shownBefore.oldest);
  await p.mouse.move(thumbX, box.y + box.height / 2);
  await p.mouse.down();
  await p.mouse.move(thumbX - box.width / 3, box.y + box.height / 2, { steps: 8 });
  await p.mouse.up();
  const dragged = await page.waitUntil('the slider to go back',
    (s) => s.timeline.shown < shownBefore.shown - 3);
  report(`present ${first.timeline.present}; "," six times and "." twice: step ${shownBefore.shown}; ` +
    `the slider dragged to step ${dragged.timeline.shown}`);

  // "p" goes on from the step shown: a new branch.
  await p.keyboard.press('Tab');
  await p.focus('#canvas');
  await p.keyboard.press('p');
  await page.waitUntil('the run to go on from the step shown',
    (s) => !s.paused && s.timeline.shown === s.timeline.present && s.timeline.present > dragged.timeline.shown);
  await page.waitIdleCalls(10);
  await assertReplaysNatively(await page.snapshot(), report);
});

test('CompareModeFromThePanelReplaysNatively', async ({ open, report }) => {
  const page = await open();
  const p = page.page;
  await p.keyboard.press('Tab');
  await p.waitForSelector('#panel', { state: 'visible', timeout: 5000 });
  await p.click('#compare-on');
  await page.waitUntil('compare mode on', (s) => s.compare !== null);
  await p.waitForSelector('#b-set-damping', { state: 'visible', timeout: 5000 });
  await p.locator('#b-set-damping').fill('1.5');
  const set = await page.waitUntil("B's damping from its slider", (s) => s.compare && s.compare.damping === 1.5);
  assert.equal(set.settings.damping, 4, "A's damping stays");
  await p.focus('#canvas');
  await p.keyboard.down('ArrowLeft');
  await page.waitIdleCalls(60);
  await p.keyboard.up('ArrowLeft');
  await page.waitIdleCalls(20);
  const snapshot = await page.snapshot();
  const line = JSON.parse(snapshot.line);
  assert.ok(line.b, 'the state line holds B');
  const apart = Math.hypot(...line.centre.map((v, i) => v - line.b.centre[i]));
  report(`B with damping 1.5 beside A after ${snapshot.state.simulationSteps} steps: centres ` +
    `${apart.toExponential(2)} apart`);
  // The panel shows B beside A: its energies in the plot, how far apart the
  // two are, and its readouts.
  const { state } = snapshot;
  assert.equal(state.energyB.length, state.energy.length, "B's energies, a sample a step as A's");
  assert.equal(state.separation.length, state.energy.length);
  assert.ok(state.separation[state.separation.length - 1] > 0, 'A and B parted');
  assert.ok(await p.isVisible('#apart'), 'the separation plot is shown');
  assert.match(await p.textContent('#readouts'), /^A: time .*\nB: time /s);
  await assertReplaysNatively(snapshot, report);
});

test('IntegratorMenusSetAAndBAndReplayNatively', async ({ open, report }) => {
  const page = await open();
  const p = page.page;
  await p.keyboard.press('Tab');
  await p.waitForSelector('#panel', { state: 'visible', timeout: 5000 });
  await p.selectOption('#set-integrator', { label: 'symplectic-euler' });
  await page.waitUntil("A's integrator from its menu", (s) => s.settings.integrator === 1);
  await p.click('#compare-on');
  await page.waitUntil('compare mode on', (s) => s.compare !== null);
  await p.waitForSelector('#b-set-integrator', { state: 'visible', timeout: 5000 });
  await p.selectOption('#b-set-integrator', { label: 'rk4' });
  const set = await page.waitUntil("B's integrator from its menu", (s) => s.compare && s.compare.integrator === 4);
  assert.equal(set.settings.integrator, 1, "A's integrator stays");
  await p.focus('#canvas');
  await p.keyboard.down('ArrowRight');
  await page.waitIdleCalls(60);
  await p.keyboard.up('ArrowRight');
  await page.waitIdleCalls(20);
  const snapshot = await page.snapshot();
  assert.match(snapshot.recording, /set integrator symplectic-euler\n/);
  assert.match(snapshot.recording, /set-b integrator rk4\n/);
  const line = JSON.parse(snapshot.line);
  const apart = Math.hypot(...line.centre.map((v, i) => v - line.b.centre[i]));
  report(`symplectic Euler (A) and RK4 (B) after ${snapshot.state.simulationSteps} steps: centres ` +
    `${apart.toExponential(2)} apart`);
  await assertReplaysNatively(snapshot, report);
});

// How many steps a second a busy machine gets is a measurement, reported
// here; what must hold whatever the load is that every step comes from the
// pace the recording keeps, at most eight an idle call.
test('SimulationStepsFollowTheRecordedPace', async ({ open, report }) => {
  const page = await open();
  await page.waitIdleCalls(10);
  const first = await page.snapshot();
  await page.waitIdleCalls(120);
  const last = await page.snapshot();
  const seconds = (last.time - first.time) / 1000;
  const steps = last.state.simulationSteps - first.state.simulationSteps;
  const calls = last.state.idleCalls - first.state.idleCalls;
  const perCall = h.pacedStepsPerIdleCall(h.parseScript(last.recording), first.state.idleCalls, last.state.idleCalls);
  const counts = {};
  for (const n of perCall) counts[n] = (counts[n] || 0) + 1;
  report(`${steps} steps in ${seconds.toFixed(2)} s = ${(steps / seconds).toFixed(1)} a second, over ${calls} idle calls ` +
    `(${(calls / seconds).toFixed(1)} frames a second); steps per idle call: ${JSON.stringify(counts)}`);
  assert.ok(steps > 0, 'the simulation went on');
  assert.equal(perCall.reduce((a, b) => a + b, 0), steps, "the steps are those the recording's pace events give");
  assert.ok(perCall.every((n) => n >= 0 && n <= 8), 'at most 8 steps an idle call');
});

test('RecordedSessionReplaysNativelyToTheSameState', async ({ open, report }) => {
  const page = await open();
  const p = page.page;
  const at = await grabTheBall(page);
  await page.pointerTo(at.x + 30, at.y - 60, 6);
  await page.waitIdleCalls(20);
  await p.mouse.up();
  await p.keyboard.press(']');
  await p.keyboard.down('ArrowUp');
  await page.waitUntilLine('the board to tilt', (line) => line.tiltX !== 0 || line.tiltZ !== 0);
  await p.keyboard.down('ArrowLeft');
  await page.waitIdleCalls(10);
  await p.keyboard.up('ArrowUp');
  await p.keyboard.up('ArrowLeft');
  await p.keyboard.press('[');
  await p.keyboard.press('[');
  await page.pointerTo(at.x + 60, at.y - 40, 4);
  await p.keyboard.down('t');
  await page.waitIdleCalls(15);
  await p.keyboard.up('t');
  await p.keyboard.press('Tab');
  await p.waitForSelector('#panel', { state: 'visible', timeout: 5000 });
  await p.locator('#set-surfaceStiffness').fill('14.5');
  await page.waitUntil('stiffness from its slider', (s) => s.settings.surfaceStiffness === 14.5);
  // Keys typed while a slider has the focus stay with it (Tab moves the
  // focus on): back to the picture, where Tab closes the panel.
  await p.focus('#canvas');
  await p.keyboard.press('Tab');
  await p.waitForSelector('#panel', { state: 'hidden', timeout: 5000 });
  await p.keyboard.press('p');
  await page.waitUntil('a pause', (s) => s.paused);
  await p.keyboard.press('o');
  await p.keyboard.press('o');
  await p.keyboard.press('p');
  await page.waitIdleCalls(20);
  await assertReplaysNatively(await page.snapshot(), report);
});

test('ReplayInTheAddressMatchesNativeReplay', async ({ open, report }) => {
  const script = fs.readFileSync(path.join(h.paths.source(), 'tests/golden/study-session.txt'), 'utf8');
  const page = await open({ replay: script });
  // The script holds the controls well past this idle call, so no clock
  // pacing has come in.
  const calls = await page.stopAfterIdleCall(800);
  const line = await page.stateLine();
  assert.equal(JSON.parse(line).step, calls);
  const native = await h.nativeStateLine(script, calls);
  report(`state line after ${calls} idle calls: ${line.length} bytes, ${native === line ? 'the same' : 'different'}`);
  assert.ok(native === line, 'the page played the script to the native state');
});

test('CanvasMatchesTheDesktopFrame', async ({ open, report, outputFolder }) => {
  // Paused at once, then stepped: both are at the same simulation step
  // whatever their frame timing.
  let script = '0 key-down p\n';
  for (let i = 1; i <= 100; ++i) script += `${i} key-down o\n`;
  const page = await open({ replay: script });
  const frame = await page.stopAfterIdleCall(142);
  const browser = await page.canvasPicture();
  const state = await page.state();
  assert.equal(state.simulationSteps, 100);
  // The page starts with the ball in its jelly look; the desktop is told so.
  const desktop = await h.desktopFrame(`0 look jelly\n${script}`, frame);
  const { PNG } = require('pngjs');
  fs.writeFileSync(path.join(outputFolder, 'CanvasMatchesTheDesktopFrame-browser.png'), PNG.sync.write(browser));
  fs.writeFileSync(path.join(outputFolder, 'CanvasMatchesTheDesktopFrame-desktop.png'), PNG.sync.write(desktop));
  const { meanPerChannel, farShare } = h.pictureDifference(browser, desktop);
  report(`frame ${frame}: mean absolute difference ${meanPerChannel.toFixed(2)} of 255 per channel; ` +
    `${(100 * farShare).toFixed(2)}% of pixels differ by more than 32 in some channel`);
  // The browser lights the ball as if every light were far away, and its
  // text is HTML: the rest is the same scene.
  assert.ok(meanPerChannel < 10, `mean difference ${meanPerChannel.toFixed(2)}`);
  assert.ok(farShare < 0.08, `share of far pixels ${(100 * farShare).toFixed(2)}%`);
});

// The page on phones and tablets, offline, and for everyone.
require('./device-tests')(test, { assertReplaysNatively, grabTheBall });

// ---------------------------------------------------------------- runner

const kTestSeconds = 150;

// ---------------------------------------------------------------- keep, share, measure

// The state line without its idle-call count, which depends on how long the
// page ran before the script began.
function withoutStep(line) {
  const { step, ...rest } = JSON.parse(line);
  return JSON.stringify(rest);
}

// The idle call of a script's last event: the state it leaves is reached
// once that event is delivered.
function lastStep(script) {
  const events = h.parseScript(script);
  return events[events.length - 1].step;
}

async function showPanel(page) {
  await page.page.focus('#canvas');
  await page.page.keyboard.press('Tab');
  await page.page.waitForSelector('#panel', { state: 'visible', timeout: 5000 });
}

async function scriptError(page) {
  return page.page.evaluate(() => {
    const box = document.getElementById('script-error');
    return box.hidden ? '' : box.textContent;
  });
}

async function waitForScriptToFinish(page) {
  return page.waitUntil('the script to finish, paused', (s) => !s.replaying && s.paused, 60000);
}

// A session with a grab and two settings changed, copied as a link, opened
// in a fresh page: it ends paused in the very state the native replay of
// the same script reaches, and in the state it was copied in.
test('CopyLinkRoundTripEndsInTheCopiedState', async ({ open, report }) => {
  const page = await open();
  const p = page.page;
  const at = await grabTheBall(page);
  await page.pointerTo(at.x + 20, at.y - 50, 6);
  await page.waitIdleCalls(15);
  await p.mouse.up();
  await showPanel(page);
  await p.locator('#set-damping').fill('2.5');
  await p.locator('#set-surfaceStiffness').fill('12');
  await page.waitUntil('both settings', (s) => s.settings.damping === 2.5 && s.settings.surfaceStiffness === 12);
  await page.waitIdleCalls(30);
  await p.click('#stopwatch-start');
  await page.waitIdleCalls(20);
  await p.click('#pause');
  await page.waitUntil('a pause', (s) => s.paused);
  await p.click('#copy-link');
  await p.waitForFunction(() => document.getElementById('link').value.includes('#session='), null, { timeout: 10000 });
  const link = await p.inputValue('#link');
  const script = await page.call('orvane_session_script');
  const copiedLine = await page.stateLine();
  report(`link ${link.length} characters for ${script.length} bytes of script, ${h.parseScript(script).length} events`);
  assert.ok(link.length < 8000);

  const fresh = await open({ address: link.slice(link.indexOf('#')) });
  await waitForScriptToFinish(fresh);
  assert.equal(await scriptError(fresh), '');
  const line = await fresh.stateLine();
  const native = await h.nativeStateLine(script, lastStep(script) + 1);
  assert.equal(withoutStep(line), withoutStep(native), 'the link plays to the native replay\'s state');
  assert.equal(withoutStep(line), withoutStep(copiedLine), 'the link ends where it was copied');
  const state = await fresh.state();
  assert.equal(state.settings.damping, 2.5);
  assert.ok(state.stopwatch.seconds > 0 && state.stopwatch.running, JSON.stringify(state.stopwatch));
});

// How long the link of a minute's session gets: a grab, two settings.
test('LinkOfAOneMinuteSessionStaysShort', async ({ open, report }) => {
  const page = await open();
  const p = page.page;
  const at = await grabTheBall(page);
  await page.pointerTo(at.x + 30, at.y - 40, 8);
  await page.waitIdleCalls(30);
  await p.mouse.up();
  await showPanel(page);
  await p.locator('#set-gravity').fill('-1.5');
  await page.waitIdleCalls(600);
  await p.locator('#set-damping').fill('1');
  await page.waitUntil('a minute of steps', (s) => s.simulationSteps >= 3600, 90000);
  await p.selectOption('#link-kind', 'session');
  await p.click('#copy-link');
  await p.waitForFunction(() => document.getElementById('link').value.includes('#session='), null, { timeout: 10000 });
  const link = await p.inputValue('#link');
  const script = await page.call('orvane_session_script');
  const events = h.parseScript(script);
  report(`one-minute session: ${events.length} events (${events.filter((e) => e.kind === 'pace').length} pace), ` +
    `${script.length} bytes of script, link ${link.length} characters`);
  assert.ok(link.length < 8000, `the link has ${link.length} characters`);
});

// A set-up link opens the panel at the sections it names.
test('SetUpLinkOpensThePanelAtItsSections', async ({ open }) => {
  const page = await open();
  const p = page.page;
  await showPanel(page);
  await p.locator('#set-centreStiffness').fill('31');
  await page.waitUntil('the setting', (s) => s.settings.centreStiffness === 31);
  await p.selectOption('#link-kind', 'setup');
  await p.fill('#link-panel', 'physics,plots');
  await p.click('#copy-link');
  await p.waitForFunction(() => document.getElementById('link').value.includes('#setup='), null, { timeout: 10000 });
  const link = await p.inputValue('#link');
  assert.ok(link.endsWith('&panel=physics,plots'), link);
  const fresh = await open({ address: link.slice(link.indexOf('#')) });
  await fresh.waitUntil('the set-up and the panel', (s) => s.settings.centreStiffness === 31 && s.panel && !s.replaying);
  const shown = await fresh.page.evaluate(() => Array.from(document.querySelectorAll('#panel fieldset[data-section]'))
    .filter((f) => !f.hidden).map((f) => f.dataset.section));
  assert.deepEqual(shown, ['physics', 'plots']);
});

// Bad scripts from a file, a drop and the address are refused with their
// line and reason, shown on the page; the session goes on untouched.
test('OpenDropAndAddressRefuseABadScriptAndKeepTheSession', async ({ open }) => {
  const page = await open();
  const p = page.page;
  await showPanel(page);
  await p.locator('#set-damping').fill('3');
  await page.waitUntil('the setting', (s) => s.settings.damping === 3);
  const before = (await page.state()).simulationSteps;
  await p.setInputFiles('#open-script', { name: 'bad.txt', mimeType: 'text/plain',
    buffer: Buffer.from('0 restart\n5 key-down p\n3 wobble\n') });
  await p.waitForFunction(() => !document.getElementById('script-error').hidden, null, { timeout: 5000 });
  assert.match(await scriptError(page), /bad\.txt:3: unknown event "wobble"/);
  await p.evaluate(() => {
    const data = new DataTransfer();
    data.items.add(new File(['0 set damping 99\n'], 'dropped.txt', { type: 'text/plain' }));
    window.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
  });
  await p.waitForFunction(() => document.getElementById('script-error').textContent.includes('dropped.txt'), null,
    { timeout: 5000 });
  assert.match(await scriptError(page), /dropped\.txt:1: damping "99" is not a number from 0 to 50/);
  const after = await page.waitUntil('steps to go on', (s) => s.simulationSteps > before + 10);
  assert.equal(after.settings.damping, 3);
  assert.equal(after.replaying, false);

  // A good file plays: from a fresh world.
  await p.setInputFiles('#open-script', { name: 'good.txt', mimeType: 'text/plain',
    buffer: Buffer.from('0 restart\n0 set gravity -0.5\n') });
  await page.waitUntil('the good script', (s) => s.settings.gravity === -0.5 && s.settings.damping === 4);
  assert.equal(await scriptError(page), '');

  const addressed = await open({ replay: '0 key-down p\n1 nonsense here\n' });
  await addressed.page.waitForFunction(() => !document.getElementById('script-error').hidden, null, { timeout: 5000 });
  assert.match(await scriptError(addressed), /the address's replay:2: unknown event "nonsense"/);
  await addressed.waitUntil('the page to run on', (s) => s.simulationSteps > 10 && !s.paused);
});

// Every ready experiment from the panel's list starts from a fresh world
// and shows its note; ?experiment=NAME starts one from the address.
test('EachExperimentStartsFromAFreshWorldWithItsNote', async ({ open, report }) => {
  const page = await open();
  const p = page.page;
  await showPanel(page);
  const experiments = JSON.parse(await page.call('orvane_experiments'));
  assert.ok(experiments.length >= 9);
  for (const experiment of experiments) {
    await p.locator('#set-liftForce').fill('7');
    await page.waitUntil('a setting to undo', (s) => s.settings.liftForce === 7);
    await page.waitIdleCalls(5);
    await p.click(`#experiment-list button[data-experiment="${experiment.name}"]`);
    const state = await page.waitUntil(`${experiment.name} to start`,
      (s) => s.settings.liftForce !== 7 && s.simulationSteps < 200);
    const note = await p.textContent('#experiment-note');
    assert.ok(note.startsWith(experiment.title) && note.includes(experiment.note.slice(0, 40)), note);
    const comparing = ['stiff-and-soft', 'coarse-and-fine', 'stiffness-doubled', 'time-step-halved', 'the-butterfly'];
    assert.equal(state.compare !== null, comparing.includes(experiment.name), experiment.name);
    report(`${experiment.name}: started at step ${state.simulationSteps}`);
  }
  const addressed = await open({ address: '?experiment=the-butterfly' });
  const state = await addressed.waitUntil('the butterfly', (s) => s.compare && s.compare.surfaceStiffness === 10.000001);
  assert.equal(state.settings.surfaceStiffness, 10);
  const wrong = await open({ address: '?experiment=no-such-thing' });
  await wrong.page.waitForFunction(() => !document.getElementById('script-error').hidden, null, { timeout: 5000 });
  assert.match(await scriptError(wrong), /no experiment is called "no-such-thing"/);
});

// The stopwatch from the panel: start, stop, reset, and stop by itself at
// the touchdown; its presses are recorded and replay natively.
test('StopwatchStartsStopsResetsAndStopsAtTouchdown', async ({ open, report }) => {
  const page = await open({ address: '?experiment=drop-onto-the-platform' });
  const p = page.page;
  await showPanel(page);
  const landed = await page.waitUntil('the timed fall to land', (s) => s.readouts.contacts > 0 && !s.replaying, 30000);
  assert.equal(landed.stopwatch.running, false);
  assert.ok(landed.stopwatch.seconds > 30 && landed.stopwatch.seconds < 60, String(landed.stopwatch.seconds));
  assert.ok(landed.readouts.bounces >= 1);
  report(`the fall took ${landed.stopwatch.seconds.toFixed(1)} s of model time`);
  await p.click('#stopwatch-reset');
  await page.waitUntil('a reset', (s) => s.stopwatch.seconds === 0);
  await p.click('#stopwatch-auto');
  await page.waitUntil('auto off', (s) => !s.stopwatch.auto);
  await p.click('#stopwatch-start');
  await page.waitUntil('it to run', (s) => s.stopwatch.running && s.stopwatch.seconds > 2);
  await p.click('#stopwatch-start');
  const stopped = await page.waitUntil('it to stop', (s) => !s.stopwatch.running);
  await page.waitIdleCalls(10);
  assert.equal((await page.state()).stopwatch.seconds, stopped.stopwatch.seconds);
  await assertReplaysNatively(await page.snapshot(), report);
});

// Save data downloads the kept history as CSV: a row for every kept step;
// Save session and Save set-up download their scripts.
test('SaveDataSessionAndSetUpDownload', async ({ open, report }) => {
  const page = await open();
  const p = page.page;
  await showPanel(page);
  await page.waitUntil('some steps', (s) => s.simulationSteps >= 200);
  await p.click('#pause');
  const paused = await page.waitUntil('a pause', (s) => s.paused);
  const saved = async (button) => {
    const [download] = await Promise.all([p.waitForEvent('download'), p.click(button)]);
    const file = await download.path();
    return { name: download.suggestedFilename(), text: fs.readFileSync(file, 'utf8') };
  };
  const data = await saved('#save-data');
  assert.match(data.name, /^orvane-data-\d{8}-\d{6}\.csv$/);
  const rows = data.text.trim().split('\n');
  assert.equal(rows[0].split(',').length, 13);
  assert.ok(rows[0].startsWith('step,time (s),kinetic energy (J)'));
  assert.equal(rows.length, paused.simulationSteps + 2);
  assert.equal(Number(rows[rows.length - 1].split(',')[0]), paused.simulationSteps);
  report(`${data.name}: ${rows.length - 1} rows, ${data.text.length} bytes`);
  const session = await saved('#save-session');
  assert.match(session.name, /^orvane-session-\d{8}-\d{6}\.txt$/);
  assert.ok(session.text.startsWith('# orvane session: ') && session.text.includes('\n0 restart\n'), session.text);
  assert.ok(session.text.endsWith(` seek ${paused.simulationSteps}\n`), session.text.slice(-200));
  const setup = await saved('#save-setup');
  assert.match(setup.name, /^orvane-setup-\d{8}-\d{6}\.txt$/);
  assert.ok(setup.text.includes('0 restart\n') && setup.text.includes('0 camera 0 7 16 180 0\n'), setup.text);
});

async function runOne(name, body) {
  const outputFolder = process.env.ORVANE_BROWSER_TEST_OUT || path.join(require('os').tmpdir(), 'orvane-browser-tests');
  fs.mkdirSync(outputFolder, { recursive: true });
  for (const file of fs.readdirSync(outputFolder)) {
    if (file.startsWith(`${name}-failed-`)) fs.rmSync(path.join(outputFolder, file));
  }
  const pages = [];
  const context = {
    open: async (options) => {
      const page = await h.openPage(options);
      pages.push(page);
      return page;
    },
    report: (text) => console.log(`  ${text}`),
    outputFolder,
  };
  const started = Date.now();
  let timer;
  let failure = null;
  try {
    await Promise.race([body(context), new Promise((resolve, reject) => {
      timer = setTimeout(() => reject(new Error(`not done in ${kTestSeconds} s`)), kTestSeconds * 1000);
    })]);
    for (const page of pages) assert.deepEqual(page.problems, [], 'the page ran without errors');
  } catch (error) {
    failure = error;
  }
  clearTimeout(timer);
  if (failure) {
    console.log(failure.stack || String(failure));
    for (const [i, page] of pages.entries()) {
      if (page.problems.length) console.log(`page ${i} problems:\n  ${page.problems.join('\n  ')}`);
      console.log(`page ${i} console, last lines:\n  ${page.log.slice(-20).join('\n  ')}`);
      const file = path.join(outputFolder, `${name}-failed-${i}.png`);
      await page.page.screenshot({ path: file, timeout: 10000 }).then(() => console.log(`page ${i}: ${file}`), () => {});
    }
  }
  for (const page of pages) await page.close().catch(() => {});
  console.log(`Browser.${name}: ${failure ? 'FAILED' : 'passed'} in ${((Date.now() - started) / 1000).toFixed(1)} s`);
  return failure ? 1 : 0;
}

async function main(argv) {
  if (argv[0] === '--list') {
    for (const name of tests.keys()) console.log(name);
    return 0;
  }
  const body = tests.get(argv[0]);
  if (argv.length !== 1 || !body) {
    console.error(`usage: node browser-tests.js NAME (one of: ${[...tests.keys()].join(', ')})`);
    return 2;
  }
  return runOne(argv[0], body);
}

main(process.argv.slice(2)).then((code) => process.exit(code), (error) => {
  console.error(error);
  process.exit(1);
});
