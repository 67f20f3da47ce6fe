// Runs the given scenes through vantri and checks each scene.glb with the glTF validator:
// any error fails; warnings and infos are printed.
//
//   node validate_glb.js VANTRI SCENE...
'use strict';
const fs = require('fs');
const path = require('path');
const { skip, scratchFolder, runScene } = require('./common');

async function main() {
  const [vantri, ...scenes] = process.argv.slice(2);
  let validator;
  try {
    validator = require('gltf-validator');
  } catch (error) {
    skip('gltf-validator is not installed in tests/web (scripts/install-deps.sh installs it)');
  }
  const scratch = scratchFolder('glb');
  let failed = 0;
  try {
    for (const scene of scenes) {
      const out = runScene(vantri, scene, path.join(scratch, path.basename(scene, '.json')));
      const bytes = new Uint8Array(fs.readFileSync(path.join(out, 'scene.glb')));
      const report = await validator.validateBytes(bytes, { maxIssues: 50 });
      const issues = report.issues;
      console.log(`${scene}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ` +
                  `${issues.numInfos} infos, ${issues.numHints} hints ` +
                  `(${report.info.drawCallCount} draw calls, ${report.info.animationCount} animation)`);
      for (const message of issues.messages)
        console.log(`  ${['error', 'warning', 'info', 'hint'][message.severity]} ${message.code} ` +
                    `${message.pointer || ''}: ${message.message}`);
      if (issues.numErrors > 0) failed++;
    }
  } finally {
    fs.rmSync(scratch, { recursive: true, force: true });
  }
  console.log(`${scenes.length - failed} of ${scenes.length} scene files valid`);
  process.exit(failed > 0 ? 1 : 0);
}

main().catch((error) => {
  console.error(error.stack || String(error));
  process.exit(1);
});
