// How fast preview.html plays 10,000 agents in headless Chromium (software rendering): a
// 100 x 100 crowd walking for 25 frames, played for a few seconds. Prints the frames drawn
// per second; fails only when the page does not show the crowd or does not play.
//
//   node preview_fps.js VANTRI
'use strict';
const assert = require('assert');
const fs = require('fs');
const path = require('path');
const { scratchFolder, runScene, launchChromium, openPage } = require('./common');

const scene = {
  comment: '10,000 agents for the preview speed check',
  fps: 25, start: 0, end: 24,
  objects: [
    { type: 'behaviour', name: 'steer', params: { CROWDBEHAV_KEEP_DIRECTION: true } },
    { type: 'world', name: 'world', children: [
      { type: 'generator', name: 'crowd',
        params: { CROWDGEN_COUNT_X: 100, CROWDGEN_COUNT_Y: 1, CROWDGEN_COUNT_Z: 100,
                  CROWDGEN_SPACING: [60, 0, 60], CROWDGEN_JITTER: 0.2, CROWDGEN_SPEED: 150,
                  CROWDGEN_ACCELERATION: 300, CROWDGEN_BEHAVIOURS: ['steer'] },
        children: [{ type: 'cube', name: 'body', size: [20, 50, 30] }] }] }],
};

async function main() {
  const [vantri] = process.argv.slice(2);
  const scratch = scratchFolder('fps');
  const browser = await launchChromium();
  try {
    const file = path.join(scratch, 'crowd.json');
    fs.writeFileSync(file, JSON.stringify(scene));
    const out = runScene(vantri, file, path.join(scratch, 'run'));
    const bytes = fs.statSync(path.join(out, 'preview.html')).size;
    const loading = Date.now();
    const { page, problems } = await openPage(browser.context, path.join(out, 'preview.html'));
    const loaded = Date.now() - loading;
    assert.strictEqual(await page.$eval('#status', (s) => s.dataset.agents), '10000');

    await page.click('#play');
    await page.waitForFunction(() => document.querySelector('#status').dataset.fps !== '',
                               null, { timeout: 30000 });
    await page.waitForTimeout(3000);
    const fps = Number(await page.$eval('#status', (s) => s.dataset.fps));
    const draws = await page.evaluate(() => window.vantriPreview.drawCalls());
    await page.click('#play');
    assert.ok(fps > 0, 'the page played');
    assert.deepStrictEqual(problems, [], 'the page had no errors and made no requests');
    console.log(`preview at 10000 agents: ${fps} frames/s in headless Chromium ` +
                `(software rendering), ${draws} draw calls, page of ${(bytes / 1e6).toFixed(1)} MB ` +
                `loaded in ${loaded} ms`);
  } finally {
    await browser.close();
    fs.rmSync(scratch, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(error.stack || String(error));
  process.exit(1);
});
