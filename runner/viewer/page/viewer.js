// The viewer page: the Source with its morphs (left) and the result on the Destination (right),
// drawn by three.js with one camera for both halves, so that they turn, zoom and pan together.
// The runner puts the data block (#data) in the page: meshes and each morph's moved vertices as
// base64 typed arrays, the colours of the pictures. The state lives in the URL fragment:
//   #element=NAME&weight=W[&element=NAME&weight=W...][&view=front|side|top][&wireframe=1]
// one element shows it alone, several mix them.
'use strict';
(function () {
  const data = JSON.parse(document.getElementById('data').textContent);
  const OUTLINE = 0x3d6bff; // faces whose attributes were not copied
  const WIRE = 0x15161c;

  function decode(block) {
    const text = atob(block.data);
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
    const types = { uint8: Uint8Array, uint16: Uint16Array, uint32: Uint32Array, float32: Float32Array };
    return new types[block.type](bytes.buffer);
  }

  const colour = (c) => new THREE.Color(c[0], c[1], c[2]);
  const css = (c) => '#' + colour(c).getHexString();

  // The pictures' ramp: still (0), halfway (0.5), most (1).
  function ramp(t, out, i) {
    const c = data.colours;
    t = Math.min(Math.max(t, 0), 1);
    const [a, b, s] = t < 0.5 ? [c.still, c.halfway, t * 2] : [c.halfway, c.most, (t - 0.5) * 2];
    for (let k = 0; k < 3; ++k) out[i + k] = a[k] + (b[k] - a[k]) * s;
  }

  // Faces cut into fans (as the pictures cut them) and their edges, each once.
  function topology(mesh, vertexCount) {
    const sizes = decode(mesh.faceSizes), points = decode(mesh.facePoints);
    const starts = new Uint32Array(sizes.length + 1);
    let triangles = 0;
    for (let f = 0; f < sizes.length; ++f) {
      starts[f + 1] = starts[f] + sizes[f];
      if (sizes[f] >= 3) triangles += sizes[f] - 2;
    }
    const Index = vertexCount > 65535 ? Uint32Array : Uint16Array;
    const tris = new Index(triangles * 3);
    const edges = [], seen = new Set();
    let t = 0;
    for (let f = 0; f < sizes.length; ++f) {
      const s = starts[f], n = sizes[f];
      for (let i = 1; i + 1 < n; ++i) {
        tris[t++] = points[s]; tris[t++] = points[s + i]; tris[t++] = points[s + i + 1];
      }
      for (let i = 0; n >= 2 && i < n; ++i) {
        const a = points[s + i], b = points[s + (i + 1) % n];
        const key = Math.min(a, b) * vertexCount + Math.max(a, b);
        if (!seen.has(key)) { seen.add(key); edges.push(a, b); }
      }
    }
    return { sizes, points, starts, tris, edges: new Index(edges), Index };
  }

  function faceEdges(topo, faces) {
    const out = [];
    for (const f of faces) {
      const s = topo.starts[f], n = topo.sizes[f];
      for (let i = 0; n >= 2 && i < n; ++i) out.push(topo.points[s + i], topo.points[s + (i + 1) % n]);
    }
    return new topo.Index(out);
  }

  // Lines or points over the mesh's own positions, so that they follow the morph.
  function overlay(Kind, position, index, material) {
    const geometry = new THREE.BufferGeometry();
    geometry.setAttribute('position', position);
    geometry.setIndex(new THREE.BufferAttribute(index, 1));
    const object = new Kind(geometry, material);
    object.frustumCulled = false;
    return object;
  }

  function makeSide(mesh) {
    const base = decode(mesh.positions), count = base.length / 3;
    const topo = topology(mesh, count);
    const geometry = new THREE.BufferGeometry();
    const position = new THREE.BufferAttribute(new Float32Array(base), 3);
    const colours = new Float32Array(base.length);
    for (let v = 0; v < count; ++v) ramp(0, colours, v * 3);
    const colourAttribute = new THREE.BufferAttribute(colours, 3);
    geometry.setAttribute('position', position);
    geometry.setAttribute('color', colourAttribute);
    geometry.setIndex(new THREE.BufferAttribute(topo.tris, 1));
    geometry.computeVertexNormals();
    const surface = new THREE.Mesh(geometry, new THREE.MeshLambertMaterial({
      vertexColors: THREE.VertexColors, side: THREE.DoubleSide,
      polygonOffset: true, polygonOffsetFactor: 1, polygonOffsetUnits: 1 }));
    surface.frustumCulled = false;
    const scene = new THREE.Scene();
    scene.background = colour(data.colours.background);
    scene.add(surface, new THREE.AmbientLight(0xffffff, 0.3));
    const light = new THREE.DirectionalLight(0xffffff, 0.8);
    scene.add(light, light.target);
    const wireMaterial = new THREE.LineBasicMaterial({ color: WIRE });
    const wire = overlay(THREE.LineSegments, position, topo.edges, wireMaterial);
    scene.add(wire);
    return { name: mesh.name, base, count, topo, geometry, position, colourAttribute, scene, light, wire,
             touched: [], mask: new Uint8Array(count) };
  }

  function markers(side, block, c) {
    const index = decode(block);
    const points = overlay(THREE.Points, side.position, index,
      new THREE.PointsMaterial({ color: colour(c), size: 7, sizeAttenuation: false }));
    side.scene.add(points);
    return { points, count: index.length };
  }

  function offsetsOf(block) {
    return { vertices: decode(block.vertices), offsets: decode(block.offsets) };
  }

  function largestOffset(side) {
    let largest = 0;
    for (let k = 0; k < side.vertices.length; ++k) {
      const o = side.offsets;
      const d = Math.hypot(o[3 * k], o[3 * k + 1], o[3 * k + 2]);
      if (isFinite(d)) largest = Math.max(largest, d);
    }
    return largest;
  }

  const left = makeSide(data.source), right = makeSide(data.result);
  const morphs = data.morphs.map((m) => {
    const morph = { name: m.name, sourceName: m.sourceName, source: offsetsOf(m.source),
                    result: offsetsOf(m.result), weight: 1, on: false, faces: m.unpairedFaces };
    morph.largest = Math.max(largestOffset(morph.source), largestOffset(morph.result));
    return morph;
  });
  const added = markers(right, data.addedVertices, data.colours.added);
  const rewritten = markers(right, data.rewrittenVertices, data.colours.rewritten);
  const outlineMaterial = new THREE.LineBasicMaterial({ color: OUTLINE });
  const outlines = data.unpairedFaceSets.map((block) => {
    const faces = decode(block);
    const edges = faceEdges(right.topo, faces);
    const lines = overlay(THREE.LineSegments, right.position, edges, outlineMaterial);
    lines.visible = false;
    right.scene.add(lines);
    return { lines, count: faces.length };
  });

  // Positions and colours of one side for the morphs shown at their weights.
  function pose(side, which) {
    const pos = side.position.array, cols = side.colourAttribute.array;
    for (const v of side.touched) {
      side.mask[v] = 0;
      for (let k = 0; k < 3; ++k) pos[3 * v + k] = side.base[3 * v + k];
      ramp(0, cols, 3 * v);
    }
    side.touched = [];
    let scale = 0;
    for (const m of morphs) {
      if (!m.on) continue;
      scale = Math.max(scale, m.largest);
      const { vertices, offsets } = m[which];
      for (let k = 0; k < vertices.length; ++k) {
        const v = vertices[k];
        if (!side.mask[v]) { side.mask[v] = 1; side.touched.push(v); }
        for (let c = 0; c < 3; ++c) pos[3 * v + c] += m.weight * offsets[3 * k + c];
      }
    }
    for (const v of side.touched) {
      const d = Math.hypot(pos[3 * v] - side.base[3 * v], pos[3 * v + 1] - side.base[3 * v + 1],
                           pos[3 * v + 2] - side.base[3 * v + 2]);
      ramp(scale > 0 && isFinite(d) ? d / scale : 0, cols, 3 * v);
    }
    side.position.needsUpdate = true;
    side.colourAttribute.needsUpdate = true;
    side.geometry.computeVertexNormals();
  }

  // One camera for both halves, fitted on both meshes.
  const canvas = document.getElementById('canvas');
  let renderer;
  try {
    renderer = new THREE.WebGLRenderer({ canvas, antialias: true });
  } catch (e) {
    const message = document.getElementById('message');
    message.textContent = 'This browser gives the page no WebGL, so the meshes cannot be drawn.';
    message.hidden = false;
    return;
  }
  renderer.setPixelRatio(window.devicePixelRatio || 1);
  const box = new THREE.Box3();
  for (const side of [left, right]) {
    side.geometry.computeBoundingBox();
    if (side.count > 0) box.union(side.geometry.boundingBox);
  }
  const centre = box.isEmpty() ? new THREE.Vector3() : box.getCenter(new THREE.Vector3());
  const radius = box.isEmpty() ? 1 : Math.max(box.getSize(new THREE.Vector3()).length() / 2, 1e-6);
  const camera = new THREE.PerspectiveCamera(30, 1, radius / 100, radius * 100);
  const controls = new THREE.OrbitControls(camera, canvas);
  let looking = false; // the camera is being put on a named view
  controls.addEventListener('change', () => {
    if (!looking && state.view) { state.view = null; writeState(); }
    draw();
  });

  // Front: from +z; side: from +x; top: from +y, the front towards the bottom of the screen.
  const views = { front: [0, 0, 1], side: [1, 0, 0], top: [0, 1, 1e-4] };
  function look(view) {
    looking = true;
    const d = views[view] || views.front;
    const aspect = Math.max(canvas.clientWidth / 2, 1) / Math.max(canvas.clientHeight, 1);
    const half = THREE.Math.degToRad(camera.fov / 2);
    const distance = (radius / Math.sin(Math.min(half, Math.atan(Math.tan(half) * aspect)))) * 1.05;
    camera.position.set(d[0], d[1], d[2]).normalize().multiplyScalar(distance).add(centre);
    controls.target.copy(centre);
    camera.lookAt(centre);
    controls.update();
    looking = false;
  }

  let frames = 0, pending = false;
  function render() {
    pending = false;
    const width = canvas.clientWidth, height = canvas.clientHeight;
    if (canvas.width !== Math.floor(width * renderer.getPixelRatio()) ||
        canvas.height !== Math.floor(height * renderer.getPixelRatio()))
      renderer.setSize(width, height, false);
    const half = Math.floor(width / 2);
    camera.aspect = half / Math.max(height, 1);
    camera.updateProjectionMatrix();
    camera.updateMatrixWorld();
    renderer.setScissorTest(true);
    [[left, 0, half], [right, half, width - half]].forEach(([side, x, w]) => {
      // The pictures' light: from above right of the viewer, turning with the camera.
      side.light.position.set(0.35, 0.55, 0.75).applyMatrix4(camera.matrixWorld);
      side.light.target.position.copy(camera.position);
      renderer.setViewport(x, 0, w, height);
      renderer.setScissor(x, 0, w, height);
      renderer.render(side.scene, camera);
    });
    window.viewerFrames = ++frames;
  }
  function draw() {
    if (!pending) { pending = true; requestAnimationFrame(render); }
  }

  // The state, read from the fragment and written back to it.
  const state = { view: 'front', wireframe: false, markers: true, outlines: true, unknown: [] };
  const toggles = ['wireframe', 'markers', 'outlines']; // check boxes of the same ids
  // A morph by its new element's name, its Source element's name, or its morph name alone
  // (the part of "elem:<morph>-<object>" before the first "-").
  const morphPart = (name) => (/^elem:([^-]*)-/.exec(name) || [])[1];
  function findMorph(name) {
    return morphs.find((m) => m.name === name) || morphs.find((m) => m.sourceName === name) ||
      morphs.find((m) => morphPart(m.name) === name);
  }
  function readState() {
    const pairs = location.hash.replace(/^#/, '').split('&').filter((p) => p).map((p) => {
      const eq = p.indexOf('=');
      const decodeOr = (t) => { try { return decodeURIComponent(t); } catch (e) { return t; } };
      return eq < 0 ? [decodeOr(p), ''] : [decodeOr(p.slice(0, eq)), decodeOr(p.slice(eq + 1))];
    });
    morphs.forEach((m) => { m.on = false; m.weight = 1; });
    state.unknown = [];
    state.view = 'front';
    state.wireframe = false;
    let last = null;
    for (const [key, value] of pairs) {
      if (key === 'element') {
        last = findMorph(value) || null;
        if (last) last.on = true; else state.unknown.push(value);
      } else if (key === 'weight') {
        const w = parseFloat(value);
        const target = last || morphs.find((m) => m.on) || morphs[0];
        if (target && isFinite(w)) { target.weight = Math.min(Math.max(w, 0), 1); target.on = true; }
      } else if (key === 'view' && views[value]) {
        state.view = value;
      } else if (key === 'wireframe') {
        state.wireframe = value === '1';
      }
    }
    // No element asked for: the first one.
    if (!morphs.some((m) => m.on) && morphs.length > 0 && state.unknown.length === 0)
      morphs[0].on = true;
  }
  // Names as a fragment carries them: "&", "=", "%", "#", spaces and the like escaped.
  const fragmentText = (text) => encodeURIComponent(text).replace(/%(3A|2F|40|2C)/g, decodeURIComponent);
  // Written a moment after the last change, so that dragging a slider does not flood the history.
  let writing = null;
  function writeState() {
    clearTimeout(writing);
    writing = setTimeout(() => {
      const parts = [];
      for (const m of morphs)
        if (m.on) parts.push('element=' + fragmentText(m.name), 'weight=' + +m.weight.toFixed(3));
      if (state.view) parts.push('view=' + state.view);
      if (state.wireframe) parts.push('wireframe=1');
      const hash = '#' + parts.join('&');
      if (hash === location.hash) return;
      try {
        history.replaceState(null, '', hash);
      } catch (e) {
        location.replace(hash);
      }
    }, 150);
  }

  // The panel.
  const list = document.getElementById('morphs');
  const rows = morphs.map((m) => {
    const row = document.createElement('div');
    row.className = 'morph';
    const tick = document.createElement('input');
    tick.type = 'checkbox';
    tick.title = 'mix this morph in';
    const name = document.createElement('span');
    name.className = 'name';
    name.textContent = m.name;
    name.title = m.sourceName && m.sourceName !== m.name ? 'from ' + m.sourceName : m.name;
    const value = document.createElement('span');
    value.className = 'value';
    const slider = document.createElement('input');
    slider.type = 'range';
    slider.min = 0; slider.max = 1; slider.step = 0.01;
    row.append(tick, name, value, slider);
    list.append(row);
    tick.addEventListener('change', () => { m.on = tick.checked; changed(); });
    name.addEventListener('click', () => { morphs.forEach((o) => { o.on = o === m; }); changed(); });
    slider.addEventListener('input', () => { m.weight = +slider.value; m.on = true; changed(); });
    return { row, tick, value, slider };
  });
  if (morphs.length === 0) list.textContent = 'The run made no element from a Source element.';

  function legend() {
    const c = data.colours;
    const item = (swatch, text) => {
      const line = document.createElement('div');
      line.append(swatch, document.createTextNode(text));
      return line;
    };
    const swatch = (colourText, className) => {
      const s = document.createElement('span');
      s.className = className || 'swatch';
      s.style.background = colourText;
      return s;
    };
    const largest = Math.max(0, ...morphs.filter((m) => m.on).map((m) => m.largest));
    const items = [
      item(swatch(`linear-gradient(to right, ${css(c.still)}, ${css(c.halfway)}, ${css(c.most)})`,
                  'ramp'), `offset 0 to ${largest.toPrecision(3)}`),
      item(swatch(css(c.added)), `added vertices (${added.count})`),
    ];
    if (rewritten.count > 0)
      items.push(item(swatch(css(c.rewritten)), `rewritten by the surface mode (${rewritten.count})`));
    const shown = outlines[activeFaceSet()];
    if (!data.facePassRan)
      items.push(item(swatch('transparent'), 'no face attributes were copied in this run'));
    else
      items.push(item(swatch('#' + new THREE.Color(OUTLINE).getHexString()),
                      `faces not paired (${shown ? shown.count : 0})`));
    document.getElementById('legend').replaceChildren(...items);
  }

  // The faces not paired of the morph shown (of the first one, when several are mixed).
  function activeFaceSet() {
    const m = morphs.find((o) => o.on);
    return m ? m.faces : -1;
  }

  function show() {
    const shownNames = morphs.filter((m) => m.on).map((m) => `${m.name} × ${m.weight.toFixed(2)}`);
    const what = shownNames.length ? ' + ' + shownNames.join(', ') : '';
    document.getElementById('caption-source').textContent = `Source “${left.name}”${what}`;
    document.getElementById('caption-result').textContent = `Result on “${right.name}”${what}`;
    morphs.forEach((m, k) => {
      rows[k].tick.checked = m.on;
      rows[k].slider.value = m.weight;
      rows[k].value.textContent = m.weight.toFixed(2);
      rows[k].row.classList.toggle('shown', m.on);
    });
    for (const toggle of toggles) document.getElementById(toggle).checked = state[toggle];
    left.wire.visible = right.wire.visible = state.wireframe;
    added.points.visible = rewritten.points.visible = state.markers;
    outlines.forEach((o, k) => { o.lines.visible = state.outlines && k === activeFaceSet(); });
    const notice = document.getElementById('notice');
    notice.hidden = state.unknown.length === 0;
    const unknown = state.unknown.map((n) => `“${n}”`).join(', ');
    notice.textContent = `No element named ${unknown} in this run.`;
    pose(left, 'source');
    pose(right, 'result');
    legend();
    draw();
  }
  function changed() {
    writeState();
    show();
  }

  document.title = data.title + ' — Tovalinder viewer';
  document.getElementById('title').textContent = data.title;
  const rate = document.getElementById('rate');
  rate.textContent = `Rate ${+(data.rate * 100).toPrecision(6)} %: the result carries ` +
    `${+data.rate.toPrecision(6)} × each Source morph` + (data.rate < 0 ? ', reversed.' : '.');
  document.querySelectorAll('#views button').forEach((b) =>
    b.addEventListener('click', () => { state.view = b.dataset.view; look(state.view); changed(); }));
  for (const toggle of toggles)
    document.getElementById(toggle).addEventListener('change', (e) => {
      state[toggle] = e.target.checked;
      changed();
    });
  const viewKeys = { f: 'front', s: 'side', t: 'top' };
  const toggleKeys = { w: 'wireframe', a: 'markers', o: 'outlines' };
  window.addEventListener('keydown', (e) => {
    if (e.ctrlKey || e.metaKey || e.altKey) return;
    const key = e.key.toLowerCase();
    if (viewKeys[key]) {
      state.view = viewKeys[key];
      look(state.view);
    } else if (toggleKeys[key]) {
      state[toggleKeys[key]] = !state[toggleKeys[key]];
    } else {
      return;
    }
    changed();
  });
  window.addEventListener('resize', draw);
  window.addEventListener('hashchange', () => { readState(); look(state.view); show(); });

  readState();
  look(state.view);
  show();
})();
