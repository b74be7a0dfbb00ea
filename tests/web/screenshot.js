// The page's picture of one moment of a script, for the README:
//   node tests/web/screenshot.js SCRIPT STEPS LOOK OUT.png [WIDTHxHEIGHT]
// The page keeps to wall-clock time, so the script is played paused, one
// step an idle call ("o"), and the picture is taken after STEPS steps: the
// very moment orvane-capture draws as frame STEPS of the same script.
// Needs build-web/ (scripts/web.sh) and the browser tests' packages.
const fs = require('fs');
const { PNG } = require('pngjs');
const h = require('./harness');

function stepped(script, steps) {
  const events = h.parseScript(script);
  let out = '0 key-down p\n';
  for (let step = 0; step < steps; ++step) {
    for (const e of events.filter((event) => event.step === step)) out += `${step} ${[e.kind, ...e.args].join(' ')}\n`;
    out += `${step} key-down o\n`;
  }
  return out;
}

(async () => {
  const [scriptFile, stepsText, look, outFile, size = '640x480'] = process.argv.slice(2);
  if (!outFile) {
    console.error('usage: node tests/web/screenshot.js SCRIPT STEPS LOOK OUT.png [WIDTHxHEIGHT]');
    process.exit(2);
  }
  const steps = Number(stepsText);
  const [width, height] = size.split('x').map(Number);
  const replay = `0 look ${look}\n${stepped(fs.readFileSync(scriptFile, 'utf8'), steps)}`;
  const page = await h.openPage({ replay, viewport: { width: width + 460, height: height + 140 } });
  try {
    await page.waitUntil(`${steps} steps`, (s) => s.simulationSteps >= steps, 120000);
    await page.stopAfterIdleCall((await page.state()).idleCalls + 2);
    fs.writeFileSync(outFile, PNG.sync.write(await page.canvasPicture()));
    console.log(`screenshot: ${outFile}, step ${(await page.state()).simulationSteps}`);
  } finally {
    await page.close();
  }
})().catch((error) => {
  console.error(`screenshot: ${error.message}`);
  process.exit(1);
});
