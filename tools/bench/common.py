"""Shared by the benchmarks: a Wine session and the stand-in exactly as the
end-to-end tests make them, and the host-side view of Wine processes."""
import os
import statistics
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.path.insert(0, os.path.join(ROOT, "tools", "platform"))

from standin import PlatformServer  # noqa: E402
from wine import WineSession  # noqa: E402

BUILD = os.environ.get("VEXO_BUILD", os.path.join(ROOT, "build", "win"))


def build_file(name):
    path = os.path.join(BUILD, name)
    if not os.path.exists(path):
        sys.exit(f"{path} is missing: build {BUILD} first (cmake --build {BUILD} -j2)")
    return path


def standin_port():
    with open(os.path.join(BUILD, "CMakeCache.txt")) as f:
        for line in f:
            if line.startswith("VEXO_STANDIN_PORT:"):
                return int(line.strip().split("=", 1)[1])
    return 47180


def session():
    return WineSession(os.path.join(BUILD, "wine-session"), build_file("VexoQuon.exe"), build_file("probe.exe"),
                       artifacts=os.path.join(BUILD, "bench-artifacts"))


def platform():
    return PlatformServer(port=standin_port(), log_path=os.path.join(BUILD, "bench-requests.jsonl")).start()


def wine_processes(name):
    """Host pids of the Wine processes whose command line names `name`."""
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                args = f.read().decode("utf-8", "replace").split("\0")
        except OSError:
            continue
        if args and name.lower() in args[0].lower():
            found.append(int(pid))
    return found


def rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def private_mb(pid):
    """Private memory: the pages of the process no other process shares (its
    heaps, stacks, the written pages of its DLLs), Private_Clean plus
    Private_Dirty over all its mappings."""
    return sum(private_by_mapping(pid).values())


def private_by_mapping(pid):
    """MB of private pages per mapped file (by its base name; anonymous
    mappings, i.e. heaps, stacks and Wine's own allocations, as "[anonymous]")."""
    found = {}
    name = None
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            fields = line.split()
            if not fields:
                continue
            if not fields[0].endswith(":") or "-" in fields[0]:
                # A mapping's header: range, permissions, offset, device, inode, path.
                name = os.path.basename(fields[5]) if len(fields) > 5 else "[anonymous]"
                if name.startswith("[") and name not in ("[heap]", "[stack]"):
                    name = "[anonymous]" if name != "[vvar]" and name != "[vdso]" else name
            elif fields[0] in ("Private_Clean:", "Private_Dirty:"):
                found[name] = found.get(name, 0.0) + int(fields[1]) / 1024
    return found


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def median(values):
    return statistics.median(values) if values else float("nan")
