// How fast preview.html plays 10,000 agents in headless Chromium (software rendering): a
// 100 x 100 crowd walking for 25 frames, played for a few seconds in each of the page's two
// ways of drawing agents. Prints the frames drawn per second of each; fails when the page does
// not show the crowd, does not play, or the merged drawing is not much faster.
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

// Plays the page at 4x the run's frame rate (100 frames asked per second, each a new picture),
// so that the frames drawn per second are as many as the page can draw.
async function playedFps(context, file, mode) {
  const { page, problems } = await openPage(context, file, '#draw=' + mode);
  try {
    assert.strictEqual(await page.$eval('#status', (s) => s.dataset.agents), '10000');
    assert.strictEqual(await page.evaluate(() => window.vantriPreview.drawMode), mode);
    await page.selectOption('#speed', '4');
    await page.click('#play');
    await page.waitForFunction(() => document.querySelector('#status').dataset.fps !== '',
                               null, { timeout: 30000 });
    await page.waitForTimeout(3000);
    const fps = Number(await page.$eval('#status', (s) => s.dataset.fps));
    const draws = await page.evaluate(() => window.vantriPreview.drawCalls());
    await page.click('#play');
    assert.ok(fps > 0, 'the page played');
    assert.deepStrictEqual(problems, [], 'the page had no errors and made no requests');
    return { fps, draws };
  } finally {
    await page.close();
  }
}

async function main() {
  const [vantri] = process.argv.slice(2);
  const scratch = scratchFolder('fps');
  // A usual window, not a small one: software rendering pays for every pixel.
  const browser = await launchChromium({ width: 1280, height: 720 });
  try {
    const file = path.join(scratch, 'crowd.json');
    fs.writeFileSync(file, JSON.stringify(scene));
    const out = runScene(vantri, file, path.join(scratch, 'run'), ['--outputs', 'html']);
    const preview = path.join(out, 'preview.html');
    const bytes = fs.statSync(preview).size;
    const loading = Date.now();
    const { page } = await openPage(browser.context, preview);
    const loaded = Date.now() - loading;
    // Without a graphics card the page chooses the merged drawing by itself.
    assert.strictEqual(await page.evaluate(() => window.vantriPreview.drawMode), 'merged');
    await page.close();

    const merged = await playedFps(browser.context, preview, 'merged');
    const instanced = await playedFps(browser.context, preview, 'instanced');
    assert.strictEqual(merged.draws, 3, 'the agents in one draw call, the grid and the axis marker in one each');
    console.log(`preview at 10000 agents in headless Chromium (software rendering, 1280x720): ` +
                `${merged.fps} frames/s merged (${merged.draws} draw calls), ` +
                `${instanced.fps} frames/s instanced (${instanced.draws} draw calls), ` +
                `${(merged.fps / instanced.fps).toFixed(1)} times as fast; ` +
                `page of ${(bytes / 1e6).toFixed(1)} MB loaded in ${loaded} ms`);
    // The merged drawing is what makes software rendering usable: measured together here,
    // it is about four times as fast.
    assert.ok(merged.fps > 1.5 * instanced.fps, 'the merged drawing is much faster than instancing');
  } finally {
    await browser.close();
    fs.rmSync(scratch, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(error.stack || String(error));
  process.exit(1);
});
