#!/usr/bin/env python3
"""Speed and memory of the command-line programs on the generated large models
and on a real one, against peer tools run on the same files in the same
session.

    scripts/measure_floor.py [--build DIR] [--runs N] [--check]

Compares, each pair as interleaved runs A B A B ... and the medians of them:
  convert   kzomaker converting the 19 906-vertex one-object .3ds
            against `assimp export` of it to .obj          (target A <= 0.30 B)
  real      the same for a real model: the parts of the two-cylinder engine of
            assimp's test models (Debian package assimp-testmodels) that fit
            the tables, 16 649 vertices and 19 460 triangles as written to
            .3ds by `assimp export`                        (target A <= 0.20 B)
  snapshot  `kzoview --snapshot` of the 1 036 800-triangle .3ds against
            `f3d --output` of it at the same picture size  (target A <= 0.25 B,
            peak memory of A <= 120 MB)
  shaded    `kzoview --snapshot --shaded` of that file against the wireframe
            `--snapshot`                                   (target A <= 2 B)
  info      `kzoview --info` against `kzoview --snapshot` of that file
                                                           (target A <= 1/3 B)

CPU time is user + system time of the finished child, from
getrusage(RUSAGE_CHILDREN) taken around each run; peak memory is the child's
ru_maxrss. Wall time is printed for reference only: the machine is shared.

The models come from the build's bench/models/make_bench_models. The peers are
measuring tools only, never dependencies of the project; a missing one is
skipped with a note. On Debian, as root:
    apt-get install --no-install-recommends assimp-utils f3d xvfb
f3d needs a display: the script starts one Xvfb server for all of its runs
(so that the server's own start-up is not counted against f3d), or uses the
DISPLAY it is given with --use-display.

With --check the exit status is 1 when a measured target is missed.
"""

import argparse
import json
import os
import resource
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

KIB_PER_MB = 1000.0 / 1.024  # ru_maxrss is in KiB; figures are printed in MB


class Run:
    def __init__(self, cpu, wall, peak_kib):
        self.cpu = cpu
        self.wall = wall
        self.peak_kib = peak_kib


def run_once(cmd, env, cwd):
    """Runs cmd to its end and returns its Run; raises on a failed exit."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    with tempfile.TemporaryFile() as err:
        proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=err, env=env, cwd=cwd)
        _, status, usage = os.wait4(proc.pid, 0)
        proc.returncode = os.waitstatus_to_exitcode(status)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        if proc.returncode != 0:
            err.seek(0)
            raise RuntimeError("%s exited with %d:\n%s" % (" ".join(cmd), proc.returncode,
                                                          err.read().decode(errors="replace")))
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return Run(cpu, wall, usage.ru_maxrss)


def median_run(runs):
    return Run(statistics.median(r.cpu for r in runs), statistics.median(r.wall for r in runs),
               statistics.median(r.peak_kib for r in runs))


def compare(name, a_label, a_cmd, b_label, b_cmd, runs, env, cwd):
    """Interleaved runs of a and b after one untimed run of each (page cache
    and dynamic loader warm for both alike); returns the medians."""
    run_once(a_cmd, env, cwd)
    run_once(b_cmd, env, cwd)
    a_runs, b_runs = [], []
    for _ in range(runs):
        a_runs.append(run_once(a_cmd, env, cwd))
        b_runs.append(run_once(b_cmd, env, cwd))
    a, b = median_run(a_runs), median_run(b_runs)
    print("%s (median of %d interleaved runs)" % (name, runs))
    for label, m, cmd in ((a_label, a, a_cmd), (b_label, b, b_cmd)):
        print("  %-9s cpu %8.1f ms  wall %8.1f ms  peak %7.1f MB   %s" %
              (label, m.cpu * 1e3, m.wall * 1e3, m.peak_kib / KIB_PER_MB, " ".join(cmd)))
    return a, b


def verdict(text, value, limit):
    ok = value <= limit
    print("  %-44s %6.3f  (target <= %.3f)  %s" % (text, value, limit, "ok" if ok else "MISSED"))
    return ok


def start_xvfb():
    """Starts an Xvfb server on a free display number; returns (process, display)."""
    for number in range(91, 140):
        if os.path.exists("/tmp/.X%d-lock" % number):
            continue
        server = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1280x1024x24",
                                   "-nolisten", "tcp"], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists("/tmp/.X11-unix/X%d" % number):
                return server, ":%d" % number
            if server.poll() is not None:
                break
            time.sleep(0.05)
        server.terminate()
        server.wait()
    return None, None


ENGINE = "/usr/share/assimp/models/glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb"


def engine_parts(source, target):
    """Writes the binary glTF source as target with only the meshes that fit
    the converter's tables together (20 000 vertices, 20 000 triangles), those
    with the most vertices per triangle first; returns their counts."""
    with open(source, "rb") as f:
        data = f.read()
    magic, version, _ = struct.unpack_from("<III", data, 0)
    json_length, json_type = struct.unpack_from("<II", data, 12)
    doc = json.loads(data[20:20 + json_length])
    rest = data[20 + json_length:]
    accessors = doc["accessors"]
    sizes = []
    for number, node in enumerate(doc["nodes"]):
        if "mesh" not in node:
            continue
        vertices = triangles = 0
        for primitive in doc["meshes"][node["mesh"]]["primitives"]:
            if primitive.get("mode", 4) == 4:
                vertices += accessors[primitive["attributes"]["POSITION"]]["count"]
                triangles += accessors[primitive["indices"]]["count"] // 3
        sizes.append((number, vertices, triangles))
    kept, vertices, triangles = set(), 0, 0
    for number, v, t in sorted(sizes, key=lambda s: -s[1] / max(s[2], 1)):
        if vertices + v <= 20000 and triangles + t <= 20000:
            kept.add(number)
            vertices += v
            triangles += t
    for number, node in enumerate(doc["nodes"]):
        if "mesh" in node and number not in kept:
            del node["mesh"]
    text = json.dumps(doc).encode()
    text += b" " * (-len(text) % 4)
    with open(target, "wb") as f:
        f.write(struct.pack("<III", magic, version, 20 + len(text) + len(rest)))
        f.write(struct.pack("<II", len(text), json_type) + text + rest)
    return vertices, triangles


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=os.path.join(root, "build"),
                        help="build directory holding the programs (default: build)")
    parser.add_argument("--kzomaker", help="kzomaker to measure (default: the build's)")
    parser.add_argument("--kzoview", help="kzoview to measure (default: the build's)")
    parser.add_argument("--runs", type=int, default=7, help="timed runs of each (default 7)")
    parser.add_argument("--use-display", action="store_true",
                        help="run f3d on the DISPLAY given instead of a private Xvfb")
    parser.add_argument("--check", action="store_true",
                        help="exit with status 1 when a target is missed")
    args = parser.parse_args()

    # The programs run in a directory of their own: every path is made whole.
    build = os.path.abspath(args.build)
    kzomaker = os.path.abspath(args.kzomaker or os.path.join(build, "converter/app/kzomaker"))
    kzoview = os.path.abspath(args.kzoview or os.path.join(build, "viewer/app/kzoview"))
    maker = os.path.join(build, "bench/models/make_bench_models")
    for path in (kzomaker, kzoview, maker):
        if not os.access(path, os.X_OK):
            sys.exit("measure_floor: no program %s (build it first)" % path)

    work = tempfile.mkdtemp(prefix="measure_floor.")
    xvfb = None
    env = dict(os.environ)
    met = True
    try:
        grid = os.path.join(work, "grid.3ds")
        tori = os.path.join(work, "tori.3ds")
        subprocess.run([maker, "grid", grid], check=True)
        subprocess.run([maker, "tori", tori], check=True)
        print("models: %s (%d bytes), %s (%d bytes)" %
              (grid, os.path.getsize(grid), tori, os.path.getsize(tori)))

        convert = [kzomaker, "-q", "-o", work, grid]
        if shutil.which("assimp"):
            a, b = compare("convert 19 906 vertices", "kzomaker", convert, "assimp",
                           ["assimp", "export", grid, os.path.join(work, "grid.obj")], args.runs,
                           env, work)
            met &= verdict("kzomaker / assimp export, cpu", a.cpu / b.cpu, 0.30)
        else:
            print("convert: skipped, no assimp (Debian package assimp-utils)")

        if shutil.which("assimp") and os.path.exists(ENGINE):
            parts = os.path.join(work, "engine.glb")
            engine = os.path.join(work, "engine.3ds")
            vertices, triangles = engine_parts(ENGINE, parts)
            subprocess.run(["assimp", "export", parts, engine], check=True,
                           stdout=subprocess.DEVNULL)
            a, b = compare("convert a real model (%d vertices, %d triangles)" %
                           (vertices, triangles), "kzomaker", [kzomaker, "-q", "-o", work, engine],
                           "assimp", ["assimp", "export", engine,
                                      os.path.join(work, "engine.obj")], args.runs, env, work)
            met &= verdict("kzomaker / assimp export, cpu", a.cpu / b.cpu, 0.20)
        else:
            print("real: skipped, no assimp or no %s (Debian packages assimp-utils, "
                  "assimp-testmodels)" % ENGINE)

        snapshot = [kzoview, "--snapshot", os.path.join(work, "tori.png"), tori]
        if shutil.which("f3d"):
            f3d_env = dict(env)
            if not args.use_display:
                if shutil.which("Xvfb"):
                    xvfb, f3d_env["DISPLAY"] = start_xvfb()
                f3d_env.pop("WAYLAND_DISPLAY", None)
            if f3d_env.get("DISPLAY"):
                # f3d's window is the size of kzoview's default snapshot.
                f3d = ["f3d", "--dry-run", "--resolution=377,294",
                       "--output=" + os.path.join(work, "tori_f3d.png"), tori]
                a, b = compare("snapshot 1 036 800 triangles", "kzoview", snapshot, "f3d", f3d,
                               args.runs, f3d_env, work)
                met &= verdict("kzoview --snapshot / f3d --output, cpu", a.cpu / b.cpu, 0.25)
            else:
                print("snapshot: f3d skipped, no display (Debian package xvfb)")
        else:
            print("snapshot: f3d skipped, not installed (Debian package f3d)")

        shaded = [kzoview, "--snapshot", os.path.join(work, "tori_shaded.png"), "--shaded", tori]
        a, b = compare("shaded against wireframe snapshot", "shaded", shaded, "wireframe",
                       snapshot, args.runs, env, work)
        met &= verdict("kzoview --snapshot --shaded / --snapshot, cpu", a.cpu / b.cpu, 2.0)

        info = [kzoview, "--info", tori]
        a, b = compare("info against snapshot", "info", info, "snapshot", snapshot, args.runs,
                       env, work)
        met &= verdict("kzoview --info / --snapshot, cpu", a.cpu / b.cpu, 1.0 / 3.0)
        met &= verdict("kzoview --snapshot peak memory, MB / 120", b.peak_kib / KIB_PER_MB / 120,
                       1.0)
    finally:
        if xvfb is not None:
            xvfb.terminate()
            xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)
    if args.check and not met:
        sys.exit(1)


if __name__ == "__main__":
    main()
