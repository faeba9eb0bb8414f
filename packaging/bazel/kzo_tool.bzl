"""A script of this repository that `bazel run` starts.

sh_binary would do, but it brings Bazel's launcher, which needs rules_cc from
the network; this repository needs nothing beyond itself. The script finds
kzomaker beside its own file, in this repository.
"""

def _kzo_tool_impl(ctx):
    runnable = ctx.actions.declare_file(ctx.label.name)
    ctx.actions.symlink(output = runnable, target_file = ctx.file.script, is_executable = True)
    return [DefaultInfo(executable = runnable)]

kzo_tool = rule(
    implementation = _kzo_tool_impl,
    attrs = {"script": attr.label(allow_single_file = True, mandatory = True)},
    executable = True,
)
