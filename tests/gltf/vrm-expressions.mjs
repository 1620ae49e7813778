// Loads VRM files with three.js and @pixiv/three-vrm, as VRM viewers and web apps do, and prints
// for each file what every expression does at weight 1: for every primitive (by its glTF mesh and
// primitive index) the base positions and, per expression, each vertex's displacement (the sum of
// the morph targets' deltas, each times the influence the expression gives it).
// Usage: node vrm-expressions.mjs MODULES_FOLDER FILE...   (prints one JSON object, by file)
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const [modules, ...files] = process.argv.slice(2);
const from = (relative) => import(pathToFileURL(path.join(modules, relative)).href);
const { GLTFLoader } = await from('three/examples/jsm/loaders/GLTFLoader.js');
const { VRMLoaderPlugin } = await from('@pixiv/three-vrm/lib/three-vrm.module.js');

function load(file) {
  const bytes = fs.readFileSync(file);
  const data = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
  const loader = new GLTFLoader();
  loader.register((parser) => new VRMLoaderPlugin(parser));
  return new Promise((resolve, reject) => loader.parse(data, '', resolve, reject));
}

function displacements(mesh) {
  const geometry = mesh.geometry;
  const count = geometry.attributes.position.count;
  const out = new Array(count * 3).fill(0);
  const targets = geometry.morphAttributes.position || [];
  targets.forEach((target, t) => {
    const influence = mesh.morphTargetInfluences[t];
    if (!influence) return;
    for (let v = 0; v < count; ++v) {
      out[3 * v] += influence * target.getX(v);
      out[3 * v + 1] += influence * target.getY(v);
      out[3 * v + 2] += influence * target.getZ(v);
    }
  });
  return out;
}

async function describe(file) {
  const gltf = await load(file);
  const vrm = gltf.userData.vrm;
  if (!vrm) throw new Error(`${file}: not loaded as a VRM`);
  const manager = vrm.expressionManager;
  const names = manager.expressions.map((e) => e.expressionName);
  const meshes = [];
  vrm.scene.traverse((o) => { if (o.isMesh) meshes.push(o); });
  const primitives = meshes.map((m) => {
    const where = gltf.parser.associations.get(m) || {};
    return { mesh: where.meshes, primitive: where.primitives ?? 0,
             base: Array.from(m.geometry.attributes.position.array), moves: {} };
  });
  for (const name of names) {
    for (const other of names) manager.setValue(other, 0);
    manager.setValue(name, 1);
    vrm.update(0);
    meshes.forEach((m, k) => { primitives[k].moves[name] = displacements(m); });
  }
  return { version: vrm.meta?.metaVersion, expressions: names, primitives };
}

const result = {};
for (const file of files) result[file] = await describe(file);
process.stdout.write(JSON.stringify(result));
