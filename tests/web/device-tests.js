'use strict';
// The page on a phone and a tablet (touch, the tilt pad, the device's
// tilt), offline, and for everyone (the keyboard alone, a screen reader's
// names, reduced motion). Registered by browser-tests.js, run as Browser.NAME.
const assert = require('node:assert/strict');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
const h = require('./harness');

const kPhone = { viewport: { width: 390, height: 844 }, device: { hasTouch: true, isMobile: true, deviceScaleFactor: 3 } };

// Fingers on the screen through the DevTools protocol, as a touch screen
// gives them: each call lists every finger down after it.
class Fingers {
  constructor(cdp) { this.cdp = cdp; }
  static async on(page) { return new Fingers(await page.page.context().newCDPSession(page.page)); }
  send(type, points) {
    return this.cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points.map(([x, y], id) => ({ x, y, id })) });
  }
  down(points) { return this.send('touchStart', points); }
  async slide(from, to, steps) {
    for (let i = 1; i <= steps; ++i) {
      await this.send('touchMove', from.map(([x, y], k) => [x + (to[k][0] - x) * i / steps, y + (to[k][1] - y) * i / steps]));
    }
  }
  up() { return this.send('touchEnd', []); }
}

// Canvas pixel (x, y) on the page, in CSS pixels.
async function onPage(page, [x, y]) {
  const box = await page.canvasBox();
  const [width, height] = await page.canvasSize();
  return [box.x + x * box.width / width, box.y + y * box.height / height];
}

function eventsOf(recording, kind) {
  return h.parseScript(recording).filter((e) => e.kind === kind).map((e) => [e.kind, ...e.args].join(' '));
}

module.exports = function register(test, { assertReplaysNatively }) {

test('PhoneFingersGrabTurnMoveAndTiltThePad', async ({ open, report }) => {
  const page = await open(kPhone);
  const p = page.page;
  const [width, height] = await page.canvasSize();
  // The phone's ratio of 3 is lowered to keep within 600000 pixels.
  assert.ok(width > 390 && width < 780 && width * height <= 601000, `the buffer: ${width}x${height}`);
  assert.ok(Math.abs(width * 844 / 390 - height) <= 1, 'the picture fills the phone');
  const fingers = await Fingers.on(page);
  const line = async () => JSON.parse(await page.stateLine());

  // One finger on the ball holds it, as the left button does; sliding up
  // pulls it; lifting the finger lets go.
  const ball = h.ballOnCanvas(await page.stateLine(), width, height);
  const onBall = await onPage(page, [ball.x, ball.y]);
  await fingers.down([onBall]);
  await page.waitUntil('the finger to grab the ball', (s) => s.grabbed, 5000);
  await fingers.slide([onBall], [[onBall[0], onBall[1] - 60]], 6);
  await fingers.up();
  await page.waitUntil('the ball to be let go', (s) => !s.grabbed, 5000);
  const start = (await line()).camera;
  assert.deepEqual([start.yaw, start.pitch], [180, 0], 'grabbing turned nothing');

  // One finger on the sky turns the camera, as the right button does.
  const sky = await onPage(page, [Math.round(width * 0.2), Math.round(height * 0.15)]);
  await fingers.down([sky]);
  await fingers.slide([sky], [[sky[0] + 20, sky[1]]], 4);
  const turned = await page.waitUntilLine('a finger to turn the camera', (l) => l.camera.yaw < 170);
  await fingers.up();
  assert.deepEqual(turned.camera.position, start.position, 'turning does not move the camera');

  // Two fingers move it, as the middle button does.
  const pair = [[sky[0], sky[1] + 100], [sky[0] + 80, sky[1] + 100]];
  await fingers.down(pair);
  await fingers.slide(pair, pair.map(([x, y]) => [x, y + 15]), 3);
  const moved = await page.waitUntilLine('two fingers to move the camera',
    (l) => JSON.stringify(l.camera.position) !== JSON.stringify(turned.camera.position));
  await fingers.up();
  assert.equal(moved.camera.yaw, turned.camera.yaw, 'moving does not turn');

  // The tilt pad, shown on a touch screen: a thumb pushed up holds the up
  // arrow, let go it releases it.
  assert.equal(await p.evaluate(() => document.getElementById('tilt-pad').hidden), false, 'the pad is shown');
  const pad = await p.locator('#tilt-pad').boundingBox();
  const padCentre = [pad.x + pad.width / 2, pad.y + pad.height / 2];
  await fingers.down([padCentre]);
  await fingers.slide([padCentre], [[padCentre[0], pad.y + 4]], 3);
  const tilted = await page.waitUntilLine('the pad to tilt the board', (l) => l.tiltX !== 0 || l.tiltZ !== 0);
  await fingers.up();
  const snapshot = await page.snapshot();
  assert.deepEqual(eventsOf(snapshot.recording, 'special-down'), ['special-down up'], 'the pad held the up arrow');
  assert.deepEqual(eventsOf(snapshot.recording, 'special-up'), ['special-up up'], 'and let it go');
  const presses = eventsOf(snapshot.recording, 'button-down').map((e) => e.split(' ')[1]);
  // Two fingers come down one after the other: the first is a turn until
  // the second makes it a move.
  assert.deepEqual(presses, ['left', 'right', 'right', 'middle'], "the fingers gave the mouse's buttons");
  assert.ok(eventsOf(snapshot.recording, 'drag').length >= 13, "and the mouse's drags");
  const still = await p.evaluate(() => [scrollX, scrollY, visualViewport.scale, String(getSelection())]);
  assert.deepEqual(still, [0, 0, 1, ''], 'nothing scrolled, zoomed or got selected');
  report(`grabbed at (${ball.x}, ${ball.y}) of ${width}x${height}; turned to yaw ${turned.camera.yaw}; ` +
    `moved to ${moved.camera.position.map((v) => v.toFixed(2))}; pad tilt ${tilted.tiltX}, ${tilted.tiltZ}`);
  await assertReplaysNatively(snapshot, report);
});

// The device's tilt, overridden through the DevTools protocol: held at 40
// degrees as level, then tipped forward, the board tilts as the up arrow
// tilts it and the ball rolls away from the camera.
test('DeviceTiltSteersAsTheArrowsAndReplaysNatively', async ({ open, report }) => {
  const page = await open(kPhone);
  const cdp = await page.page.context().newCDPSession(page.page);
  const orient = (beta, gamma) => cdp.send('DeviceOrientation.setDeviceOrientationOverride', { alpha: 0, beta, gamma });
  await orient(40, 0);
  await page.page.locator('#tilt-button').tap();
  await page.page.waitForFunction(() => document.getElementById('tilt-button').textContent === 'Tilt: on', null,
    { timeout: 5000 });
  const before = JSON.parse(await page.stateLine());
  await orient(45, 3);  // inside the dead zone
  await page.waitIdleCalls(10);
  assert.deepEqual(eventsOf(await page.recording(), 'special-down'), [], 'a small tilt does nothing');
  await orient(20, 0);  // the top edge 20 degrees away
  const forward = (l) => {
    const [fx, , fz] = before.camera.forward;
    return (l.centre[0] - before.centre[0]) * fx + (l.centre[2] - before.centre[2]) * fz;
  };
  const rolled = await page.waitUntilLine('the ball to roll away from the camera', (l) => forward(l) > 0.5);
  await orient(40, 0);
  await page.page.waitForFunction(() => Module.ccall('orvane_recording', 'string', [], []).includes('special-up'), null,
    { timeout: 5000 });
  const snapshot = await page.snapshot();
  assert.deepEqual(eventsOf(snapshot.recording, 'special-down'), ['special-down up'], 'tipped forward: the up arrow');
  assert.deepEqual(eventsOf(snapshot.recording, 'special-up'), ['special-up up'], 'level again: released');
  report(`the ball rolled ${forward(rolled).toFixed(2)} away from the camera`);
  await assertReplaysNatively(snapshot, report);
});

test('TiltButtonSaysSoWithoutASensor', async ({ open, report }) => {
  const page = await open();
  await page.page.click('#tilt-button');
  await page.page.waitForFunction(() => document.getElementById('tilt-button').textContent === 'Tilt: no sensor', null,
    { timeout: 10000 });
  assert.equal((await page.recording()).includes('special-down'), false, 'no arrow was held');
  report('a desktop Chromium: "Tilt: no sensor"');
});

// Installed as a static site: the first visit keeps the files; with no
// network the page opens and plays; a new build's files replace the old.
test('PageOpensAndPlaysOfflineAfterTheFirstVisit', async ({ open, report }) => {
  const site = fs.mkdtempSync(path.join(os.tmpdir(), 'orvane-site-'));
  try {
    execFileSync('cmake', ['--install', h.paths.web(), '--prefix', site], { stdio: 'pipe' });
    const page = await open({ folder: site });
    const p = page.page;
    await p.evaluate(() => navigator.serviceWorker.ready);
    const started = () => p.waitForFunction(() => !document.getElementById('status'), null, { timeout: 60000 });

    // A new build: the next visit with a network shows it.
    const index = path.join(site, 'index.html');
    fs.writeFileSync(index, fs.readFileSync(index, 'utf8').replace('</body>', '<!-- the second build --></body>'));
    await p.reload();
    await started();
    const second = () => p.evaluate(() => document.documentElement.outerHTML.includes('the second build'));
    assert.ok(await second(), 'the new build is shown');

    page.site.offline = true;
    await p.reload();
    await started();
    assert.ok(await second(), 'offline, the kept copy is the new build');
    await page.waitUntil('the page to play offline', (s) => s.simulationSteps > 60);
    const refused = page.site.requests.filter((r) => r.status === 'offline').length;
    report(`offline: ${refused} requests refused, the page played ${(await page.state()).simulationSteps} steps`);
    assert.ok(refused > 0, 'the page did ask the network');
  } finally {
    fs.rmSync(site, { recursive: true, force: true });
  }
});

// Tab on the picture opens the panel and goes into it; Tab walks every
// control in order, each with a visible focus; space and Enter use them;
// Shift+Tab goes back to the buttons over the picture.
test('KeyboardAloneReachesEveryControl', async ({ open, report }) => {
  const page = await open({ viewport: { width: 1280, height: 800 } });
  const p = page.page;
  // Tab held until the focus is in the panel: it comes up in the panel, and
  // must not stay held for the program.
  await p.keyboard.down('Tab');
  await page.waitUntil('the panel to open', (s) => s.panel);
  await p.waitForFunction(() => document.getElementById('panel').contains(document.activeElement), null, { timeout: 20000 });
  await p.keyboard.up('Tab');
  const expected = await p.evaluate(() => Array.from(document.querySelectorAll('#panel button, #panel input, #panel select'))
    .filter((e) => !e.disabled && e.offsetParent !== null).map((e) => e.id));
  const visited = [];
  for (;;) {
    const focused = await p.evaluate(() => {
      const e = document.activeElement;
      const style = getComputedStyle(e);
      return { id: e.id, inPanel: document.getElementById('panel').contains(e),
        outline: style.outlineStyle !== 'none' && parseFloat(style.outlineWidth) >= 2 };
    });
    if (!focused.inPanel) break;
    assert.ok(focused.outline, `${focused.id} shows its focus`);
    visited.push(focused.id);
    await p.keyboard.press('Tab');
  }
  assert.deepEqual(visited, expected, 'every control of the panel, in order');

  await p.focus('#pause');
  await p.keyboard.press('Space');
  await page.waitUntil('space on Pause to pause', (s) => s.paused);
  await p.focus('#show-particles');
  await p.keyboard.press('Space');
  await page.waitUntil('space on the box to show the mass points', (s) => s.particles);
  await p.focus('#pause');
  await p.keyboard.press('Enter');
  await page.waitUntil('Enter on Resume to resume', (s) => !s.paused);

  // Back out of the panel: the buttons over the picture, then the picture.
  await p.focus(`#${expected[0]}`);
  await p.keyboard.press('Shift+Tab');
  assert.equal(await p.evaluate(() => document.activeElement.id), 'tilt-button');
  await p.keyboard.press('Shift+Tab');
  await p.keyboard.press('Shift+Tab');
  assert.equal(await p.evaluate(() => document.activeElement.id), 'panel-button');
  await p.keyboard.press('Enter');
  await page.waitUntil('Enter on Panel to close it', (s) => !s.panel);
  assert.equal(await p.evaluate(() => document.activeElement.id), 'panel-button');
  await p.focus('#canvas');
  await p.keyboard.press('Tab');
  await page.waitUntil('Tab on the picture to open the panel again', (s) => s.panel);
  report(`${visited.length} controls in the panel, each reached by Tab with a visible focus`);
  await assertReplaysNatively(await page.snapshot(), report);
});

// axe-core, pinned by the tests' npm lock, on the page with the panel
// closed and open, on a phone and a desktop.
test('AccessibilityCheckFindsNoViolation', async ({ open, report }) => {
  const axe = require.resolve('axe-core/axe.min.js');
  for (const options of [{ viewport: { width: 1280, height: 800 } }, kPhone]) {
    const page = await open(options);
    await page.page.addScriptTag({ path: axe });
    for (const panel of [false, true]) {
      if (panel) {
        await page.page.click('#panel-button');
        await page.waitUntil('the panel to open', (s) => s.panel);
        await page.page.waitForFunction(() => !document.getElementById('panel').hidden);
        await page.waitIdleCalls(5);
        // The plot's text alternative: the energies now, as a screen reader reads them.
        await page.page.waitForFunction(() => /^energy plot; now kinetic [-0-9.e]+ J, spring [-0-9.e]+ J, gravity [-0-9.e]+ J, total [-0-9.e]+ J$/
          .test(document.getElementById('plot').getAttribute('aria-label')), null, { timeout: 5000 });
      }
      const result = await page.page.evaluate(() => axe.run(document).then((r) => ({
        violations: r.violations.map((v) => `${v.id}: ${v.help} (${v.nodes.map((n) => n.target.join(' ')).join(', ')})`),
        passes: r.passes.length,
      })));
      report(`${options.viewport.width}x${options.viewport.height}, panel ${panel ? 'open' : 'closed'}: ` +
        `${result.passes} rules pass, ${result.violations.length} violations`);
      assert.deepEqual(result.violations, []);
    }
  }
});

// The system's reduced-motion preference: the lightning is faint from the
// first frame (key n, recorded, so the session replays the same), and the
// panel's switch says so; without the preference nothing changes.
test('ReducedMotionKeepsTheSkyFromFlashing', async ({ open, report }) => {
  const calm = await open({ device: { reducedMotion: 'reduce' } });
  assert.equal((await calm.state()).noFlashes, true);
  assert.deepEqual(eventsOf(await calm.recording(), 'key-down'), ['key-down n'], 'the switch is the key n, recorded');
  await calm.page.click('#panel-button');
  await calm.page.waitForFunction(() => document.getElementById('show-calm').checked, null, { timeout: 5000 });
  // The panel's switch turns it off and on again, as the key does.
  await calm.page.click('#show-calm');
  await calm.waitUntil('the switch to turn the flashes back on', (s) => !s.noFlashes);
  await calm.page.click('#show-calm');
  await calm.waitUntil('the switch to turn them off', (s) => s.noFlashes);
  const usual = await open();
  assert.equal((await usual.state()).noFlashes, false, 'without the preference the flashes stay');
  assert.equal((await usual.recording()).includes('key-down n'), false);
  report('reduced motion: no flashes from the start; the switch turns them on and off');
  await assertReplaysNatively(await calm.snapshot(), report);
});

};

