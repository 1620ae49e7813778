"""Lists every mesh of a glTF file as Blender's glTF importer reads it, with its shape keys: a
check from outside that a written avatar opens with every morph named. Needs Debian's blender
(scripts/install-deps.sh --peer):

    PATH=/usr/bin:$PATH blender -b --factory-startup --python scripts/blender-shape-keys.py -- out.glb

prints "MESH <name> <vertices> [<shape keys>]" per mesh object.
"""
import sys

import numpy

# Debian 12's Blender importer still uses numpy.bool, which its numpy no longer has.
if not hasattr(numpy, "bool"):
    numpy.bool = bool

import bpy  # noqa: E402

bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.import_scene.gltf(filepath=sys.argv[sys.argv.index("--") + 1])
for o in sorted(bpy.data.objects, key=lambda o: o.name):
    if o.type == "MESH":
        keys = [k.name for k in o.data.shape_keys.key_blocks] if o.data.shape_keys else []
        print("MESH", o.name, len(o.data.vertices), keys)
