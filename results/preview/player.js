// The preview's player: reads the run inlined in the page, shows every agent and plays the
// frames.
//
// Agents are drawn in one of two ways. With a graphics card, one instanced mesh per source
// object (one draw call each) and the card places the instances. A software renderer (the
// browser without a graphics card) spends most of its time per instance and per triangle,
// not per pixel: there the agents' visible triangles are placed and lit by the script into
// one mesh, drawn in one call, which is several times faster. `#draw=instanced` or
// `#draw=merged` at the end of the page's address chooses one way.
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

  // Whether the browser draws without a graphics card: then every pixel costs, so the page
  // draws without antialiasing at one pixel per CSS pixel.
  function softwareRendering() {
    const gl = document.createElement('canvas').getContext('webgl');
    if (!gl) return false;
    const info = gl.getExtension('WEBGL_debug_renderer_info');
    const name = String(gl.getParameter(info ? info.UNMASKED_RENDERER_WEBGL : gl.RENDERER));
    const lose = gl.getExtension('WEBGL_lose_context');
    if (lose) lose.loseContext();
    return /swiftshader|llvmpipe|softpipe|software/i.test(name);
  }
  const software = softwareRendering();
  const asked = /(?:^#|&)draw=(instanced|merged)\b/.exec(window.location.hash);
  const drawMode = asked ? asked[1] : software ? 'merged' : 'instanced';

  // The scene.
  const renderer = new THREE.WebGLRenderer({ antialias: !software });
  renderer.setPixelRatio(software ? 1 : Math.min(window.devicePixelRatio || 1, 2));
  view.appendChild(renderer.domElement);
  const scene = new THREE.Scene();
  scene.background = new THREE.Color(0x1d2125);

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

  // The lights, also applied by the script to merged agents (see mergedAgents).
  const skyColour = new THREE.Color(0xffffff), groundColour = new THREE.Color(0x3a3a3a);
  const sunColour = new THREE.Color(0xffffff);
  const skyIntensity = 0.85, sunIntensity = 0.55;
  const sunDirection = new THREE.Vector3(0.4, 1, 0.6).normalize();
  scene.add(new THREE.HemisphereLight(skyColour, groundColour, skyIntensity));
  const sunLight = new THREE.DirectionalLight(sunColour, sunIntensity);
  sunLight.position.copy(sunDirection);
  scene.add(sunLight);

  // Agents: the batches of one generator and one source object.
  const batches = run.batches.filter(function (batch) {
    return geometries[batch.shape] !== null;
  }).map(function (batch) {
    return { generator: batch.generator, shape: batch.shape, slots: batch.slots,
             colour: new THREE.Color(run.generators[batch.generator].colour) };
  });
  const agentDrawing = drawMode === 'merged' ? mergedAgents() : instancedAgents();

  // One instanced mesh per batch; the graphics card places the instances.
  function instancedAgents() {
    const meshes = batches.map(function (batch) {
      const material = new THREE.MeshLambertMaterial({ color: batch.colour });
      const mesh = new THREE.InstancedMesh(geometries[batch.shape], material, batch.slots.length);
      mesh.instanceMatrix.setUsage(THREE.DynamicDrawUsage);
      mesh.frustumCulled = false;
      mesh.name = run.generators[batch.generator].name + ' / ' + run.shapes[batch.shape].name;
      scene.add(mesh);
      return mesh;
    });
    return {
      place: function (index) {
        const frameBase = index * slots;
        const sc = run.scales;
        batches.forEach(function (batch, b) {
          const out = meshes[b].instanceMatrix.array;
          for (let k = 0; k < batch.slots.length; k++) {
            const s = batch.slots[k];
            compose(out, k * 16, (frameBase + s) * 7, sc ? sc[3 * s] : 1, sc ? sc[3 * s + 1] : 1,
                    sc ? sc[3 * s + 2] : 1);
          }
          meshes[b].instanceMatrix.needsUpdate = true;
        });
      },
      cameraMatters: false,
    };
  }

  // A shape as the merged drawing uses it: its distinct corners and normals, and per triangle
  // the corner and normal of each of its three vertices.
  function shapeParts(shape) {
    const corners = [], normals = [], triangles = [];
    const cornerAt = new Map(), normalAt = new Map();
    function add(list, at, x, y, z) {
      const key = x + ',' + y + ',' + z;
      let i = at.get(key);
      if (i === undefined) {
        i = list.length / 3;
        at.set(key, i);
        list.push(x, y, z);
      }
      return i;
    }
    const p = shape.positions, n = shape.normals, ix = shape.indices;
    for (let t = 0; t + 2 < ix.length; t += 3) {
      const a = ix[t], b = ix[t + 1], c = ix[t + 2];
      const corner = [a, b, c].map(function (v) { return add(corners, cornerAt, p[3 * v], p[3 * v + 1], p[3 * v + 2]); });
      let normal;
      if (n) {
        normal = [a, b, c].map(function (v) { return add(normals, normalAt, n[3 * v], n[3 * v + 1], n[3 * v + 2]); });
      } else {
        // No normals: flat, from the triangle's edges (as the instanced drawing computes them).
        const e1 = new THREE.Vector3(p[3 * b] - p[3 * a], p[3 * b + 1] - p[3 * a + 1], p[3 * b + 2] - p[3 * a + 2]);
        const e2 = new THREE.Vector3(p[3 * c] - p[3 * a], p[3 * c + 1] - p[3 * a + 1], p[3 * c + 2] - p[3 * a + 2]);
        const f = e1.cross(e2).normalize();
        const i = add(normals, normalAt, f.x, f.y, f.z);
        normal = [i, i, i];
      }
      triangles.push(corner[0], corner[1], corner[2], normal[0], normal[1], normal[2]);
    }
    return { corners: new Float32Array(corners), normals: new Float32Array(normals),
             triangles: new Uint32Array(triangles) };
  }

  // All agents in one mesh: every frame (and every camera move) the script places each
  // agent's corners, lights its normals as the Lambert material does with the page's lights,
  // and writes the triangles that face the camera. The card then only draws coloured
  // triangles, in one call.
  function mergedAgents() {
    const parts = run.shapes.map(function (shape, i) {
      return geometries[i] ? shapeParts(shape) : null;
    });
    let capacity = 0, cornerMost = 0, normalMost = 0;
    batches.forEach(function (batch) {
      const part = parts[batch.shape];
      capacity += batch.slots.length * part.triangles.length / 2; // 3 vertices per triangle
      cornerMost = Math.max(cornerMost, part.corners.length);
      normalMost = Math.max(normalMost, part.normals.length);
    });
    const positions = new Float32Array(capacity * 3);
    // Four bytes per colour (the fourth unused): a graphics driver takes them as they are,
    // where three would be converted on every upload.
    const colours = new Uint8Array(capacity * 4);
    const placed = new Float32Array(cornerMost);
    const lit = new Float32Array(normalMost / 3);
    const geometry = new THREE.BufferGeometry();
    const positionAttribute = new THREE.BufferAttribute(positions, 3);
    const colourAttribute = new THREE.BufferAttribute(colours, 4, true);
    positionAttribute.setUsage(THREE.DynamicDrawUsage);
    colourAttribute.setUsage(THREE.DynamicDrawUsage);
    geometry.setAttribute('position', positionAttribute);
    geometry.setAttribute('color', colourAttribute);
    geometry.setDrawRange(0, 0);
    // The script keeps only the triangles that face the camera, with the winding of a
    // mirrored agent turned, so the card culls nothing.
    const mesh = new THREE.Mesh(geometry, new THREE.MeshBasicMaterial({
      vertexColors: THREE.VertexColors, side: THREE.DoubleSide }));
    mesh.frustumCulled = false;
    mesh.name = 'agents';
    scene.add(mesh);

    // The lights are white and grey, so one factor serves the three colour channels.
    const sky = skyColour.r * skyIntensity, ground = groundColour.r * skyIntensity;
    const sun = sunColour.r * sunIntensity;
    const lx = sunDirection.x, ly = sunDirection.y, lz = sunDirection.z;

    function place(index) {
      const frameBase = index * slots;
      const sc = run.scales;
      const cx = camera.position.x, cy = camera.position.y, cz = camera.position.z;
      let v = 0; // vertices written
      for (let bi = 0; bi < batches.length; bi++) {
        const batch = batches[bi];
        const part = parts[batch.shape];
        const corners = part.corners, normals = part.normals, triangles = part.triangles;
        const cr = batch.colour.r * 255, cg = batch.colour.g * 255, cb = batch.colour.b * 255;
        for (let k = 0; k < batch.slots.length; k++) {
          const s = batch.slots[k];
          const b = (frameBase + s) * 7;
          const x = poses[b + 3], y = poses[b + 4], z = poses[b + 5], w = poses[b + 6];
          if (x === 0 && y === 0 && z === 0 && w === 0) continue; // absent at this frame
          const sx = sc ? sc[3 * s] : 1, sy = sc ? sc[3 * s + 1] : 1, sz = sc ? sc[3 * s + 2] : 1;
          const x2 = x + x, y2 = y + y, z2 = z + z;
          const xx = x * x2, xy = x * y2, xz = x * z2, yy = y * y2, yz = y * z2, zz = z * z2;
          const wx = w * x2, wy = w * y2, wz = w * z2;
          // The rotation's columns.
          const r0 = 1 - (yy + zz), r1 = xy + wz, r2 = xz - wy;
          const r4 = xy - wz, r5 = 1 - (xx + zz), r6 = yz + wx;
          const r8 = xz + wy, r9 = yz - wx, r10 = 1 - (xx + yy);
          const tx = poses[b], ty = poses[b + 1], tz = poses[b + 2];
          for (let i = 0; i < corners.length; i += 3) {
            const px = corners[i] * sx, py = corners[i + 1] * sy, pz = corners[i + 2] * sz;
            placed[i] = r0 * px + r4 * py + r8 * pz + tx;
            placed[i + 1] = r1 * px + r5 * py + r9 * pz + ty;
            placed[i + 2] = r2 * px + r6 * py + r10 * pz + tz;
          }
          // Normals go through the inverse scale, then the rotation.
          for (let i = 0; i < normals.length; i += 3) {
            const qx = normals[i] / sx, qy = normals[i + 1] / sy, qz = normals[i + 2] / sz;
            let nx = r0 * qx + r4 * qy + r8 * qz;
            let ny = r1 * qx + r5 * qy + r9 * qz;
            let nz = r2 * qx + r6 * qy + r10 * qz;
            const length = Math.sqrt(nx * nx + ny * ny + nz * nz) || 1;
            nx /= length; ny /= length; nz /= length;
            // The Lambert material's light: the hemisphere light between ground and sky by
            // the normal's height, and the sun on the side it faces.
            lit[i / 3] = ground + (sky - ground) * (0.5 * ny + 0.5) +
                         sun * Math.max(0, nx * lx + ny * ly + nz * lz);
          }
          const mirrored = sx * sy * sz < 0;
          for (let t = 0; t < triangles.length; t += 6) {
            const a = 3 * triangles[t], c1 = 3 * triangles[t + 1], c2 = 3 * triangles[t + 2];
            const ax = placed[a], ay = placed[a + 1], az = placed[a + 2];
            const ux = placed[c1] - ax, uy = placed[c1 + 1] - ay, uz = placed[c1 + 2] - az;
            const vx = placed[c2] - ax, vy = placed[c2 + 1] - ay, vz = placed[c2 + 2] - az;
            // Counter-clockwise seen from the camera: the face's normal points at the camera.
            const facing = (uy * vz - uz * vy) * (cx - ax) + (uz * vx - ux * vz) * (cy - ay) +
                           (ux * vy - uy * vx) * (cz - az);
            if (mirrored ? facing >= 0 : facing <= 0) continue;
            for (let j = 0; j < 3; j++) {
              const c = 3 * triangles[t + j], light = lit[triangles[t + 3 + j]];
              const o = 3 * v, q = 4 * v;
              positions[o] = placed[c];
              positions[o + 1] = placed[c + 1];
              positions[o + 2] = placed[c + 2];
              colours[q] = Math.min(255, cr * light);
              colours[q + 1] = Math.min(255, cg * light);
              colours[q + 2] = Math.min(255, cb * light);
              v++;
            }
          }
        }
      }
      geometry.setDrawRange(0, v);
      positionAttribute.updateRange.count = v * 3;
      colourAttribute.updateRange.count = v * 4;
      positionAttribute.needsUpdate = true;
      colourAttribute.needsUpdate = true;
    }

    return { place: place, cameraMatters: true };
  }

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
  const low = box.min, high = box.max;
  for (let b = 0; b < frameCount * slots * 7; b += 7) {
    if (poses[b + 3] === 0 && poses[b + 4] === 0 && poses[b + 5] === 0 && poses[b + 6] === 0) continue;
    const x = poses[b], y = poses[b + 1], z = poses[b + 2];
    if (x < low.x) low.x = x;
    if (y < low.y) low.y = y;
    if (z < low.z) low.z = z;
    if (x > high.x) high.x = x;
    if (y > high.y) high.y = y;
    if (z > high.z) high.z = z;
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
    placed = false;
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

  // The agents are placed for the frame shown just before it is drawn, and again when the
  // camera moved if their drawing depends on it.
  let placed = false;
  function draw() {
    if (!placed) agentDrawing.place(shown);
    renderer.render(scene, camera);
    placed = !agentDrawing.cameraMatters;
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
  // Only a new frame or a camera move is drawn: between two frames of the run the page rests.
  function tick(now) {
    requestAnimationFrame(tick);
    if (playing) {
      cursor += (now - last) / 1000 * run.fps * speed;
      last = now;
      if (cursor >= frameCount) cursor = cursor % frameCount;
      if ((cursor | 0) !== shown) showFrame(cursor | 0);
    }
    if (!dirty) return;
    draw();
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
    drawMode: drawMode,
    showFrame: showFrame,
    play: function () { setPlaying(true); },
    pause: function () { setPlaying(false); },
  };
})();
