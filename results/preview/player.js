// The preview's player: reads the run inlined in the page, shows every agent with one
// instanced mesh per source object (one draw call each) and plays the frames.
//
// Poses are frame after frame, agent slot after slot, 7 floats each: translation (metres)
// and rotation (x, y, z, w) in glTF's right-handed Y-up space; a rotation of four zeros marks
// an agent absent at that frame.
'use strict';
(function () {
  const run = JSON.parse(document.getElementById('vantri-run').textContent);
  const poses = decodePoses(document.getElementById('vantri-poses').textContent);
  const frameCount = run.count;
  const slots = run.slots;

  const view = document.getElementById('view');
  const status = document.getElementById('status');
  const slider = document.getElementById('slider');
  const frameLabel = document.getElementById('frame');
  const playButton = document.getElementById('play');
  const speedSelect = document.getElementById('speed');
  const topButton = document.getElementById('top');
  const fpsLabel = document.getElementById('fps');
  document.getElementById('title').textContent = run.scene;
  document.title = 'Vantri preview: ' + run.scene;

  function decodePoses(text) {
    const binary = atob(text.replace(/\s+/g, ''));
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
    return new Float32Array(bytes.buffer, 0, bytes.length >> 2);
  }

  // The scene.
  const renderer = new THREE.WebGLRenderer({ antialias: true });
  renderer.setPixelRatio(Math.min(window.devicePixelRatio || 1, 2));
  view.appendChild(renderer.domElement);
  const scene = new THREE.Scene();
  scene.background = new THREE.Color(0x1d2125);
  scene.add(new THREE.HemisphereLight(0xffffff, 0x3a3a3a, 0.85));
  const sun = new THREE.DirectionalLight(0xffffff, 0.55);
  sun.position.set(0.4, 1, 0.6);
  scene.add(sun);

  function geometryOf(shape) {
    if (!shape.indices || shape.indices.length === 0) return null;
    let geometry = new THREE.BufferGeometry();
    geometry.setAttribute('position', new THREE.Float32BufferAttribute(shape.positions, 3));
    geometry.setIndex(shape.indices);
    if (shape.normals) {
      geometry.setAttribute('normal', new THREE.Float32BufferAttribute(shape.normals, 3));
    } else {
      geometry = geometry.toNonIndexed();
      geometry.computeVertexNormals();
    }
    return geometry;
  }
  function lineOf(line, material) {
    const geometry = new THREE.BufferGeometry();
    geometry.setAttribute('position', new THREE.Float32BufferAttribute(line.points, 3));
    return line.closed ? new THREE.LineLoop(geometry, material) : new THREE.Line(geometry, material);
  }
  const geometries = run.shapes.map(geometryOf);

  // Agents: one instanced mesh per generator and source object.
  const batches = run.batches.map(function (batch) {
    const generator = run.generators[batch.generator];
    const material = new THREE.MeshLambertMaterial({ color: generator.colour });
    const geometry = geometries[batch.shape];
    if (!geometry) return null;
    const mesh = new THREE.InstancedMesh(geometry, material, batch.slots.length);
    mesh.instanceMatrix.setUsage(THREE.DynamicDrawUsage);
    mesh.frustumCulled = false;
    mesh.name = generator.name + ' / ' + run.shapes[batch.shape].name;
    scene.add(mesh);
    return { mesh: mesh, slots: batch.slots };
  }).filter(Boolean);

  // Obstacles, terrain, curves and scenery.
  const pieces = run.pieces.map(function (piece) {
    const shape = run.shapes[piece.shape];
    const group = new THREE.Group();
    group.name = piece.name;
    group.matrixAutoUpdate = false;
    const geometry = geometries[piece.shape];
    if (geometry) {
      const translucent = piece.opacity < 1;
      group.add(new THREE.Mesh(geometry, new THREE.MeshLambertMaterial({
        color: piece.colour, transparent: translucent, opacity: piece.opacity,
        side: translucent ? THREE.DoubleSide : THREE.FrontSide, depthWrite: !translucent })));
    }
    // Curves are guides: drawn over everything, as a viewport draws them, so that a path on
    // the ground stays visible on a bumpy terrain.
    const lineMaterial = new THREE.LineBasicMaterial({ color: piece.colour, depthTest: false });
    shape.lines.forEach(function (line) {
      const object = lineOf(line, lineMaterial);
      object.renderOrder = 1;
      group.add(object);
    });
    scene.add(group);
    return { group: group, transforms: piece.transforms };
  });

  // What the camera frames: every agent at every frame and every piece.
  const box = new THREE.Box3();
  for (let f = 0; f < frameCount; f++) {
    for (let s = 0; s < slots; s++) {
      const b = (f * slots + s) * 7;
      if (poses[b + 3] === 0 && poses[b + 4] === 0 && poses[b + 5] === 0 && poses[b + 6] === 0) continue;
      box.expandByPoint(new THREE.Vector3(poses[b], poses[b + 1], poses[b + 2]));
    }
  }
  pieces.forEach(function (piece) {
    piece.group.matrix.copy(matrixOf(piece.transforms[0]));
    piece.group.updateMatrixWorld(true);
    box.expandByObject(piece.group);
  });
  if (box.isEmpty()) box.set(new THREE.Vector3(-1, 0, -1), new THREE.Vector3(1, 1, 1));
  const centre = box.getCenter(new THREE.Vector3());
  const size = box.getSize(new THREE.Vector3());
  const radius = Math.max(size.length() / 2, 1);

  const grid = new THREE.GridHelper(Math.ceil(Math.max(size.x, size.z, 2) * 1.5),
                                    20, 0x4b525a, 0x33393f);
  grid.position.set(centre.x, box.min.y, centre.z);
  scene.add(grid);

  const camera = new THREE.PerspectiveCamera(45, 1, radius / 100, radius * 100);
  camera.position.set(centre.x + radius * 1.2, centre.y + radius * 1.1, centre.z + radius * 1.8);
  const controls = new THREE.OrbitControls(camera, renderer.domElement);
  controls.target.copy(centre);
  controls.screenSpacePanning = true;
  controls.update();

  function matrixOf(t) {
    const m = new THREE.Matrix4();
    m.compose(new THREE.Vector3(t[0], t[1], t[2]), new THREE.Quaternion(t[3], t[4], t[5], t[6]),
              new THREE.Vector3(t[7], t[8], t[9]));
    return m;
  }

  // Writes one agent's matrix (column-major) from its pose and scale.
  function compose(out, o, b, sx, sy, sz) {
    const x = poses[b + 3], y = poses[b + 4], z = poses[b + 5], w = poses[b + 6];
    if (x === 0 && y === 0 && z === 0 && w === 0) {
      out.fill(0, o, o + 16);
      return;
    }
    const x2 = x + x, y2 = y + y, z2 = z + z;
    const xx = x * x2, xy = x * y2, xz = x * z2, yy = y * y2, yz = y * z2, zz = z * z2;
    const wx = w * x2, wy = w * y2, wz = w * z2;
    out[o] = (1 - (yy + zz)) * sx; out[o + 1] = (xy + wz) * sx; out[o + 2] = (xz - wy) * sx; out[o + 3] = 0;
    out[o + 4] = (xy - wz) * sy; out[o + 5] = (1 - (xx + zz)) * sy; out[o + 6] = (yz + wx) * sy; out[o + 7] = 0;
    out[o + 8] = (xz + wy) * sz; out[o + 9] = (yz - wx) * sz; out[o + 10] = (1 - (xx + yy)) * sz; out[o + 11] = 0;
    out[o + 12] = poses[b]; out[o + 13] = poses[b + 1]; out[o + 14] = poses[b + 2]; out[o + 15] = 1;
  }

  // The legend: a swatch per generator.
  const legend = document.getElementById('legend');
  run.generators.forEach(function (generator) {
    const item = document.createElement('li');
    const swatch = document.createElement('span');
    swatch.className = 'swatch';
    swatch.style.background = generator.colour;
    const label = document.createElement('span');
    label.textContent = generator.name + ' (' + generator.agents + ')';
    item.appendChild(swatch);
    item.appendChild(label);
    legend.appendChild(item);
  });

  let shown = -1;
  let dirty = true;
  function showFrame(index) {
    index = Math.max(0, Math.min(frameCount - 1, index | 0));
    const frameBase = index * slots;
    batches.forEach(function (batch) {
      const out = batch.mesh.instanceMatrix.array;
      for (let k = 0; k < batch.slots.length; k++) {
        const s = batch.slots[k];
        const sc = run.scales;
        compose(out, k * 16, (frameBase + s) * 7, sc ? sc[3 * s] : 1, sc ? sc[3 * s + 1] : 1,
                sc ? sc[3 * s + 2] : 1);
      }
      batch.mesh.instanceMatrix.needsUpdate = true;
    });
    pieces.forEach(function (piece) {
      if (piece.transforms.length > 1) piece.group.matrix.copy(matrixOf(piece.transforms[index]));
    });
    let agents = 0;
    run.generators.forEach(function (generator) { agents += generator.counts[index]; });
    shown = index;
    slider.value = String(index);
    const frame = run.start + index;
    frameLabel.textContent = 'frame ' + frame + ' (' + (index + 1) + ' of ' + frameCount + ')';
    status.textContent = frameCount + ' frames · ' + agents + ' agents · frame ' + frame;
    status.dataset.frame = String(frame);
    status.dataset.frames = String(frameCount);
    status.dataset.agents = String(agents);
    dirty = true;
  }

  // Playback.
  let playing = false;
  let cursor = 0;
  let last = 0;
  let speed = 1;
  function setPlaying(on) {
    playing = on && frameCount > 1;
    playButton.textContent = playing ? 'Pause' : 'Play';
    playButton.classList.toggle('on', playing);
    if (playing && shown >= frameCount - 1) cursor = 0;
    else cursor = shown;
    last = performance.now();
    rendered = 0;
    fpsSince = last;
  }
  playButton.addEventListener('click', function () { setPlaying(!playing); });
  slider.max = String(frameCount - 1);
  slider.addEventListener('input', function () {
    setPlaying(false);
    showFrame(Number(slider.value));
  });
  speedSelect.addEventListener('change', function () { speed = Number(speedSelect.value); });
  document.addEventListener('keydown', function (event) {
    if (event.code === 'Space' && event.target === document.body) {
      event.preventDefault();
      setPlaying(!playing);
    }
  });

  // Top view: straight down on the scene; the orbit view comes back when it is turned off.
  let orbitView = null;
  topButton.addEventListener('click', function () {
    if (orbitView === null) {
      orbitView = { position: camera.position.clone(), target: controls.target.clone() };
      controls.target.copy(centre);
      camera.position.set(centre.x, centre.y + radius * 2.4, centre.z + radius * 1e-3);
      controls.enableRotate = false;
    } else {
      camera.position.copy(orbitView.position);
      controls.target.copy(orbitView.target);
      controls.enableRotate = true;
      orbitView = null;
    }
    topButton.classList.toggle('on', orbitView !== null);
    controls.update();
    dirty = true;
  });
  controls.addEventListener('change', function () { dirty = true; });

  function resize() {
    const width = Math.max(view.clientWidth, 1), height = Math.max(view.clientHeight, 1);
    renderer.setSize(width, height, false);
    camera.aspect = width / height;
    camera.updateProjectionMatrix();
    dirty = true;
  }
  window.addEventListener('resize', resize);

  // Frames drawn per second while playing.
  let rendered = 0;
  let fpsSince = performance.now();
  function tick(now) {
    requestAnimationFrame(tick);
    if (playing) {
      cursor += (now - last) / 1000 * run.fps * speed;
      last = now;
      if (cursor >= frameCount) cursor = cursor % frameCount;
      if ((cursor | 0) !== shown) showFrame(cursor | 0);
    }
    if (!dirty && !playing) return;
    renderer.render(scene, camera);
    dirty = false;
    rendered++;
    if (playing && now - fpsSince >= 1000) {
      const fps = rendered * 1000 / (now - fpsSince);
      fpsLabel.textContent = fps.toFixed(0) + ' fps';
      status.dataset.fps = fps.toFixed(1);
      rendered = 0;
      fpsSince = now;
    }
  }

  resize();
  showFrame(0);
  status.dataset.ready = 'true';
  requestAnimationFrame(tick);

  // For scripts that drive the page (tests, screenshots).
  window.vantriPreview = {
    frameCount: frameCount,
    agentCount: run.generators.reduce(function (n, g) { return n + g.agents; }, 0),
    drawCalls: function () { return renderer.info.render.calls; },
    showFrame: showFrame,
    play: function () { setPlaying(true); },
    pause: function () { setPlaying(false); },
  };
})();
