"""Converting a game's models and scenes with kzomaker, one action each.

    load("@kzo_tools//:kzo.bzl", "kzo_model")

    kzo_model(
        name = "robot",
        src = "robot.lws",
        inputs = ["Objects/arm.3ds", "Objects/base.3ds", "Objects/floor.3ds"],
        shading = "precalc-gouraud",
        light = True,
    )

converts robot.lws into robot.kzo and robot.kzl in the package's output
folder, named as kzomaker names them (the textures a model file holds go into
one folder, tank_textures for tank.glb). The action's inputs are the source,
`inputs` (every object a scene loads, every file a model names: `kzomaker
--list-inputs` prints them, kzo_inputs.sh writes them as a .bzl file) and
kzomaker with its modules; its outputs are every file kzomaker writes for
those options. So the conversion runs in Bazel's sandbox or on a remote
executor, and its result is cached by the bytes of all of them.
"""

# kzomaker's options that change what it writes or whether it writes it, one
# line each, as kzo_add_models() takes them: the attribute, its kind, the
# option, and the side file the option makes a scene write (None: no file of
# its own).
# Kinds: "flag" (a bool, the option given when True), "value" (a string, the
# option and the value given when not empty), "values" (a list of strings,
# the option given once for each).
_OPTIONS = [
    ("shading", "value", "--shading", None),
    ("scale", "value", "--scale", None),
    ("shadow_test", "value", "--shadow-test", None),
    ("animation", "flag", "--animation", "mot"),
    ("camera", "flag", "--camera", "cam"),
    ("light", "flag", "--light", "kzl"),
    ("fit", "flag", "--fit", None),
    ("fps", "value", "--fps", None),
    # Folders (from the workspace's root) besides the source's own whose files
    # the source may name; those files belong in inputs all the same.
    ("search_path", "values", "--search-path", None),
    # The model reader's limits (MiB, seconds, as text), for a model of
    # another format larger or slower to read than the defaults allow.
    ("reader_memory", "value", "--reader-memory", None),
    ("reader_timeout", "value", "--reader-timeout", None),
    ("occlusion", "flag", "--occlusion", None),
    ("bounce", "flag", "--bounce", None),
    ("occlusion_rays", "value", "--occlusion-rays", None),
    ("occlusion_distance", "value", "--occlusion-distance", None),
]

_ATTRIBUTE_KINDS = {
    "flag": attr.bool,
    "value": attr.string,
    "values": attr.string_list,
}

# A scene with the light option writes its .kzl even without lights, so the
# declared file always exists; other files do not change.
_ALWAYS = ["-q", "--empty-light-file"]

def _output_names(src):
    """The names kzomaker gives the outputs of src.

    A name ending in 3ds or lws (any letter case) has those three characters
    replaced by kzo, without looking for a dot; any other name has the
    extension after its last dot replaced. A LightWave scene and a model of
    another format write side files; such a model may also hold textures,
    which go into a folder named after it (tank_textures for tank.glb).

    Returns:
      (the .kzo file's name, the side files' name before their extension or
      None, the textures' folder or None)
    """
    name = src.rpartition(":")[2].rpartition("/")[2]
    last3 = name[-3:].lower()
    if len(name) >= 3 and last3 in ("3ds", "lws"):
        stem = name[:-3]
        return stem + "kzo", (stem if last3 == "lws" else None), None
    dot = name.rfind(".")
    if dot < 0:
        fail("kzo_model: '%s' has no extension, by which kzomaker chooses its reader" % src)
    extension = name[dot + 1:].lower()
    if extension in ("kzo", "mot", "cam", "kzl"):
        fail("kzo_model: '%s' is one of the engine's own files, which kzomaker writes" % src)
    if extension == "lwo":
        return name[:dot + 1] + "kzo", None, None
    return name[:dot + 1] + "kzo", name[:dot + 1], name[:dot] + "_textures"

def _kzo_model_impl(ctx):
    outputs = list(ctx.outputs.outs)
    args = ctx.actions.args()
    args.add_all(_ALWAYS)

    # Their number is known only once the model is read: one declared folder.
    texture_folder = _output_names(ctx.file.src.basename)[2]
    if texture_folder:
        textures = ctx.actions.declare_directory(texture_folder)
        args.add("--texture-dir", textures.path)
        outputs.append(textures)
    for attribute, kind, option, _ in _OPTIONS:
        value = getattr(ctx.attr, attribute)
        if kind == "flag" and value:
            args.add(option)
        elif kind == "value" and value:
            args.add(option, value)
        elif kind == "values":
            for item in value:
                args.add(option, item)
    args.add("--output-dir", ctx.outputs.outs[0].dirname)
    args.add("--")
    args.add(ctx.file.src)

    # Only the declared modules are looked for first, wherever the action
    # runs; the environment is this alone.
    env = {}
    if ctx.files._modules:
        env["KZO_MODULE_DIR"] = ctx.files._modules[0].dirname
    ctx.actions.run(
        executable = ctx.executable._kzomaker,
        arguments = [args],
        inputs = [ctx.file.src] + ctx.files.inputs,
        tools = ctx.files._modules,
        outputs = outputs,
        env = env,
        mnemonic = "KzoMaker",
        progress_message = "Converting %s" % ctx.file.src.short_path,
    )
    return [DefaultInfo(files = depset(outputs))]

def _conversion_attributes():
    attributes = {
        "src": attr.label(allow_single_file = True, mandatory = True),
        "inputs": attr.label_list(allow_files = True),
        "outs": attr.output_list(mandatory = True),
        "_kzomaker": attr.label(
            default = Label("//:bin/kzomaker"),
            allow_single_file = True,
            executable = True,
            cfg = "exec",
        ),
        "_modules": attr.label(default = Label("//:kzomaker_modules"), cfg = "exec"),
    }
    for attribute, kind, _, _ in _OPTIONS:
        attributes[attribute] = _ATTRIBUTE_KINDS[kind]()
    return attributes

_kzo_conversion = rule(
    implementation = _kzo_model_impl,
    attrs = _conversion_attributes(),
)

def _kzo_output_owner_impl(_ctx):
    return []

# Which target of the package writes a .kzo file; the marker is named after
# the file, so that a second writer is found at once, however large the
# package.
_kzo_output_owner = rule(
    implementation = _kzo_output_owner_impl,
    attrs = {"target": attr.string(), "src": attr.string()},
)

def kzo_model(name, src, inputs = [], **attributes):
    """Converts src with kzomaker into the package's output folder.

    Args:
      name: the target; its files are the outputs.
      src: the model or scene to convert (.3ds, .lws, .lwo, or any model
        format kzomaker reads through assimp).
      inputs: every other file the conversion reads: a scene's objects, the
        buffers and material libraries a model names. A file left out is
        missing in the sandbox, and the conversion fails naming it.
      **attributes: one per kzomaker option that changes what it writes
        (shading, scale, shadow_test, animation, camera, light, fit, ...: the
        table at the head of this file), valued as kzomaker reads them, and
        the attributes every rule has (visibility, tags, ...). A scene (a
        LightWave scene, or a model of another format) also writes the .mot,
        .cam and .kzl files that animation, camera and light ask for, and a
        model of another format the textures it holds, into the folder
        NAME_textures.
    """
    kzo, side_stem, _ = _output_names(src)
    owner = "%s.kzo_model_output" % kzo
    earlier = native.existing_rule(owner)
    if earlier:
        fail(("kzo_model '%s': '%s' would write %s, which kzo_model '%s' writes from '%s' " +
              "in this package already; kzomaker names its outputs after the source's file " +
              "name, so sources of one name belong in packages of their own") %
             (name, src, kzo, earlier["target"], earlier["src"]))
    _kzo_output_owner(name = owner, target = name, src = src, visibility = ["//visibility:private"])

    outs = [kzo]
    for attribute, _, _, side_file in _OPTIONS:
        if side_stem != None and side_file and attributes.get(attribute, False):
            outs.append(side_stem + side_file)
    _kzo_conversion(name = name, src = src, inputs = inputs, outs = outs, **attributes)
