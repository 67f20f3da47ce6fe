// Shared by the web checks: running the built vantri command, a scratch folder, and headless
// Chromium started for pages opened from disk.
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

/** Exit code that CTest reports as "skipped". */
const SKIPPED = 77;

function skip(reason) {
  console.log('skipped: ' + reason);
  process.exit(SKIPPED);
}

function scratchFolder(name) {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'vantri-' + name + '-'));
}

/** Runs `vantri run SCENE --quiet --out OUT ...extra`; throws with its output on failure. */
function runScene(vantri, scene, out, extra = []) {
  try {
    execFileSync(vantri, ['run', scene, '--quiet', '--out', out, ...extra],
                 { stdio: ['ignore', 'pipe', 'pipe'] });
  } catch (error) {
    throw new Error('vantri run ' + scene + ' failed:\n' + error.stdout + error.stderr);
  }
  return out;
}

/** Headless Chromium as a fresh profile, or a skip when there is none. */
async function launchChromium(viewport = { width: 1000, height: 650 }) {
  const executable = process.env.VANTRI_CHROMIUM || '/usr/bin/chromium';
  if (!fs.existsSync(executable)) skip('no Chromium at ' + executable + ' (scripts/install-deps.sh installs it)');
  let playwright;
  try {
    playwright = require('playwright-core');
  } catch (error) {
    skip('playwright-core is not installed in tests/web (scripts/install-deps.sh installs it)');
  }
  const profile = scratchFolder('chromium');
  const context = await playwright.chromium.launchPersistentContext(profile, {
    executablePath: executable,
    headless: true,
    viewport,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--enable-unsafe-swiftshader'],
  });
  const close = async () => {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { context, close };
}

/**
 * Opens `file` in a new page and records what a person would not want: console errors,
 * uncaught exceptions and any request for something other than the file itself. `hash` is
 * appended to the page's address (the page reads its options there).
 */
async function openPage(context, file, hash = '') {
  const page = await context.newPage();
  const problems = [];
  const url = 'file://' + path.resolve(file);
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push('console error: ' + message.text());
  });
  page.on('pageerror', (error) => problems.push('uncaught: ' + error.message));
  page.on('request', (request) => {
    if (request.url() !== url) problems.push('request: ' + request.url());
  });
  await page.goto(url + hash);
  await page.waitForSelector('#status[data-ready="true"]', { timeout: 120000 });
  return { page, problems };
}

/**
 * How far two screenshots of the same size are apart, decoded and compared by the browser
 * in `page`: the share of pixels where a colour channel differs by more than `tolerance`.
 */
async function pictureDifference(page, first, second, tolerance) {
  return page.evaluate(async ([a, b, tolerance]) => {
    const pixels = async (base64) => {
      const image = new Image();
      image.src = 'data:image/png;base64,' + base64;
      await image.decode();
      const canvas = document.createElement('canvas');
      canvas.width = image.width;
      canvas.height = image.height;
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      return context.getImageData(0, 0, image.width, image.height).data;
    };
    const [p, q] = [await pixels(a), await pixels(b)];
    if (p.length !== q.length) return 1;
    let differing = 0;
    for (let i = 0; i < p.length; i += 4) {
      if (Math.abs(p[i] - q[i]) > tolerance || Math.abs(p[i + 1] - q[i + 1]) > tolerance ||
          Math.abs(p[i + 2] - q[i + 2]) > tolerance)
        differing++;
    }
    return differing / (p.length / 4);
  }, [first.toString('base64'), second.toString('base64'), tolerance]);
}

module.exports = { SKIPPED, skip, scratchFolder, runScene, launchChromium, openPage,
                   pictureDifference };
