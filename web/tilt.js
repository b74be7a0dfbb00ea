'use strict';
// Steering by the device's tilt: the Tilt button takes the attitude at that
// moment as level; tilting the device away, towards, left and right past a
// dead zone then holds the arrow keys (steer in touch.js), so a tilted
// session is recorded as key events and replays exactly.

// Degrees of tilt from level that do nothing, so that a hand's tremor and a
// phone held nearly level leave the board alone.
const kTiltDeadZone = 8;
// How long the button waits for a first reading before saying there is no sensor.
const kSensorWaitMs = 1500;

const tilt = { on: false, level: null, waiting: null };

function tiltButton() { return document.getElementById('tilt-button'); }

function showTilt(text, pressed) {
  const button = tiltButton();
  button.textContent = text;
  button.setAttribute('aria-pressed', String(pressed));
}

// The device's tilt as the screen shows it: degrees of the top edge away
// from the viewer, and of the right edge down, whichever way the screen is
// turned.
function screenTilt(event) {
  const angle = (screen.orientation && screen.orientation.angle) || 0;
  const away = -event.beta;
  const right = event.gamma;
  switch (angle) {
    case 90: return { away: -right, right: -away };
    case 180: return { away: -away, right: -right };
    case 270: return { away: right, right: away };
    default: return { away, right };
  }
}

function onOrientation(event) {
  if (!tilt.on) return;
  if (event.beta === null || event.gamma === null) return noSensor();
  clearTimeout(tilt.waiting);
  const now = screenTilt(event);
  if (tilt.level === null) {
    tilt.level = now;
    showTilt('Tilt: on', true);
  }
  const away = now.away - tilt.level.away;
  const right = now.right - tilt.level.right;
  steer('tilt', directionsOf(right, -away, kTiltDeadZone));
}

function noSensor() {
  stopTilt();
  showTilt('Tilt: no sensor', false);
}

function stopTilt() {
  tilt.on = false;
  clearTimeout(tilt.waiting);
  window.removeEventListener('deviceorientation', onOrientation);
  steer('tilt', []);
}

async function startTilt() {
  if (typeof DeviceOrientationEvent === 'undefined') return noSensor();
  // Some browsers ask the person first, and only from a button's press.
  if (typeof DeviceOrientationEvent.requestPermission === 'function') {
    try {
      if (await DeviceOrientationEvent.requestPermission() !== 'granted') return showTilt('Tilt: not allowed', false);
    } catch (error) {
      return showTilt('Tilt: not allowed', false);
    }
  }
  tilt.on = true;
  tilt.level = null;
  showTilt('Tilt: waiting', true);
  tilt.waiting = setTimeout(noSensor, kSensorWaitMs);
  window.addEventListener('deviceorientation', onOrientation);
}

function orvaneTiltStart() {
  tiltButton().onclick = () => {
    if (tilt.on) {
      stopTilt();
      showTilt('Tilt', false);
    } else {
      startTilt();
    }
  };
}
