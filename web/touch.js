'use strict';
// Touch: one finger on the ball grabs it as the left button does, one
// finger elsewhere turns the camera (the right button), two fingers move it
// (the middle button), all through the window's own callbacks, so that a
// touched session records the same events a mouse would make. The tilt pad
// and the device's tilt hold the arrow keys.

const touch = {
  fingers: new Map(),  // identifier -> canvas pixel [x, y]
  held: null,          // { button, fingers, at } while a button is held
};

function touchCall(name, values) { return Module.ccall(name, 'number', values.map(() => 'number'), values); }

function canvasPixel(point) {
  const canvas = document.getElementById('canvas');
  const box = canvas.getBoundingClientRect();
  return [Math.floor((point.clientX - box.left) * canvas.width / box.width),
    Math.floor((point.clientY - box.top) * canvas.height / box.height)];
}

// Where the held button is: the one finger, or the middle of two.
function touchPoint() {
  const points = Array.from(touch.fingers.values()).slice(0, 2);
  if (points.length === 1) return points[0];
  return [Math.floor((points[0][0] + points[1][0]) / 2), Math.floor((points[0][1] + points[1][1]) / 2)];
}

function releaseTouch() {
  if (!touch.held) return;
  touchCall('orvane_touch_release', [touch.held.button, ...touch.held.at]);
  touch.held = null;
}

function pressTouch() {
  const at = touchPoint();
  const fingers = Math.min(touch.fingers.size, 2);
  touch.held = { button: touchCall('orvane_touch_press', [...at, fingers]), fingers, at };
}

function updateFingers(event, remove) {
  for (const point of event.changedTouches) {
    if (remove) touch.fingers.delete(point.identifier);
    else touch.fingers.set(point.identifier, canvasPixel(point));
  }
}

function onCanvasTouch(event) {
  event.preventDefault();  // no scrolling, zooming, selecting, and no mouse events made up after it
  const ending = event.type === 'touchend' || event.type === 'touchcancel';
  updateFingers(event, ending);
  if (event.type === 'touchstart') {
    // A second finger turns a one-finger turn or grab into a move.
    if (touch.held && touch.held.fingers === 1 && touch.fingers.size >= 2) releaseTouch();
    if (!touch.held) pressTouch();
  } else if (event.type === 'touchmove' && touch.held && touch.fingers.size >= touch.held.fingers) {
    touch.held.at = touchPoint();
    touchCall('orvane_touch_move', touch.held.at);
  } else if (ending && touch.held && touch.fingers.size < touch.held.fingers) {
    releaseTouch();
  }
}

// ------------------------------------------------------------ the arrow keys

// GLUT's codes of the arrow keys.
const kArrowKeys = { left: 100, up: 101, right: 102, down: 103 };
const steering = { sources: new Map(), held: new Set() };

// `source` (the pad, the device's tilt) now wants `directions` held; each
// arrow goes down or up as the union of every source's changes.
function steer(source, directions) {
  steering.sources.set(source, new Set(directions));
  const wanted = new Set();
  for (const set of steering.sources.values()) for (const direction of set) wanted.add(direction);
  for (const direction of Object.keys(kArrowKeys)) {
    const down = wanted.has(direction);
    if (down === steering.held.has(direction)) continue;
    touchCall('orvane_arrow', [kArrowKeys[direction], down ? 1 : 0]);
    if (down) steering.held.add(direction);
    else steering.held.delete(direction);
  }
}

// The directions of a push (right and down positive, each in -1..1) past a
// dead zone: each axis on its own, so that a diagonal holds two arrows.
function directionsOf(right, down, deadZone) {
  const directions = [];
  if (right > deadZone) directions.push('right');
  if (right < -deadZone) directions.push('left');
  if (down > deadZone) directions.push('down');
  if (down < -deadZone) directions.push('up');
  return directions;
}

// The pad: a thumb pushed from its centre tilts the board that way.
const kPadDeadZone = 0.3;
function startTiltPad() {
  const pad = document.getElementById('tilt-pad');
  const knob = document.getElementById('tilt-knob');
  const showPad = window.matchMedia('(any-pointer: coarse)').matches || navigator.maxTouchPoints > 0;
  pad.hidden = !showPad;
  let thumb = null;
  const follow = (point) => {
    const box = pad.getBoundingClientRect();
    const radius = box.width / 2;
    let right = (point.clientX - box.left - radius) / radius;
    let down = (point.clientY - box.top - radius) / radius;
    const length = Math.hypot(right, down);
    if (length > 1) { right /= length; down /= length; }
    knob.style.transform = `translate(${right * radius * 0.6}px, ${down * radius * 0.6}px)`;
    steer('pad', directionsOf(right, down, kPadDeadZone));
  };
  const letGo = () => {
    thumb = null;
    knob.style.transform = '';
    steer('pad', []);
  };
  pad.addEventListener('touchstart', (event) => {
    event.preventDefault();
    if (thumb === null) thumb = event.changedTouches[0].identifier;
    for (const point of event.changedTouches) if (point.identifier === thumb) follow(point);
  });
  pad.addEventListener('touchmove', (event) => {
    event.preventDefault();
    for (const point of event.changedTouches) if (point.identifier === thumb) follow(point);
  });
  for (const type of ['touchend', 'touchcancel']) {
    pad.addEventListener(type, (event) => {
      event.preventDefault();
      for (const point of event.changedTouches) if (point.identifier === thumb) letGo();
    });
  }
}

function orvaneTouchStart() {
  const canvas = document.getElementById('canvas');
  for (const type of ['touchstart', 'touchmove', 'touchend', 'touchcancel'])
    canvas.addEventListener(type, onCanvasTouch, { passive: false });
  startTiltPad();
}
