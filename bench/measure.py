#!/usr/bin/env python3
"""Start-up, memory, CPU and wake-up figures of a Lumora binary, with an
empty Qt window of the same size as the floor. Prints one line per figure."""
import os
import statistics
import subprocess
import sys
import tempfile
import time

LUMORA, EMPTY = sys.argv[1], sys.argv[2]
RUNS = int(os.environ.get("BENCH_RUNS", "3"))
WINDOW = float(os.environ.get("BENCH_SECONDS", "60"))
HZ = os.sysconf("SC_CLK_TCK")


def launch(binary, **extra):
    env = dict(os.environ)
    env["XDG_CONFIG_HOME"] = tempfile.mkdtemp(prefix="lumora-bench-")
    env["LUMORA_BENCH_MARKS"] = "1"
    env["QT_LOGGING_RULES"] = "qt.multimedia*=false"
    env.update(extra)
    started = time.time() * 1000
    proc = subprocess.Popen([binary], env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True)
    return proc, started


def marks(proc, wanted, timeout=20):
    seen = {}
    deadline = time.time() + timeout
    while time.time() < deadline and not wanted <= seen.keys():
        line = proc.stdout.readline()
        if not line:
            break
        parts = line.split()
        if len(parts) == 3 and parts[0] == "lumora-bench":
            seen[parts[1]] = int(parts[2])
    return seen


def rss_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def cpu_and_switches(pid):
    """CPU seconds and times scheduled in, summed over all threads."""
    cpu, switches = 0.0, 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                run_ns, _wait, slices = f.read().split()
            cpu += int(run_ns) / 1e9
            switches += int(slices)
        except (FileNotFoundError, ValueError):
            pass
    return cpu, switches


def stop(proc):
    proc.terminate()
    try:
        proc.wait(5)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def startup(binary, want):
    times = {k: [] for k in want}
    rss = []
    for _ in range(RUNS):
        proc, t0 = launch(binary)
        seen = marks(proc, set(want))
        for k in want:
            if k in seen:
                times[k].append(seen[k] - t0)
        time.sleep(3)
        rss.append(rss_mib(proc.pid))
        stop(proc)
    return {k: statistics.median(v) if v else float("nan") for k, v in times.items()}, statistics.median(rss)


def cpu_window(**extra):
    cpu, wake, rss = [], [], []
    for _ in range(RUNS):
        proc, _t0 = launch(LUMORA, **extra)
        marks(proc, {"first-frame"})
        time.sleep(2)
        c0, s0 = cpu_and_switches(proc.pid)
        time.sleep(WINDOW)
        c1, s1 = cpu_and_switches(proc.pid)
        rss.append(rss_mib(proc.pid))
        stop(proc)
        cpu.append((c1 - c0) / WINDOW * 100)
        wake.append((s1 - s0) / WINDOW)
    return statistics.median(cpu), statistics.median(wake), statistics.median(rss)


lum, lum_rss = startup(LUMORA, ["first-frame", "tray-ready"])
empty, empty_rss = startup(EMPTY, ["first-frame"])
print(f"start-up to first frame: {lum['first-frame']:.0f} ms (empty window {empty['first-frame']:.0f} ms, "
      f"ratio {lum['first-frame'] / empty['first-frame']:.2f}; target <= 1.5)")
print(f"start-up to tray item: {lum['tray-ready']:.0f} ms")
print(f"memory idle: {lum_rss:.1f} MiB RSS (empty window {empty_rss:.1f} MiB, ratio {lum_rss / empty_rss:.2f}; "
      f"target < 45 MiB)")

idle_cpu, idle_wake, _ = cpu_window()
print(f"cpu idle over {WINDOW:.0f} s: {idle_cpu:.3f} % of one core, {idle_wake:.2f} wake-ups/s")
shown_cpu, shown_wake, run_rss = cpu_window(LUMORA_BENCH_COUNTDOWN="3600")
print(f"cpu running, window shown: {shown_cpu:.3f} % of one core, {shown_wake:.2f} wake-ups/s (target < 1 %)")
print(f"memory after a minute of an hour-long countdown: {run_rss:.1f} MiB RSS")
hidden_cpu, hidden_wake, _ = cpu_window(LUMORA_BENCH_COUNTDOWN="3600", LUMORA_BENCH_HIDE="1")
print(f"cpu running, window hidden: {hidden_cpu:.3f} % of one core, {hidden_wake:.2f} wake-ups/s (target < 0.3 %)")
