// The README's picture of a ready experiment in the page: its note, the
// energy bars beside the plot and the stopwatch that timed the fall.
//   node tests/web/experiment-screenshot.js OUT.png [NAME] [STEPS]
// Needs build-web/ (scripts/web.sh) and the browser tests' packages.
const h = require('./harness');

(async () => {
  const [outFile, name = 'drop-onto-the-platform', stepsText = '600'] = process.argv.slice(2);
  if (!outFile) {
    console.error('usage: node tests/web/experiment-screenshot.js OUT.png [NAME] [STEPS]');
    process.exit(2);
  }
  const steps = Number(stepsText);
  const page = await h.openPage({ address: `?experiment=${name}&panel=experiments,plots,measure`,
    viewport: { width: 1040, height: 760 } });
  try {
    await page.waitUntil(`${steps} steps`, (s) => s.simulationSteps >= steps, 120000);
    await page.stopAfterIdleCall((await page.state()).idleCalls + 2);
    await page.page.waitForTimeout(400);  // the panel's next refresh
    await page.page.locator('main').screenshot({ path: outFile });
    console.log(`screenshot: ${outFile}, step ${(await page.state()).simulationSteps}`);
  } finally {
    await page.close();
  }
})().catch((error) => {
  console.error(`screenshot: ${error.message}`);
  process.exit(1);
});
