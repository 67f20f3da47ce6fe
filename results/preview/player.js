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
// A large crowd (kLargeCrowd agents or more) drawn merged shows each agent that is only a few
// pixels tall as one triangle, an arrow the size of its body pointing the way it faces; the
// agents near the camera keep their whole shape. Every agent carries a facing mark, a light
// arrow on its top.
//
// The address chooses what the page opens with: `#frame=120` shows frame 120 (a frame
// number of the run, not an index), `#play` starts playing, `#draw=...` as above; they are
// joined with `&`, as in `preview.html#frame=120&play`.
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
  const address = addressOptions(window.location.hash);
  const drawMode = address.draw || (software ? 'merged' : 'instanced');

  // The options of the page's address: `frame=N`, `play` and `draw=instanced|merged`.
  function addressOptions(hash) {
    const options = { frame: null, play: false, draw: null };
    hash.replace(/^#/, '').split('&').forEach(function (item) {
      const equals = item.indexOf('=');
      const key = decodeURIComponent(equals < 0 ? item : item.slice(0, equals));
      const value = equals < 0 ? '' : decodeURIComponent(item.slice(equals + 1));
      if (key === 'frame' && /^-?\d+$/.test(value)) options.frame = Number(value);
      if (key === 'play') options.play = value !== '0' && value !== 'false';
      if (key === 'draw' && (value === 'instanced' || value === 'merged')) options.draw = value;
    });
    return options;
  }
  // Agents from which a crowd counts as large (see the top).
  const kLargeCrowd = 2000;
  // An agent drawn merged whose body spans fewer pixels than this is drawn as one triangle.
  const kDetailPixels = 8;

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
    const colour = new THREE.Color(run.generators[batch.generator].colour);
    return { generator: batch.generator, shape: batch.shape, slots: batch.slots,
             colour: colour, markColour: colour.clone().lerp(new THREE.Color(0xffffff), 0.75) };
  });
  const largeCrowd = run.slots >= kLargeCrowd;
  const arrows = run.shapes.map(function (shape, i) {
    return geometries[i] ? arrowOf(shape) : null;
  });

  // The facing mark of a shape: a flat arrow just above its top, pointing forward (the
  // agent's -Z in the page's space), and the same arrow the size of the whole body for the
  // agents drawn as one triangle. Nine numbers each: three corners.
  function arrowOf(shape) {
    const p = shape.positions;
    const low = [Infinity, Infinity, Infinity], high = [-Infinity, -Infinity, -Infinity];
    for (let i = 0; i < p.length; i += 3) {
      for (let k = 0; k < 3; k++) {
        low[k] = Math.min(low[k], p[i + k]);
        high[k] = Math.max(high[k], p[i + k]);
      }
    }
    const cx = (low[0] + high[0]) / 2, cz = (low[2] + high[2]) / 2;
    const w = high[0] - low[0], d = high[2] - low[2], h = high[1] - low[1];
    const top = high[1] + Math.max(h * 0.02, 1e-3);
    const mark = new Float32Array([cx, top, low[2] + 0.1 * d, cx - 0.3 * w, top, cz + 0.25 * d,
                                   cx + 0.3 * w, top, cz + 0.25 * d]);
    const mid = (low[1] + high[1]) / 2;
    const whole = new Float32Array([cx, mid, low[2] - 0.1 * d, cx - 0.5 * w, mid, high[2],
                                    cx + 0.5 * w, mid, high[2]]);
    const size = Math.max(w, d, h);
    return { mark: mark, whole: whole, size: size };
  }
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
    // The facing marks: one more instanced mesh per batch, with the same matrices.
    const marks = batches.map(function (batch) {
      const geometry = new THREE.BufferGeometry();
      geometry.setAttribute('position', new THREE.BufferAttribute(arrows[batch.shape].mark, 3));
      const mesh = new THREE.InstancedMesh(geometry, new THREE.MeshBasicMaterial({
        color: batch.markColour, side: THREE.DoubleSide }), batch.slots.length);
      mesh.instanceMatrix.setUsage(THREE.DynamicDrawUsage);
      mesh.frustumCulled = false;
      mesh.name = run.generators[batch.generator].name + ' / facing';
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
          marks[b].instanceMatrix.array.set(out);
          marks[b].instanceMatrix.needsUpdate = true;
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
      // 3 vertices per triangle, and the facing mark's.
      capacity += batch.slots.length * (part.triangles.length / 2 + 3);
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

    // Writes an arrow of three corners placed by the rotation r and translation t, in one
    // colour; returns the vertices written.
    function writeArrow(corners, v, r, tx, ty, tz, sx, sy, sz, cr, cg, cb) {
      for (let j = 0; j < 9; j += 3) {
        const px = corners[j] * sx, py = corners[j + 1] * sy, pz = corners[j + 2] * sz;
        const o = 3 * v, q = 4 * v;
        positions[o] = r[0] * px + r[3] * py + r[6] * pz + tx;
        positions[o + 1] = r[1] * px + r[4] * py + r[7] * pz + ty;
        positions[o + 2] = r[2] * px + r[5] * py + r[8] * pz + tz;
        colours[q] = cr;
        colours[q + 1] = cg;
        colours[q + 2] = cb;
        v++;
      }
      return v;
    }
    const rotation = new Float32Array(9);

    function place(index) {
      const frameBase = index * slots;
      const sc = run.scales;
      const cx = camera.position.x, cy = camera.position.y, cz = camera.position.z;
      // Pixels that one unit spans at a distance of one from the camera.
      const pixelsAtOne = renderer.domElement.height / (2 * Math.tan(camera.fov * Math.PI / 360));
      let v = 0; // vertices written
      for (let bi = 0; bi < batches.length; bi++) {
        const batch = batches[bi];
        const part = parts[batch.shape];
        const corners = part.corners, normals = part.normals, triangles = part.triangles;
        const cr = batch.colour.r * 255, cg = batch.colour.g * 255, cb = batch.colour.b * 255;
        const mr = batch.markColour.r * 255, mg = batch.markColour.g * 255, mb = batch.markColour.b * 255;
        const arrow = arrows[batch.shape];
        // Below this squared distance an agent is drawn whole (large crowds only).
        const detailReach = arrow.size * pixelsAtOne / kDetailPixels;
        const detailSquared = largeCrowd ? detailReach * detailReach : Infinity;
        // The top face's light, for agents drawn as one triangle.
        const topLight = Math.min(1, sky + sun * ly);
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
          rotation[0] = r0; rotation[1] = r1; rotation[2] = r2;
          rotation[3] = r4; rotation[4] = r5; rotation[5] = r6;
          rotation[6] = r8; rotation[7] = r9; rotation[8] = r10;
          const ex = tx - cx, ey = ty - cy, ez = tz - cz;
          if (ex * ex + ey * ey + ez * ez > detailSquared) {
            v = writeArrow(arrow.whole, v, rotation, tx, ty, tz, sx, sy, sz, cr * topLight,
                           cg * topLight, cb * topLight);
            continue;
          }
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
          v = writeArrow(arrow.mark, v, rotation, tx, ty, tz, sx, sy, sz, mr, mg, mb);
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

  // Obstacles, terrain, curves, scenery, and the goals and targets (nulls, as markers).
  const pieces = run.pieces.map(function (piece) {
    const group = new THREE.Group();
    group.name = piece.name;
    group.matrixAutoUpdate = false;
    if (piece.kind === 'marker') {
      scene.add(group);
      return { group: group, transforms: piece.transforms, marker: true, name: piece.name,
               colour: piece.colour };
    }
    const shape = run.shapes[piece.shape];
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
    return { group: group, transforms: piece.transforms, marker: false };
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
  // The markers do not count: a goal far away would leave the crowd a speck.
  pieces.forEach(function (piece) {
    piece.group.matrix.copy(matrixOf(piece.transforms[0]));
    piece.group.updateMatrixWorld(true);
    if (!piece.marker) box.expandByObject(piece.group);
  });
  if (box.isEmpty()) box.set(new THREE.Vector3(-1, 0, -1), new THREE.Vector3(1, 1, 1));
  const centre = box.getCenter(new THREE.Vector3());
  const size = box.getSize(new THREE.Vector3());
  const radius = Math.max(size.length() / 2, 1);
  const groundY = box.min.y;

  // The ground grid in squares of 1, 2 or 5 times a power of ten metres, about a tenth of
  // the scene across; the panel says their size.
  const gridStep = niceStep(Math.max(size.x, size.z, 0.2) / 10);
  const gridLines = 2 * Math.ceil(Math.max(size.x, size.z, 2 * gridStep) * 0.75 / gridStep);
  const grid = new THREE.GridHelper(gridLines * gridStep, gridLines, 0x4b525a, 0x33393f);
  grid.position.set(Math.round(centre.x / gridStep) * gridStep, groundY,
                    Math.round(centre.z / gridStep) * gridStep);
  scene.add(grid);
  document.getElementById('scale').textContent = 'grid squares: ' + lengthText(gridStep);

  function niceStep(x) {
    const power = Math.pow(10, Math.floor(Math.log10(x)));
    for (const m of [1, 2, 5, 10]) {
      if (power * m >= x) return power * m;
    }
    return power * 10;
  }
  function lengthText(metres) {
    if (metres >= 1000) return +(metres / 1000).toPrecision(3) + ' km';
    if (metres >= 1) return +metres.toPrecision(3) + ' m';
    return +(metres * 100).toPrecision(3) + ' cm';
  }

  // The axis marker at the scene's origin, one grid square long, in the scene's own axes:
  // X red, Y (up) green, Z blue; the scene's +Z is the page's -Z.
  (function () {
    const l = gridStep;
    const geometry = new THREE.BufferGeometry();
    geometry.setAttribute('position', new THREE.Float32BufferAttribute(
      [0, 0, 0, l, 0, 0, 0, 0, 0, 0, l, 0, 0, 0, 0, 0, 0, -l], 3));
    geometry.setAttribute('color', new THREE.Float32BufferAttribute(
      [1, 0.3, 0.3, 1, 0.3, 0.3, 0.4, 0.9, 0.4, 0.4, 0.9, 0.4, 0.35, 0.55, 1, 0.35, 0.55, 1], 3));
    const axes = new THREE.LineSegments(geometry, new THREE.LineBasicMaterial({
      vertexColors: THREE.VertexColors, depthTest: false }));
    axes.name = 'axes';
    axes.renderOrder = 2;
    axes.position.y = groundY;
    scene.add(axes);
  })();

  // The markers: a ring on the ground and a pole, drawn over everything like the curves,
  // with the null's name beside it.
  const markerSize = Math.max(gridStep * 0.4, 0.2);
  const markerGeometry = (function () {
    const points = [];
    for (let i = 0; i < 24; i++) {
      const a = i * Math.PI / 12, b = (i + 1) * Math.PI / 12;
      points.push(markerSize * Math.cos(a), 0, markerSize * Math.sin(a),
                  markerSize * Math.cos(b), 0, markerSize * Math.sin(b));
    }
    points.push(0, 0, 0, 0, markerSize * 3, 0);
    const geometry = new THREE.BufferGeometry();
    geometry.setAttribute('position', new THREE.Float32BufferAttribute(points, 3));
    return geometry;
  })();
  const markerLayer = document.getElementById('markers');
  pieces.forEach(function (piece) {
    if (!piece.marker) return;
    const lines = new THREE.LineSegments(markerGeometry, new THREE.LineBasicMaterial({
      color: piece.colour, depthTest: false }));
    lines.renderOrder = 1;
    piece.group.add(lines);
    piece.label = document.createElement('span');
    piece.label.className = 'marker';
    piece.label.textContent = piece.name;
    piece.label.style.color = piece.colour;
    markerLayer.appendChild(piece.label);
  });
  const markerPoint = new THREE.Vector3();
  function placeMarkerLabels() {
    const width = view.clientWidth, height = view.clientHeight;
    pieces.forEach(function (piece) {
      if (!piece.marker) return;
      markerPoint.set(0, markerSize * 3, 0).applyMatrix4(piece.group.matrix).project(camera);
      const shows = markerPoint.z < 1 && Math.abs(markerPoint.x) <= 1 && Math.abs(markerPoint.y) <= 1;
      piece.label.style.display = shows ? '' : 'none';
      piece.label.style.transform = 'translate(' + ((markerPoint.x + 1) / 2 * width).toFixed(1) +
        'px,' + ((1 - markerPoint.y) / 2 * height).toFixed(1) + 'px)';
    });
  }

  const camera = new THREE.PerspectiveCamera(45, 1, radius / 100, radius * 100);
  camera.position.set(centre.x + radius * 1.2, centre.y + radius * 1.1, centre.z + radius * 1.8);
  const controls = new THREE.OrbitControls(camera, renderer.domElement);
  controls.target.copy(centre);
  controls.screenSpacePanning = true;
  // The orbit stays above the ground: never level with it or below, and panning does not
  // take the camera under it.
  controls.maxPolarAngle = Math.PI / 2 - 0.05;
  controls.update();
  function keepAboveGround() {
    const floor = groundY + radius * 0.01;
    if (controls.target.y < groundY) controls.target.y = groundY;
    if (camera.position.y < floor) camera.position.y = floor;
  }

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
    placeMarkerLabels(); // after the camera's matrices are brought up to date for the picture
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
  controls.addEventListener('change', function () {
    keepAboveGround();
    dirty = true;
  });

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
  // The address's frame and play; a later change of the address applies the same way.
  function applyAddress(options) {
    showFrame(options.frame === null ? 0 : options.frame - run.start);
    setPlaying(options.play);
  }
  applyAddress(address);
  window.addEventListener('hashchange', function () {
    applyAddress(addressOptions(window.location.hash));
  });
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
