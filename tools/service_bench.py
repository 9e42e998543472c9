#!/usr/bin/env python3
"""Figures of `zulmarin service` (a benchmark, run by hand; not a test).

  tools/service_bench.py [--binary build/zulmarin] [--shim build/tests/libzul_modem_shim.so]
                         [--idle-seconds 300] [--sends 50]

1. Idle: 100 timers loaded (none due during the run) and the loop timer set
   (outside its daily window), on the simulated port. CPU time (utime + stime
   from /proc/PID/stat) over the idle period, and the resident memory after
   start (VmRSS from /proc/PID/status).
2. Hand-off: the service on a pseudo-terminal whose modem lines the shim
   records; `zulmarin send A 1 ON` run N times. Latency from the command's
   start to the frame's last line change (both on CLOCK_MONOTONIC).

Everything runs in a temp folder (settings, program folder, runtime folder);
the user's own files and real serial ports are never touched.
"""
import argparse
import os
import pty
import signal
import statistics
import subprocess
import sys
import tempfile
import time


def clock_text(t):
    lt = time.localtime(t)
    return f"{lt.tm_hour}:{lt.tm_min:02d}:{lt.tm_sec:02d}"


def quoted(lines):
    return "".join(f'"{line}"\r\n' for line in lines)


def prepare(root):
    env = dict(os.environ)
    for name in ("config", "home", "runtime"):
        os.makedirs(os.path.join(root, name), mode=0o700, exist_ok=True)
    env.update(ZULMARIN_CONFIG_DIR=os.path.join(root, "config"), ZULMARIN_HOME=os.path.join(root, "home"),
               XDG_RUNTIME_DIR=os.path.join(root, "runtime"))
    env.pop("DISPLAY", None)
    env.pop("QT_QPA_PLATFORM", None)
    now = time.time()
    # 100 everyday timers, all due hours from now, 3 s apart.
    timers = [f"A {i % 16 + 1} ON*{clock_text(now + 7200 + 3 * i)}*Everyday" for i in range(100)]
    with open(os.path.join(root, "home", "tmrdat.zul"), "w", newline="") as f:
        f.write(quoted(timers))
    with open(os.path.join(root, "home", "loop.cro"), "w", newline="") as f:
        f.write(quoted(["01100000000000000002", "01100000001000000002"]))
    with open(os.path.join(root, "config", "settings.ini"), "w") as f:
        f.write("[Settings]\nTimerCount=100\n[Macro]\nLoopN=loop.cro\nLoopD=Everyday\nLoopR=1\n"
                f"UseLpStartEndTimes=1\nLpStartTime={clock_text(now + 10800)}\nLpEndTime={clock_text(now + 14400)}\n")
    return env


def start_service(binary, env, port, log):
    out = open(log + ".out", "w")
    err = open(log + ".err", "w")
    proc = subprocess.Popen([binary, "service", "--port", port], env=env, stdout=out, stderr=err)
    deadline = time.time() + 15
    while time.time() < deadline:
        with open(log + ".out") as f:
            if "timers on" in f.read():
                return proc
        time.sleep(0.05)
    proc.kill()
    sys.exit("the service did not start: " + open(log + ".err").read())


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return float("nan")


def stop(proc):
    proc.send_signal(signal.SIGTERM)
    return proc.wait(timeout=30)


def idle(binary, root, seconds):
    env = prepare(root)
    proc = start_service(binary, env, "sim", os.path.join(root, "idle"))
    time.sleep(2)
    rss = rss_mb(proc.pid)
    cpu0, t0 = cpu_seconds(proc.pid), time.monotonic()
    time.sleep(seconds)
    cpu1, t1 = cpu_seconds(proc.pid), time.monotonic()
    rc = stop(proc)
    print(f"idle: {100 * (cpu1 - cpu0) / (t1 - t0):.3f}% of one core over {t1 - t0:.0f} s "
          f"({cpu1 - cpu0:.2f} s CPU); RSS after start {rss:.1f} MB; exit {rc}")


def last_change(log):
    with open(log, "rb") as f:
        lines = f.read().splitlines()
    return int(lines[-1].split()[0]) if lines else 0


def hand_offs(binary, shim, root, sends):
    env = prepare(root)
    master, slave = pty.openpty()
    modem = os.path.join(root, "modem.log")
    service_env = dict(env, LD_PRELOAD=shim, ZUL_MODEM_LOG=modem)
    proc = start_service(binary, service_env, os.ttyname(slave), os.path.join(root, "handoff"))
    latencies, totals = [], []
    for _ in range(sends):
        begin = time.monotonic_ns() // 1000
        rc = subprocess.run([binary, "send", "A", "1", "ON"], env=env).returncode
        end = time.monotonic_ns() // 1000
        if rc != 0:
            sys.exit(f"send ended with {rc}")
        latencies.append((last_change(modem) - begin) / 1000)
        totals.append((end - begin) / 1000)
    stop(proc)
    os.close(master)
    os.close(slave)
    print(f"hand-off of {sends} sends, command start to the frame's last line change: "
          f"median {statistics.median(latencies):.1f} ms, worst {max(latencies):.1f} ms "
          f"(command start to its exit: median {statistics.median(totals):.1f} ms, worst {max(totals):.1f} ms)")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    build = os.path.join(here, "..", "build")
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--binary", default=os.path.join(build, "zulmarin"))
    p.add_argument("--shim", default=os.path.join(build, "tests", "libzul_modem_shim.so"))
    p.add_argument("--idle-seconds", type=float, default=300)
    p.add_argument("--sends", type=int, default=50)
    a = p.parse_args()
    print(f"load average at start: {' '.join(f'{x:.2f}' for x in os.getloadavg())}")
    with tempfile.TemporaryDirectory() as root:
        hand_offs(os.path.abspath(a.binary), os.path.abspath(a.shim), os.path.join(root, "h"), a.sends)
        idle(os.path.abspath(a.binary), os.path.join(root, "i"), a.idle_seconds)
    print(f"load average at end: {' '.join(f'{x:.2f}' for x in os.getloadavg())}")


if __name__ == "__main__":
    main()
