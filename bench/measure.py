#!/usr/bin/env python3
"""Measures install speed, uninstall speed, start-up time and size of Setup.exe
against cp -r, a CopyFileA program, the floor (a program that only writes the
files and deletes them) and an installer made with makensis, all on the same
disk and under the same Wine prefix, and writes a Markdown report.
With --ref-setup-exe it also measures an earlier build of Setup.exe beside
this one and compares the two.

Started by bench/run, which builds the programs and prepares the prefix; the
environment (WINEPREFIX, WINELOADER and the rest) comes from there.
"""

import argparse
import datetime
import glob
import json
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

KIB = 1024
MIB = 1024 * KIB

# name, title, file count, file size
FULL_WORKLOADS = [
    ("none", "no files (fixed cost)", 0, 0),
    ("big", "1 file of 512 MiB", 1, 512 * MIB),
    ("files64k", "2,000 files of 64 KiB", 2000, 64 * KIB),
    ("files1k", "5,000 files of 1 KiB", 5000, 1 * KIB),
]
# For a quick look at the machinery: the same shapes, a tenth of the work.
QUICK_WORKLOADS = [
    ("none", "no files (fixed cost)", 0, 0),
    ("big", "1 file of 32 MiB", 1, 32 * MIB),
    ("files64k", "200 files of 64 KiB", 200, 64 * KIB),
    ("files1k", "500 files of 1 KiB", 500, 1 * KIB),
]

# Workloads of a few files take little time but vary more from run to run
# (writeback of the big file): they get this many times the rounds.
QUICK_WORKLOAD_ROUND_FACTOR = 2
QUICK_RUNNING_WORKLOADS = ("none", "big")
# Workloads whose files leave the file cache right after each install.
BIG_WORKLOADS = ("big",)
# How old the medium's Setup.ini must be before ours starts.
SETTLED_SETUP_INI_SECONDS = 2.5

INSTALLERS = ["cp", "copyfilea", "floor", "ours", "nsis"]
# The earlier build of Setup.exe that --ref-setup-exe names: it runs right
# beside ours, and is compared with ours only.
REF = "ref"
# The texts of the boxes that end a successful install and uninstall.
INSTALLED_TEXT = "Patch process completed"
REMOVED_TEXT = "Patch removed"
INSTALLER_TITLES = {
    "cp": "`cp -r`",
    "copyfilea": "`CopyFileA`",
    "floor": "floor (`WriteFile`)",
    "ours": "`Setup.exe`",
    "nsis": "NSIS `/S`",
}
SHORTCUT_NAMES = ("Start", "Read me", "Uninstall")
BIG_FILE_TARGET = 1.1
# Setup.exe's time over the floor's, at most: install by workload; uninstall
# of many files, where the files' own cost outweighs the dialog and the box.
INSTALL_FLOOR_TARGETS = {"big": 1.1, "files64k": 1.3, "files1k": 1.3}
UNINSTALL_FLOOR_TARGETS = {"files64k": 1.5, "files1k": 1.5}
# Workloads whose uninstall must be quicker than the peer's uninstaller.
UNINSTALL_PEER_WORKLOADS = ("files64k", "files1k")
# Installs into a new folder take at most this many times the earlier build's.
COMPARE_TARGET = 1.05
QUICK_SUFFIX = "-quick"
ARCHES = ("x86", "x64")
COMPILERS = {"x86": "i686-w64-mingw32-g++-posix", "x64": "x86_64-w64-mingw32-g++-posix"}
WINE_KINDS = {"x86": "32-bit Wine", "x64": "64-bit Wine"}


class BenchError(Exception):
    pass


def windows_path(drive_c, path):
    relative = os.path.relpath(path, drive_c)
    return "C:\\" + relative.replace("/", "\\")


def wine_loader():
    """The Wine that runs the Windows programs: the one that bench/run chose
    (its 64-bit loader is named in WINELOADER, which also starts every child
    process), else Debian's wrapper, which runs the 32-bit one."""
    return os.environ.get("WINELOADER") or shutil.which("wine") or "wine"


def command_output(command):
    try:
        return subprocess.run(command, check=True, capture_output=True, text=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return "unknown"


def machine_description(prefix, arch):
    cpu = "unknown"
    with open("/proc/cpuinfo") as info:
        for line in info:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    memory_kib = 0
    with open("/proc/meminfo") as info:
        for line in info:
            if line.startswith("MemTotal:"):
                memory_kib = int(line.split()[1])
    file_system = command_output(["findmnt", "-no", "FSTYPE", "-T", prefix])
    return {
        "load": load_average(),
        "date": datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC"),
        "machine": "%s, %d cores, %.0f GiB memory, %s, Linux %s"
        % (cpu, os.cpu_count(), memory_kib / (1024 * 1024), file_system, platform.release()),
        "arch": arch,
        "loader": wine_loader(),
        "wine": command_output([wine_loader(), "--version"]),
        "nsis": command_output(["makensis", "-VERSION"]),
        "compiler": command_output([COMPILERS[arch], "--version"]).splitlines()[0],
    }


def write_random_file(path, size):
    with open(path, "wb") as out:
        remaining = size
        while remaining:
            chunk = min(remaining, 4 * MIB)
            out.write(os.urandom(chunk))
            remaining -= chunk


def payload_names(count):
    return ["f%05d.bin" % (i + 1) for i in range(count)]


def source_setup_ini(name, files):
    lines = [
        "[General]",
        "Mode=Install",
        "AppName=%s" % name,
        "TargetFolder=%s" % name,
        "",
        "[Text]",
        "ShortcutStart=%s" % SHORTCUT_NAMES[0],
        "ShortcutReadMe=%s" % SHORTCUT_NAMES[1],
        "ShortcutUninstall=%s" % SHORTCUT_NAMES[2],
        "",
        "[Files]",
    ]
    lines += ["%d=%s" % (i + 1, f) for i, f in enumerate(files)]
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def load_average():
    with open("/proc/loadavg") as info:
        return info.read().split()[0]


def drop_from_file_cache(folder):
    """Frees the cached pages of the (already written back) files of a folder."""
    for name in os.listdir(folder):
        descriptor = os.open(os.path.join(folder, name), os.O_RDONLY)
        try:
            os.posix_fadvise(descriptor, 0, 0, os.POSIX_FADV_DONTNEED)
        finally:
            os.close(descriptor)


class Bench:
    def __init__(self, args):
        self.args = args
        self.prefix = os.environ["WINEPREFIX"]
        self.drive_c = os.path.join(self.prefix, "drive_c")
        self.root = os.path.join(self.drive_c, "bench")
        self.media = os.path.join(self.root, "media")
        # The earlier build's media: its own Setup.exe and Setup.ini, the
        # same payload (hard links, so that both read the same cached pages).
        self.ref_media = os.path.join(self.root, "media-ref")
        self.compares = bool(args.ref_setup_exe)
        self.out = os.path.join(self.root, "out")
        self.peers = os.path.join(self.root, "peers")
        self.program_files = os.path.join(self.drive_c, "Program Files")
        workloads = QUICK_WORKLOADS if args.quick else FULL_WORKLOADS
        # The workload without files is always measured: start-up runs from
        # its medium, and it gives the fixed cost of each installer.
        self.workloads = [w for w in workloads if w[0] == "none" or not args.only or w[0] in args.only.split(",")]
        self.rounds = args.rounds
        self.logs = tempfile.mkdtemp(prefix="bench-logs-")
        self.samples = {}
        self.load_at_end = None

    # -- preparation -------------------------------------------------------

    def prepare(self):
        if os.path.exists(self.root):
            shutil.rmtree(self.root)
        for folder in (self.media, self.out, self.peers) + ((self.ref_media,) if self.compares else ()):
            os.makedirs(folder)
        for name, _, count, size in self.workloads:
            medium = os.path.join(self.media, name)
            os.makedirs(medium)
            shutil.copyfile(self.args.setup_exe, os.path.join(medium, "Setup.exe"))
            for file_name in payload_names(count):
                write_random_file(os.path.join(medium, file_name), size)
            self.write_setup_ini(name, "Bench %s" % name)
            self.make_peer(name, medium)
            if self.compares:
                ref_medium = os.path.join(self.ref_media, name)
                os.makedirs(ref_medium)
                shutil.copyfile(self.args.ref_setup_exe, os.path.join(ref_medium, "Setup.exe"))
                for file_name in payload_names(count):
                    os.link(os.path.join(medium, file_name), os.path.join(ref_medium, file_name))
                self.write_setup_ini(name, "Bench ref %s" % name, self.ref_media)
        # The empty peer of each architecture, for the sizes; the measured
        # architecture's also for start-up.
        self.make_peer("empty", None, stored=False)
        for arch in ARCHES:
            self.make_peer("empty-" + arch, None, stored=False, arch=arch)
        os.sync()

    def write_setup_ini(self, workload, install_name, media=None):
        count = next(w[2] for w in self.workloads if w[0] == workload)
        with open(os.path.join(media or self.media, workload, "Setup.ini"), "wb") as ini:
            ini.write(source_setup_ini(install_name, payload_names(count)))

    def make_peer(self, name, payload, stored=True, arch=None):
        command = ["makensis", "-V1", "-DOUTFILE=%s" % os.path.join(self.peers, name + ".exe")]
        if (arch or self.args.arch) == "x64":
            command.append("-DAMD64")
        if stored:
            command.append("-DSTORED")
        if payload is not None:
            remove_list = os.path.join(self.peers, name + "-remove.nsh")
            with open(remove_list, "w") as out:
                for file_name in sorted(os.listdir(payload)):
                    out.write('Delete "$INSTDIR\\%s"\n' % file_name)
            command += ["-DPAYLOAD=%s" % payload, "-DREMOVE_LIST=%s" % remove_list]
        command.append(self.args.nsis_script)
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)

    # -- running -----------------------------------------------------------

    def wine(self, program, *arguments):
        """Runs a Windows program of the benchmark; its key=value lines."""
        log = os.path.join(self.logs, "last")
        with open(log + ".out", "w") as out, open(log + ".err", "w") as err:
            # Files, not pipes: services that Wine starts would inherit a pipe
            # and keep it open after the program ends.
            status = subprocess.run([wine_loader(), program] + list(arguments), stdin=subprocess.DEVNULL,
                                    stdout=out, stderr=err).returncode
        with open(log + ".out") as out:
            values = dict(line.rstrip("\r\n").split("=", 1) for line in out if "=" in line)
        if status != 0:
            with open(log + ".err") as err:
                raise BenchError("%s %s failed (%d): %s" % (os.path.basename(program), " ".join(arguments),
                                                            status, err.read().strip()))
        return values

    def driver(self, *arguments):
        return self.wine(os.path.join(self.args.tools, "bench_driver.exe"), *arguments)

    def record(self, key, seconds):
        self.samples.setdefault(key, []).append(seconds)

    def expect_files(self, folder, medium, extra):
        """The files of `medium` arrived whole in `folder`, with `extra` beside it."""
        expected = set(os.listdir(medium)) | set(extra)
        present = set(os.listdir(folder))
        if present != expected:
            raise BenchError("%s: %d entries, expected %d (missing %s, more %s)"
                             % (folder, len(present), len(expected), sorted(expected - present)[:3],
                                sorted(present - expected)[:3]))
        for name in os.listdir(medium):
            if name != "Setup.ini" and os.path.getsize(os.path.join(folder, name)) != \
                    os.path.getsize(os.path.join(medium, name)):
                raise BenchError("%s: %s has the wrong size" % (folder, name))

    def install_cp(self, workload, run_name):
        destination = os.path.join(self.out, run_name)
        start = time.perf_counter()
        subprocess.run(["cp", "-r", os.path.join(self.media, workload), destination], check=True)
        seconds = time.perf_counter() - start
        self.expect_files(destination, os.path.join(self.media, workload), [])
        return seconds, destination

    def install_copyfilea(self, workload, run_name):
        destination = os.path.join(self.out, run_name)
        values = self.wine(os.path.join(self.args.tools, "copy_files.exe"),
                           windows_path(self.drive_c, os.path.join(self.media, workload)),
                           windows_path(self.drive_c, destination))
        self.expect_files(destination, os.path.join(self.media, workload), [])
        return float(values["seconds"]), destination

    def floor_files(self, *arguments):
        return self.wine(os.path.join(self.args.tools, "floor_files.exe"), *arguments)

    def install_floor(self, workload, run_name):
        destination = os.path.join(self.out, run_name)
        values = self.floor_files("write", windows_path(self.drive_c, os.path.join(self.media, workload)),
                                  windows_path(self.drive_c, destination))
        self.expect_files(destination, os.path.join(self.media, workload), [])
        return float(values["seconds"]), destination

    def install_setup(self, media, workload, run_name):
        # Wine reads a Setup.ini changed in the last two seconds several times
        # slower (2,000 keys: 1.8 s instead of 0.5 s); a medium is never that
        # fresh, so either build of ours waits until it has settled.
        ini = os.path.join(media, workload, "Setup.ini")
        age = time.time() - os.path.getmtime(ini)
        if age < SETTLED_SETUP_INI_SECONDS:
            time.sleep(SETTLED_SETUP_INI_SECONDS - age)
        values = self.driver("install", windows_path(self.drive_c, os.path.join(media, workload)))
        if values.get("exit") != "0" or values.get("text") != INSTALLED_TEXT:
            raise BenchError("Setup.exe (%s) install of %s ended with %s" % (os.path.basename(media), workload, values))
        target = os.path.join(self.program_files, run_name)
        self.expect_files(target, os.path.join(media, workload), [])
        return float(values["seconds"]), target

    def install_ours(self, workload, run_name):
        return self.install_setup(self.media, workload, run_name)

    def install_ref(self, workload, run_name):
        return self.install_setup(self.ref_media, workload, run_name)

    def install_nsis(self, workload, run_name):
        target = os.path.join(self.program_files, run_name)
        peer = windows_path(self.drive_c, os.path.join(self.peers, workload + ".exe"))
        values = self.driver("run", windows_path(self.drive_c, self.peers),
                             '"%s" /S /D=%s' % (peer, windows_path(self.drive_c, target)))
        if values.get("exit") != "0":
            raise BenchError("NSIS install of %s ended with %s" % (workload, values))
        self.expect_files(target, os.path.join(self.media, workload), ["uninstall.exe"])
        return float(values["seconds"]), target

    def uninstall_ours(self, target):
        values = self.driver("uninstall", windows_path(self.drive_c, target))
        if values.get("exit") != "0" or values.get("text") != REMOVED_TEXT:
            raise BenchError("Setup.exe uninstall of %s ended with %s" % (target, values))
        if os.path.exists(target):
            raise BenchError("%s is still there after the uninstall" % target)
        return float(values["seconds"])

    # The installed copy of either build removes its own install.
    uninstall_ref = uninstall_ours

    def uninstall_nsis(self, target):
        folder = windows_path(self.drive_c, target)
        # _?= keeps the uninstaller in place instead of a copy of it that the
        # first process starts and leaves running; it can't delete itself then.
        values = self.driver("run", folder, '"%s\\uninstall.exe" /S _?=%s' % (folder, folder))
        if values.get("exit") != "0":
            raise BenchError("NSIS uninstall of %s ended with %s" % (target, values))
        left = os.listdir(target)
        if left != ["uninstall.exe"]:
            raise BenchError("%s holds %d entries after the uninstall" % (target, len(left)))
        return float(values["seconds"])

    def uninstall_floor(self, target):
        values = self.floor_files("delete", windows_path(self.drive_c, target))
        left = os.listdir(target)
        if left:
            raise BenchError("%s holds %d entries after the deletion" % (target, len(left)))
        os.rmdir(target)
        return float(values["seconds"])

    def rounds_of(self, workload):
        if workload in QUICK_RUNNING_WORKLOADS:
            return self.rounds * QUICK_WORKLOAD_ROUND_FACTOR
        return self.rounds

    @staticmethod
    def run_name(installer, workload, round_number):
        return "Bench %s %s %d" % (installer, workload, round_number + 1)

    def with_ref(self, order, round_number):
        """`order` with the earlier build right beside ours: after it in
        even rounds, before it in odd ones, so that neither build always
        runs just after the same thing or first of the two."""
        if not self.compares:
            return list(order)
        at = order.index("ours")
        return order[:at] + (["ours", REF] if round_number % 2 == 0 else [REF, "ours"]) + order[at + 1:]

    def measure_startup(self):
        exes = {"ours": os.path.join(self.media, "none", "Setup.exe"),
                REF: os.path.join(self.ref_media, "none", "Setup.exe"),
                "nsis": os.path.join(self.peers, "empty.exe")}
        for round_number in range(self.rounds_of("none")):
            for program in self.with_ref(["ours", "nsis"], round_number):
                values = self.driver("startup", windows_path(self.drive_c, exes[program]),
                                     windows_path(self.drive_c, os.path.dirname(exes[program])))
                self.record("startup/" + program, float(values["seconds"]))

    def measure_installs(self):
        """Every round installs each workload with each installer, in an order
        that turns from round to round; returns the installs to uninstall."""
        installs = []
        for round_number in range(max(self.rounds_of(w[0]) for w in self.workloads)):
            for name, title, _, _ in self.workloads:
                if round_number >= self.rounds_of(name):
                    continue
                # Written before the round's runs, so that it has settled by
                # the time ours runs (see install_setup).
                self.write_setup_ini(name, self.run_name("ours", name, round_number))
                if self.compares:
                    self.write_setup_ini(name, self.run_name(REF, name, round_number), self.ref_media)
                turned = [INSTALLERS[(i + round_number) % len(INSTALLERS)] for i in range(len(INSTALLERS))]
                for installer in self.with_ref(turned, round_number):
                    run_name = self.run_name(installer, name, round_number)
                    seconds, folder = getattr(self, "install_" + installer)(name, run_name)
                    self.record("install/%s/%s" % (name, installer), seconds)
                    # Written data goes to disk now, not during the next run.
                    os.sync()
                    if name in BIG_WORKLOADS:
                        # Out of the file cache at once, so the next big file
                        # is written into memory just freed: on this machine
                        # (a virtual one) memory that the file cache has not
                        # used for a while makes writing several times slower,
                        # whoever writes.
                        drop_from_file_cache(folder)
                    # Nothing is removed until every install is measured: a
                    # file system mounted with discard makes writing right
                    # after deleting slow, and creating many files right after
                    # deleting many costs extra too.
                    if installer in ("ours", REF, "nsis", "floor"):
                        installs.append((installer, name, folder))
                print("  round %d: %s done" % (round_number + 1, title), flush=True)
        return installs

    def measure_uninstalls(self, installs):
        # In the order of the installs, so ours and the peer's alternate.
        for installer, name, folder in installs:
            seconds = getattr(self, "uninstall_" + installer)(folder)
            self.record("uninstall/%s/%s" % (name, installer), seconds)
            os.sync()

    def measure(self):
        print("== Start-up", flush=True)
        self.measure_startup()
        print("== Installs (%d rounds, %d for the quick workloads)"
              % (self.rounds, self.rounds * QUICK_WORKLOAD_ROUND_FACTOR), flush=True)
        installs = self.measure_installs()
        print("== Uninstalls", flush=True)
        self.measure_uninstalls(installs)
        self.load_at_end = load_average()

    def sizes(self):
        """Setup.exe and the empty peer of each architecture, in bytes."""
        setup_exes = {self.args.arch: self.args.setup_exe}
        other = next(a for a in ARCHES if a != self.args.arch)
        setup_exes[other] = self.args.other_setup_exe
        return {arch: {"ours": os.path.getsize(setup_exes[arch]),
                       "nsis": os.path.getsize(os.path.join(self.peers, "empty-%s.exe" % arch))}
                for arch in ARCHES}

    def clean_up(self):
        shutil.rmtree(self.root, ignore_errors=True)
        shutil.rmtree(self.logs, ignore_errors=True)


# -- report -------------------------------------------------------------------

def median(samples):
    return statistics.median(samples)


def seconds_text(value):
    return "%.3f s" % value if value >= 0.1 else "%.1f ms" % (value * 1000)


def ratio_text(numerator, denominator):
    return "%.2f×" % (numerator / denominator) if denominator > 0 else "–"


def rounds_text(samples):
    return " ".join("%.3f" % value for value in samples)


def verdict(met):
    return "met" if met else "**missed**"


def sizes_by_arch(sizes, machine):
    """The sizes of a report as {arch: {"ours": bytes, "nsis": bytes}}; the
    earliest reports held one build's sizes, of the compiler they name."""
    if "ours" in sizes:
        arch = "x64" if "x86_64" in machine.get("compiler", "") else "x86"
        return {arch: sizes}
    return sizes


def previous_report(results, current_name):
    """The name and the Setup.exe sizes of the latest report before this one,
    or (None, {}). Quick reports are tries of the machinery and stay out of
    the repository, so they are never what a size is compared with."""
    for path in sorted(glob.glob(os.path.join(results, "*.json")), reverse=True):
        name = os.path.splitext(os.path.basename(path))[0]
        if name == current_name or name.endswith(QUICK_SUFFIX):
            continue
        try:
            with open(path) as source:
                earlier = json.load(source)
            return name, sizes_by_arch(earlier["sizes"], earlier.get("machine", {}))
        except (OSError, ValueError, KeyError, TypeError) as error:
            print("bench: %s skipped: %s" % (path, error), file=sys.stderr)
    return None, {}


def size_changes(sizes, previous_sizes):
    """{arch: change in bytes, or None where the earlier report has no size}."""
    changes = {}
    for arch in ARCHES:
        earlier = previous_sizes.get(arch, {}).get("ours")
        changes[arch] = None if earlier is None else sizes[arch]["ours"] - earlier
    return changes


def size_change_text(change, size):
    if change is None:
        return "no earlier size"
    if change > 0:
        return "**grew** by %d bytes (from %d)" % (change, size - change)
    if change < 0:
        return "shrank by %d bytes (from %d)" % (-change, size - change)
    return "unchanged"


def size_lines(sizes, previous_name, changes, note):
    lines = ["| File size of the %s build (NSIS: %s stub, empty payload, default compression) | %.1f KiB | %.1f KiB | %s |"
             % (arch, "x86-ansi" if arch == "x86" else "amd64-unicode", sizes[arch]["ours"] / KIB,
                sizes[arch]["nsis"] / KIB, ratio_text(sizes[arch]["ours"], sizes[arch]["nsis"]))
             for arch in ARCHES]
    lines += ["", "Since the last report (%s):" % ("`%s`" % previous_name if previous_name else "none"), ""]
    for arch in ARCHES:
        lines.append("- Setup.exe %s: %d bytes, %s." % (arch, sizes[arch]["ours"], size_change_text(changes[arch], sizes[arch]["ours"])))
    if any(change is not None and change > 0 for change in changes.values()):
        lines.append("- Why it grew: %s" % (note or "**not explained** (bench/run --size-note TEXT)"))
    elif note:
        lines.append("- Note: %s" % note)
    return lines


def capitalized(text):
    return text[0].upper() + text[1:]


def floor_ratios(bench, net=False):
    """{workload: {"install": Setup.exe / floor, "uninstall": Setup.exe /
    deletion floor}} of the medians, None where the floor took no time.
    `net` takes the workload without files off both sides first: what is
    left is the files' own cost."""
    def medians(kind, name, installer):
        value = median(bench.samples["%s/%s/%s" % (kind, name, installer)])
        return value - median(bench.samples["%s/none/%s" % (kind, installer)]) if net else value

    ratios = {}
    for name, _, _, _ in bench.workloads:
        ratios[name] = {}
        for kind in ("install", "uninstall"):
            floor = medians(kind, name, "floor")
            ratios[name][kind] = medians(kind, name, "ours") / floor if floor > 0 else None
    return ratios


def floor_targets(bench):
    """Each target against the floor and the peer's uninstaller that the
    measured workloads have: what, the ratio, its limit and whether it is met."""
    ratios = floor_ratios(bench)
    net_ratios = floor_ratios(bench, net=True)
    titles = {w[0]: w[1] for w in bench.workloads}
    targets = []
    for kind, limits, against in (("install", INSTALL_FLOOR_TARGETS, "the floor"),
                                  ("uninstall", UNINSTALL_FLOOR_TARGETS, "the deletion floor")):
        for name, limit in limits.items():
            ratio = ratios.get(name, {}).get(kind)
            if ratio is not None:
                targets.append({"workload": name, "what": "%s, %s within %.1f× %s" % (capitalized(titles[name]), kind,
                                                                                     limit, against),
                                "ratio": ratio, "net_ratio": net_ratios[name][kind], "limit": limit,
                                "met": ratio <= limit})
    for name in UNINSTALL_PEER_WORKLOADS:
        if name in titles:
            ratio = median(bench.samples["uninstall/%s/ours" % name]) / median(bench.samples["uninstall/%s/nsis" % name])
            targets.append({"workload": name, "what": "%s, uninstall faster than NSIS's uninstaller"
                            % capitalized(titles[name]), "ratio": ratio, "limit": 1.0, "met": ratio < 1.0})
    return targets


def report(bench, machine, sizes, started, previous_name, changes):
    samples = bench.samples
    rounds = bench.rounds
    arch = machine["arch"]
    lines = [
        "# Benchmark of Setup.exe",
        "",
        "- Date: %s" % machine["date"],
        "- Machine: %s" % machine["machine"],
        "- Architecture: %s (Setup.exe, the benchmark's programs and the NSIS peer alike), under %s"
        % (arch, WINE_KINDS[arch]),
        "- Wine loader: `%s`, %s (one prefix, null graphics driver, persistent wineserver)"
        % (machine["loader"], machine["wine"]),
        "- Peer: makensis %s; compiler: %s" % (machine["nsis"], machine["compiler"]),
        "- Medians of %d rounds (%d for start-up, no files and the big file); every run writes into a fresh "
        "folder; warm cache; `sync` after each run, outside the timing. The whole run, builds included, took "
        "%.0f s; load average at its start: %s."
        % (rounds, rounds * QUICK_WORKLOAD_ROUND_FACTOR, time.time() - started, machine["load"]),
        "",
        "## Install",
        "",
        "| Workload | " + " | ".join(INSTALLER_TITLES[i] for i in INSTALLERS)
        + " | Setup.exe / floor | Setup.exe / CopyFileA | Setup.exe / cp | Setup.exe / NSIS |",
        "|---|" + "---:|" * (len(INSTALLERS) + 4),
    ]
    medians = {}
    for name, title, _, _ in bench.workloads:
        row = {i: median(samples["install/%s/%s" % (name, i)]) for i in INSTALLERS}
        medians[name] = row
        lines.append("| %s | %s | %s | %s | %s | %s |" % (
            title, " | ".join(seconds_text(row[i]) for i in INSTALLERS), ratio_text(row["ours"], row["floor"]),
            ratio_text(row["ours"], row["copyfilea"]), ratio_text(row["ours"], row["cp"]),
            ratio_text(row["ours"], row["nsis"])))
    lines += [
        "",
        "`cp -r`: the whole process, on Linux. `CopyFileA`: a minimal Win32 program, timed inside from creating "
        "the folder to the last copy (no process start). Floor: a minimal Win32 program that does only what "
        "any install must: each file of the medium, read into memory beforehand, written into a new folder with "
        "one `CreateFileW`, one `WriteFile` and `CloseHandle`, timed inside from creating the folder to the last "
        "close. `Setup.exe`: from pressing the dialog's OK to the "
        "success box (folder, installed Setup.ini, copies, three shortcuts, install record). NSIS `/S`: the "
        "whole silent process, its start included (files stored uncompressed, no CRC check; the same "
        "files, three shortcuts and an uninstaller).",
        "",
        "## Uninstall",
        "",
        "| Workload | `Setup.exe -uninstall` | NSIS uninstaller `/S` | deletion floor (`DeleteFileW`) "
        "| Setup.exe / NSIS | Setup.exe / deletion floor |",
        "|---|---:|---:|---:|---:|---:|",
    ]
    for name, title, _, _ in bench.workloads:
        ours = median(samples["uninstall/%s/ours" % name])
        nsis = median(samples["uninstall/%s/nsis" % name])
        floor = median(samples["uninstall/%s/floor" % name])
        lines.append("| %s | %s | %s | %s | %s | %s |" % (title, seconds_text(ours), seconds_text(nsis),
                                                          seconds_text(floor), ratio_text(ours, nsis),
                                                          ratio_text(ours, floor)))
    startup_ours = median(samples["startup/ours"])
    startup_nsis = median(samples["startup/nsis"])
    lines += [
        "",
        "Setup.exe: from OK to the success box. NSIS: the whole silent process (run in place with `_?=`). "
        "Deletion floor: the floor's program deleting the files that it wrote, one `DeleteFileW` each, timed "
        "inside from the first deletion to the last.",
        "",
        "## Start-up and size",
        "",
        "| | `Setup.exe` | NSIS | Setup.exe / NSIS |",
        "|---|---:|---:|---:|",
        "| Process start to the first dialog on screen | %s | %s | %s |" % (
            seconds_text(startup_ours), seconds_text(startup_nsis), ratio_text(startup_ours, startup_nsis)),
    ]
    lines += size_lines(sizes, previous_name, changes, bench.args.size_note)
    lines += [
        "",
        "## Targets",
        "",
    ]
    big = medians.get("big")
    if big:
        lines.append("- Big file, Setup.exe within %.1f× CopyFileA: %s (%s; %s of `cp -r`)." % (
            BIG_FILE_TARGET, verdict(big["ours"] <= BIG_FILE_TARGET * big["copyfilea"]),
            ratio_text(big["ours"], big["copyfilea"]), ratio_text(big["ours"], big["cp"])))
        fixed = medians["none"]
        lines.append("  Without the fixed cost of the first row on both sides (shortcuts, installed Setup.ini, box), "
                     "the copy itself takes %s of CopyFileA's." % ratio_text(big["ours"] - fixed["ours"],
                                                                           big["copyfilea"] - fixed["copyfilea"]))
    for name in ("files64k", "files1k"):
        row = medians.get(name)
        if row:
            title = next(w[1] for w in bench.workloads if w[0] == name)
            lines.append("- %s, Setup.exe faster than NSIS and than CopyFileA: %s (%s of NSIS, %s of CopyFileA)."
                         % (title[0].upper() + title[1:], verdict(row["ours"] < row["nsis"]
                                                                   and row["ours"] < row["copyfilea"]),
                            ratio_text(row["ours"], row["nsis"]), ratio_text(row["ours"], row["copyfilea"])))
    for target in floor_targets(bench):
        net = target.get("net_ratio")
        lines.append("- %s: %s (%.2f×%s)." % (target["what"], verdict(target["met"]), target["ratio"],
                                              "; without the fixed cost of the first row on both sides %.2f×" % net
                                              if net is not None else ""))
    if bench.args.notes:
        lines += ["", "## Notes", "", bench.args.notes]
    if bench.compares:
        lines += compare_lines(bench, machine, sizes)
    # This machine's disk and memory have slow spells (writes of a big file
    # now and then take several times as long, whoever writes): every round
    # is shown, so that a median can be weighed.
    lines += ["", "## Every round, in seconds, in the order run", ""]
    for key in sorted(samples):
        lines.append("- %s: %s" % (key, rounds_text(samples[key])))
    return "\n".join(lines) + "\n"


def paired_ratios(ours, ref):
    """Ours over the earlier build's, round by round: the two of a round ran
    right after each other."""
    return [o / r for o, r in zip(ours, ref) if r > 0]


def compare_row(samples, key, title):
    """A table row of one workload: both medians, their ratio and the
    rounds' ratios; and the ratio of the medians."""
    ours, ref = samples[key + "/ours"], samples[key + "/" + REF]
    pairs = paired_ratios(ours, ref)
    cells = [title, seconds_text(median(ref)), seconds_text(median(ours)), ratio_text(median(ours), median(ref)),
             "%.2f× (%.2f–%.2f×)" % (median(pairs), min(pairs), max(pairs)) if pairs else "–"]
    return cells, median(ours) / median(ref)


def compare_lines(bench, machine, sizes):
    """The section that sets this build beside the earlier one."""
    samples = bench.samples
    ref, current = bench.args.ref_name, bench.args.current_name
    names = "`%s` | `%s` | %s / %s | Rounds' ratios: median (range)" % (ref, current, current, ref)
    arch = machine["arch"]
    ref_size = os.path.getsize(bench.args.ref_setup_exe)
    percent = round((COMPARE_TARGET - 1) * 100)
    lines = [
        "",
        "## This build (`%s`) against `%s`" % (current, ref),
        "",
        "Both are Release builds of `Setup.exe` (%s, the same compiler), `%s` from that commit. Each round ran "
        "the two right after each other, in the same prefix and each into a fresh folder, the first of the two "
        "changing from round to round, so that the machine's slow spells hit both alike; a round's ratio "
        "sets the two runs of one round against each other. Load average at the start: %s; after the last "
        "uninstall: %s." % (arch, ref, machine["load"], bench.load_at_end),
        "",
        "| Install | %s | Within %d %% of `%s` |" % (names, percent, ref),
        "|---|---:|---:|---:|---:|---|",
    ]
    verdicts = []
    for name, title, _, _ in bench.workloads:
        cells, ratio = compare_row(samples, "install/" + name, title)
        verdicts.append((title, ratio))
        lines.append("| %s | %s |" % (" | ".join(cells), verdict(ratio <= COMPARE_TARGET)))
    lines += [
        "",
        "| Uninstall | %s |" % names,
        "|---|---:|---:|---:|---:|",
    ]
    for name, title, _, _ in bench.workloads:
        lines.append("| %s |" % " | ".join(compare_row(samples, "uninstall/" + name, title)[0]))
    startup_cells = compare_row(samples, "startup", "Process start to the first dialog on screen")[0]
    lines += [
        "",
        "| Start-up and size | %s |" % names,
        "|---|---:|---:|---:|---:|",
        "| %s |" % " | ".join(startup_cells),
        "| File size of the %s build | %.1f KiB | %.1f KiB | %s | |"
        % (arch, ref_size / KIB, sizes[arch]["ours"] / KIB, ratio_text(sizes[arch]["ours"], ref_size)),
        "",
        "Target: installs into a new folder stay within %d %% of `%s`'s time (the ratio of the medians): %s."
        % (percent, ref,
           "met for every workload" if all(r <= COMPARE_TARGET for _, r in verdicts) else
           "**missed** for " + ", ".join("%s (%.2f×)" % (t, r) for t, r in verdicts if r > COMPARE_TARGET)),
        "",
        "Every round of the two, in seconds, in the order run (the n-th of each line from the same round):",
        "",
    ]
    keys = [("%s, %s" % (kind, title), "%s/%s/" % (kind, name))
            for name, title, _, _ in bench.workloads for kind in ("install", "uninstall")]
    for label, key in keys + [("start-up", "startup/")]:
        lines.append("- %s: `%s` %s; `%s` %s" % (label, ref, rounds_text(samples[key + REF]),
                                                 current, rounds_text(samples[key + "ours"])))
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--arch", choices=ARCHES, required=True, help="of every Windows program measured")
    parser.add_argument("--setup-exe", required=True)
    parser.add_argument("--other-setup-exe", required=True, help="the other architecture's build, for its size")
    parser.add_argument("--tools", required=True, help="folder of bench_driver.exe, copy_files.exe and floor_files.exe")
    parser.add_argument("--nsis-script", required=True)
    parser.add_argument("--results", required=True, help="folder for the report")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--quick", action="store_true", help="a tenth of the work, for trying the machinery")
    parser.add_argument("--only", help="comma-separated workloads to measure: big, files64k, files1k")
    parser.add_argument("--size-note", help="why Setup.exe grew since the last report")
    parser.add_argument("--notes", help="Markdown for the report's notes: what the figures show")
    parser.add_argument("--ref-setup-exe", help="an earlier build of Setup.exe to measure beside this one")
    parser.add_argument("--ref-name", help="the earlier build's name in the report (its commit)")
    parser.add_argument("--current-name", help="this build's name in the report (its commit)")
    args = parser.parse_args()
    if args.ref_setup_exe and not (args.ref_name and args.current_name):
        parser.error("--ref-setup-exe needs --ref-name and --current-name")

    # bench/run passes the time it started, so that the builds count too.
    started = float(os.environ.get("BENCH_STARTED", time.time()))
    bench = Bench(args)
    machine = machine_description(bench.prefix, args.arch)
    machine["date"] = datetime.datetime.fromtimestamp(started, datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    stamp = datetime.datetime.fromtimestamp(started, datetime.timezone.utc).strftime("%Y-%m-%d-%H%M")
    name = stamp + (QUICK_SUFFIX if args.quick else "")
    print("== Wine loader %s (%s), %s programs" % (machine["loader"], machine["wine"], args.arch), flush=True)
    print("== Workloads and peer installers", flush=True)
    bench.prepare()
    try:
        # Known before the long part, so that unexplained growth is said at once.
        sizes = bench.sizes()
        previous_name, previous_sizes = previous_report(args.results, name)
        changes = size_changes(sizes, previous_sizes)
        for arch in ARCHES:
            print("== Setup.exe %s: %d bytes; against %s: %s"
                  % (arch, sizes[arch]["ours"], previous_name or "no earlier report",
                     size_change_text(changes[arch], sizes[arch]["ours"]).replace("*", "")), flush=True)
        if any(change is not None and change > 0 for change in changes.values()) and not args.size_note:
            print("bench: Setup.exe grew; say why with --size-note TEXT (the report marks it unexplained)",
                  file=sys.stderr, flush=True)
        bench.measure()
    except BenchError as error:
        print("bench: %s" % error, file=sys.stderr)
        print("bench: samples so far: %s" % json.dumps(bench.samples, sort_keys=True), file=sys.stderr)
        return 1
    finally:
        bench.clean_up()
    text = report(bench, machine, sizes, started, previous_name, changes)
    os.makedirs(args.results, exist_ok=True)
    with open(os.path.join(args.results, name + ".md"), "w") as out:
        out.write(text)
    with open(os.path.join(args.results, name + ".json"), "w") as out:
        record = {"machine": machine, "sizes": sizes, "size_note": args.size_note, "previous": previous_name,
                  "rounds": bench.rounds, "samples": bench.samples, "notes": args.notes,
                  "floor_ratios": floor_ratios(bench), "floor_ratios_net": floor_ratios(bench, net=True),
                  "floor_targets": floor_targets(bench)}
        if bench.compares:
            # The earlier build's rounds are in the samples, as ".../ref".
            record["compare"] = {"ref": args.ref_name, "current": args.current_name,
                                 "ref_size": os.path.getsize(args.ref_setup_exe), "load_at_end": bench.load_at_end}
        json.dump(record, out, indent=1, sort_keys=True)
    print()
    print(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
