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
# Start-ups are short and noisy: many runs, the programs taking turns.
STARTUP_RUNS = int(os.environ.get("BENCH_STARTUP_RUNS", "11"))
ONLY_STARTUP = os.environ.get("BENCH_ONLY") == "startup"
WINDOW = float(os.environ.get("BENCH_SECONDS", "60"))
HZ = os.sysconf("SC_CLK_TCK")


def launch(binary, config=None, **extra):
    env = dict(os.environ)
    env["XDG_CONFIG_HOME"] = config or tempfile.mkdtemp(prefix="lumora-bench-")
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


def thread_slices(pid):
    """Times each thread has been scheduled in, by thread id."""
    out = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                out[tid] = int(f.read().split()[2])
        except (FileNotFoundError, ValueError, IndexError):
            pass
    return out


def cpu_seconds(pid):
    """User and system time of the whole process, threads that ended included."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / HZ


def measure_window(pid, seconds):
    """CPU seconds and wake-ups over `seconds`. Threads come and go (a pool
    retires idle workers), so every thread is followed from when it is first
    seen to when it is last seen."""
    c0 = cpu_seconds(pid)
    first = thread_slices(pid)
    last = dict(first)
    end = time.time() + seconds
    while time.time() < end:
        time.sleep(min(1.0, max(0.0, end - time.time())))
        for tid, n in thread_slices(pid).items():
            first.setdefault(tid, 0)
            last[tid] = n
    wakeups = sum(last[t] - first[t] for t in last)
    return cpu_seconds(pid) - c0, wakeups


def stop(proc):
    proc.terminate()
    try:
        proc.wait(5)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


# After a process ends, the display server and the bus still tear down what
# it had; a start in the meantime takes about a third longer (measured
# here: 45 ms instead of 33). The next start waits until they are done.
SETTLE = float(os.environ.get("BENCH_SETTLE", "1"))


def one_start(binary, want, config=None):
    proc, t0 = launch(binary, config)
    seen = marks(proc, set(want))
    time.sleep(3)
    rss = rss_mib(proc.pid)
    stop(proc)
    time.sleep(SETTLE)
    return {k: seen[k] - t0 for k in want if k in seen}, rss


def startups(programs, floor):
    """Median mark times and idle RSS per program. A program with a config
    folder starts on it every time (settings kept from one launch to the
    next); the others start on a fresh one. The floor runs between any two
    of the others, so each program starts after the same ones every time."""
    times = {name: {k: [] for k in want} for name, (_b, want, _c) in programs.items()}
    rss = {name: [] for name in programs}
    others = [name for name in programs if name != floor]
    for _ in range(STARTUP_RUNS):
        for name in others:
            for run in (floor, name):
                binary, want, config = programs[run]
                seen, r = one_start(binary, want, config)
                for k, v in seen.items():
                    times[run][k].append(v)
                rss[run].append(r)
    med = lambda v: statistics.median(v) if v else float("nan")
    return ({name: {k: med(v) for k, v in t.items()} for name, t in times.items()},
            {name: med(v) for name, v in rss.items()})


def cpu_window(settle=2, **extra):
    cpu, wake, rss = [], [], []
    for _ in range(RUNS):
        proc, _t0 = launch(LUMORA, **extra)
        marks(proc, {"first-frame"})
        time.sleep(settle)
        used, wakeups = measure_window(proc.pid, WINDOW)
        rss.append(rss_mib(proc.pid))
        stop(proc)
        cpu.append(used / WINDOW * 100)
        wake.append(wakeups / WINDOW)
    return statistics.median(cpu), statistics.median(wake), statistics.median(rss)


# The first launch writes the settings file; later launches find it.
kept = tempfile.mkdtemp(prefix="lumora-bench-kept-")
one_start(LUMORA, ["first-frame"], kept)
times, rss = startups({"lumora": (LUMORA, ["first-frame", "tray-ready"], None),
                       "again": (LUMORA, ["first-frame"], kept),
                       "empty": (EMPTY, ["first-frame"], None)}, floor="empty")
lum, again, empty = times["lumora"], times["again"], times["empty"]
lum_rss, empty_rss = rss["lumora"], rss["empty"]
print(f"start-up to first frame, first launch: {lum['first-frame']:.0f} ms (empty window "
      f"{empty['first-frame']:.0f} ms, ratio {lum['first-frame'] / empty['first-frame']:.2f}; target <= 1.5)")
print(f"start-up to first frame, later launches: {again['first-frame']:.0f} ms "
      f"(ratio {again['first-frame'] / empty['first-frame']:.2f}; target <= 1.5)")
print(f"start-up to tray item: {lum['tray-ready']:.0f} ms")
print(f"memory idle: {lum_rss:.1f} MiB RSS (empty window {empty_rss:.1f} MiB, ratio {lum_rss / empty_rss:.2f}; "
      f"target < 45 MiB)")

if ONLY_STARTUP:
    sys.exit(0)
# Idle is measured once start-up has settled: Qt's painting thread pool
# retires its workers 30 s after the first frame, a one-off wake-up each.
idle_cpu, idle_wake, _ = cpu_window(settle=35)
print(f"cpu idle over {WINDOW:.0f} s: {idle_cpu:.3f} % of one core, {idle_wake:.2f} wake-ups/s")
shown_cpu, shown_wake, run_rss = cpu_window(LUMORA_BENCH_COUNTDOWN="3600")
print(f"cpu running, window shown: {shown_cpu:.3f} % of one core, {shown_wake:.2f} wake-ups/s (target < 1 %)")
print(f"memory after a minute of an hour-long countdown: {run_rss:.1f} MiB RSS")
hidden_cpu, hidden_wake, _ = cpu_window(LUMORA_BENCH_COUNTDOWN="3600", LUMORA_BENCH_HIDE="1")
print(f"cpu running, window hidden: {hidden_cpu:.3f} % of one core, {hidden_wake:.2f} wake-ups/s (target < 0.3 %)")
