// scene.glb loads in three.js: headless Chromium parses it with three.js's GLTFLoader (both
// from Debian's libjs-three) and finds every agent (extras as userData), one animation
// track per channel, the run's length, and the agents at their last keys at the end.
//
//   node glb_in_threejs.js VANTRI SCENE THREE_JS GLTF_LOADER_JS
'use strict';
const assert = require('assert');
const fs = require('fs');
const path = require('path');
const { scratchFolder, runScene, launchChromium, openPage } = require('./common');

/** The JSON chunk of a glb file. */
function glbJson(bytes) {
  const length = bytes.readUInt32LE(12);
  return JSON.parse(bytes.subarray(20, 20 + length).toString('utf8'));
}

async function main() {
  const [vantri, scene, threeJs, loaderJs] = process.argv.slice(2);
  const scratch = scratchFolder('glb-three');
  const browser = await launchChromium();
  try {
    const out = runScene(vantri, scene, path.join(scratch, 'run'), ['--outputs', 'glb']);
    const bytes = fs.readFileSync(path.join(out, 'scene.glb'));
    const gltf = glbJson(bytes);
    const report = JSON.parse(fs.readFileSync(path.join(out, 'run.json'), 'utf8'));
    const agents = report.generators.reduce((n, g) => n + g.agents, 0);

    const page = path.join(scratch, 'load.html');
    fs.writeFileSync(page, `<!doctype html><html><head><meta charset="utf-8">
<link rel="icon" href="data:,"></head><body><div id="status">loading</div>
<script>${fs.readFileSync(threeJs, 'utf8')}</script>
<script>${fs.readFileSync(loaderJs, 'utf8')}</script>
<script>
const text = atob('${bytes.toString('base64')}');
const data = new Uint8Array(text.length);
for (let i = 0; i < text.length; i++) data[i] = text.charCodeAt(i);
new THREE.GLTFLoader().parse(data.buffer, '', function (loaded) {
  const found = { agents: 0, objects: 0, tracks: 0, duration: 0, last: null };
  loaded.scene.traverse(function (o) { if (o !== loaded.scene) found.objects++; });
  const clip = loaded.animations[0];
  if (clip) {
    found.tracks = clip.tracks.length;
    found.duration = clip.duration;
    const mixer = new THREE.AnimationMixer(loaded.scene);
    const action = mixer.clipAction(clip);
    action.setLoop(THREE.LoopOnce);
    action.clampWhenFinished = true;
    action.play();
    mixer.setTime(clip.duration);
  }
  loaded.scene.updateMatrixWorld(true);
  loaded.scene.traverse(function (o) {
    if (o.userData.agent === undefined) return;
    found.agents++;
    if (o.userData.agent === 0 && found.last === null)
      found.last = { generator: o.userData.generator, position: o.position.toArray() };
  });
  window.found = found;
  const status = document.getElementById('status');
  status.textContent = JSON.stringify(found);
  status.dataset.ready = 'true';
}, function (error) { throw error; });
</script></body></html>`);
    const opened = await openPage(browser.context, page);
    const found = await opened.page.evaluate(() => window.found);
    assert.deepStrictEqual(opened.problems, [], 'no errors and no requests');
    assert.strictEqual(found.agents, agents, 'every agent, with its extras');
    assert.ok(found.objects >= gltf.nodes.length, 'an object for every node');
    const channels = gltf.animations ? gltf.animations[0].channels.length : 0;
    assert.strictEqual(found.tracks, channels, 'a track per channel');
    assert.ok(Math.abs(found.duration - (report.frames - 1) / report.fps) < 1e-6, 'the run\'s length');

    if (found.last) {
      // An agent at the end of the clip stands at its last translation key.
      const node = gltf.nodes.find((n) => n.extras && n.extras.agent === 0 &&
                                         n.extras.generator === found.last.generator);
      const channel = gltf.animations[0].channels.find(
        (c) => gltf.nodes[c.target.node] === node && c.target.path === 'translation');
      const accessor = gltf.accessors[gltf.animations[0].samplers[channel.sampler].output];
      const view = gltf.bufferViews[accessor.bufferView];
      const binary = bytes.subarray(20 + bytes.readUInt32LE(12) + 8);
      const at = (view.byteOffset || 0) + (accessor.byteOffset || 0) + (accessor.count - 1) * 12;
      const key = [0, 1, 2].map((i) => binary.readFloatLE(at + 4 * i));
      for (let i = 0; i < 3; i++)
        assert.ok(Math.abs(found.last.position[i] - key[i]) < 1e-5, 'at its last key: ' + found.last.position + ' vs ' + key);
    }
    console.log(`scene.glb of ${path.basename(scene)} in three.js: ${found.agents} agents, ` +
                `${found.objects} objects, ${found.tracks} tracks over ${found.duration} s`);
  } finally {
    await browser.close();
    fs.rmSync(scratch, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(error.stack || String(error));
  process.exit(1);
});
