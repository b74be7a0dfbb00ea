'use strict';
// The page on any screen: the drawing buffer follows the picture's size on
// the page and the device's pixel ratio (the program's reshape, so picking
// and the camera stay right), the panel and help have buttons, the keyboard
// reaches every control, and the lightning stays faint for those whose
// system asks for reduced motion.

// Sharper than twice the CSS pixels shows little more; and above about
// twice the desktop window's pixels a phone's (or a software renderer's) GL
// loses the frame rate, so a high pixel ratio is lowered to keep within that,
// though never below one drawing-buffer pixel a CSS pixel.
const kMostPixelRatio = 2;
const kMostPixels = 600000;

function pixelRatio(width, height) {
  const wanted = Math.min(window.devicePixelRatio || 1, kMostPixelRatio);
  const withinBudget = Math.sqrt(kMostPixels / Math.max(1, width * height));
  return Math.max(Math.min(wanted, withinBudget), Math.min(wanted, 1));
}

const layout = {
  canvas: () => document.getElementById('canvas'),
  panel: () => document.getElementById('panel'),
  call: (name, types, values) => Module.ccall(name, null, types, values),
  focusPanelWhenShown: false,
  replaying: false,
  programsKeys: new Set(),  // codes of the keys down that the program saw go down
};

// A replay in the address plays the recorded session's own window sizes:
// the page follows its screen again once the replay is over.
function fitCanvas() {
  if (layout.replaying) return;
  const stage = document.getElementById('stage').getBoundingClientRect();
  const ratio = pixelRatio(stage.width, stage.height);
  const width = Math.max(1, Math.round(stage.width * ratio));
  const height = Math.max(1, Math.round(stage.height * ratio));
  const canvas = layout.canvas();
  if (width !== canvas.width || height !== canvas.height) layout.call('orvane_resize', ['number', 'number'], [width, height]);
}

// CSS pixels a drawing-buffer pixel takes on the page, for the text drawn over it.
function canvasScale() {
  const canvas = layout.canvas();
  return canvas.width ? canvas.clientWidth / canvas.width : 1;
}

function focusables(root) {
  return Array.from(root.querySelectorAll('button, input, select, a[href], [tabindex]'))
    .filter((element) => !element.disabled && element.offsetParent !== null && element.tabIndex >= 0);
}

// Tab, Enter and space on one of the page's controls are the control's (the
// focus moves, the button is pressed); on the picture they are the
// program's, where Tab opens the panel and the focus goes into it. A key
// that went down for the program comes up for it too, wherever the focus
// has gone meanwhile, so that it is never left held.
function keepControlKeys(event) {
  const target = event.target;
  const onControl = target !== layout.canvas() && target instanceof Element && target.matches('button, input, select, a');
  if (event.type === 'keyup' && layout.programsKeys.delete(event.code)) return;
  if (!onControl) {
    if (event.type === 'keydown') layout.programsKeys.add(event.code);
    if (event.type === 'keydown' && event.key === 'Tab' && target === layout.canvas()) layout.focusPanelWhenShown = true;
    return;
  }
  const pressesButton = target.tagName === 'BUTTON' && (event.key === 'Enter' || event.key === ' ');
  if (event.key === 'Tab' || pressesButton) event.stopImmediatePropagation();
}
window.addEventListener('keydown', keepControlKeys, true);
window.addEventListener('keyup', keepControlKeys, true);
window.addEventListener('blur', () => layout.programsKeys.clear());

// The panel shown or hidden: the button says so, and the focus follows.
function panelChanged() {
  const panel = layout.panel();
  document.getElementById('panel-button').setAttribute('aria-expanded', String(!panel.hidden));
  if (!panel.hidden && layout.focusPanelWhenShown) {
    const first = focusables(panel)[0];
    if (first) first.focus();
  }
  if (panel.hidden && panel.contains(document.activeElement)) layout.canvas().focus({ preventScroll: true });
  layout.focusPanelWhenShown = false;
  fitCanvas();
}

// Called with the state the panel shows, four times a second.
function orvaneLayoutShow(state) {
  if (layout.replaying && !state.replaying) {
    layout.replaying = false;
    fitCanvas();
  }
  document.getElementById('help-button').setAttribute('aria-pressed', String(state.help));
  const calm = document.getElementById('show-calm');
  if (calm) calm.checked = state.noFlashes;
}

function orvaneLayoutStart() {
  document.getElementById('panel-button').onclick = () => {
    layout.focusPanelWhenShown = true;
    layout.call('orvane_press_key', ['number'], [9]);
  };
  document.getElementById('help-button').onclick = () => layout.call('orvane_press_key', ['number'], [104]);
  const state = JSON.parse(Module.ccall('orvane_state', 'string', [], []));
  layout.replaying = state.replaying;
  new MutationObserver(panelChanged).observe(layout.panel(), { attributes: true, attributeFilter: ['hidden'] });
  new ResizeObserver(fitCanvas).observe(document.getElementById('stage'));
  window.addEventListener('resize', fitCanvas);
  fitCanvas();
  if (window.matchMedia('(prefers-reduced-motion: reduce)').matches && !state.noFlashes)
    layout.call('orvane_press_key', ['number'], [110]);
  if ('serviceWorker' in navigator) {
    navigator.serviceWorker.register('sw.js').catch((error) => console.warn(`orvane: no offline copy: ${error.message}`));
  }
}
