#!/usr/bin/env python3
"""Measures the USI engine's time claims (a measurement, not a test).

  bench/usi_timing.py [--engine build/release/shogi/engine/shogi-engine] [--games 20]
                      [--byoyomi 1000] [--levels Easy,Normal,Hard] [--no-load]

1. Games per level against fairy-stockfish at depth 1 with `byoyomi <ms>` and no main time,
   with one CPU-bound process running beside them (unless --no-load). Each engine move is
   timed from the `go` line to the `bestmove` line; a move slower than the byoyomi loses on
   time. Every move of both sides is checked against fairy-stockfish's legal move list.
2. `stop` latency: `go infinite` on a middle-game position at the Hard level, `stop` after
   0.3 s, time to `bestmove`.
3. `quit` latency: the same, `quit` after 0.3 s, time until the process has exited.
4. Memory: the engine's resident size after the first and after the last game of the run.
"""
import argparse
import os
import select
import subprocess
import sys
import time

REFEREE = "/usr/games/fairy-stockfish"
BUSY = ("position sfen l1k4nl/1rsg1sgb1/2n2p1pp/p1p1p1p2/1p1p5/P1PPPP2P/BPN1GGPP1/5S1R1/LKS4NL"
        " w - 60")


class Peer:
    def __init__(self, path):
        self.p = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.buf = b""

    def send(self, line):
        self.p.stdin.write((line + "\n").encode())
        self.p.stdin.flush()

    def line(self, timeout=120.0):
        end = time.monotonic() + timeout
        while b"\n" not in self.buf:
            left = end - time.monotonic()
            if left <= 0:
                raise TimeoutError("no answer")
            r, _, _ = select.select([self.p.stdout], [], [], left)
            if r:
                chunk = os.read(self.p.stdout.fileno(), 65536)
                if not chunk:
                    raise EOFError("the program ended")
                self.buf += chunk
        l, self.buf = self.buf.split(b"\n", 1)
        return l.decode().rstrip("\r")

    def until(self, prefix, timeout=120.0):
        lines = []
        while True:
            l = self.line(timeout)
            lines.append(l)
            if l.startswith(prefix):
                return lines

    def rss_kb(self):
        with open(f"/proc/{self.p.pid}/status") as f:
            for l in f:
                if l.startswith("VmRSS:"):
                    return int(l.split()[1])
        return 0

    def close(self):
        try:
            self.send("quit")
            self.p.wait(timeout=5)
        except Exception:
            self.p.kill()


def legal_moves(ref, position):
    ref.send(position)
    ref.send("go perft 1")
    return {l.split(":")[0] for l in ref.until("Nodes searched") if ": " in l}


def play(engine, ref, level, engine_black, byoyomi, max_plies):
    engine.send("usinewgame")
    moves, times, faults = [], [], []
    result = "move limit"
    for ply in range(max_plies):
        position = "position startpos" + (" moves " + " ".join(moves) if moves else "")
        legal = legal_moves(ref, position)
        if not legal:
            result = "mated " + ("black" if ply % 2 == 0 else "white")
            break
        if (ply % 2 == 0) == engine_black:
            engine.send(position)
            t0 = time.monotonic()
            engine.send(f"go btime 0 wtime 0 byoyomi {byoyomi}")
            answer = engine.until("bestmove ")[-1]
            times.append((time.monotonic() - t0) * 1000)
            move = answer.split()[1]
            if move in ("resign", "win"):
                result = "engine " + move
                break
        else:
            ref.send(position)
            ref.send("go depth 1")
            move = ref.until("bestmove ")[-1].split()[1]
            if move in ("resign", "(none)"):
                result = "fairy-stockfish resigns"
                break
        if move not in legal:
            faults.append(f"ply {ply + 1}: {move} is not legal")
            result = "illegal move"
            break
        moves.append(move)
    return result, len(moves), times, faults


def latency(engine_path, command, runs):
    out = []
    for _ in range(runs):
        e = Peer(engine_path)
        e.send("setoption name Level value Hard")
        e.send("setoption name BookFile value none")
        e.send("isready")
        e.until("readyok")
        e.send(BUSY)
        e.send("go infinite")
        time.sleep(0.3)
        t0 = time.monotonic()
        e.send(command)
        if command == "stop":
            e.until("bestmove ")
            out.append((time.monotonic() - t0) * 1000)
            e.close()
        else:
            e.p.wait(timeout=10)
            out.append((time.monotonic() - t0) * 1000)
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.dirname(here)
    ap = argparse.ArgumentParser()
    ap.add_argument("--engine", default=os.path.join(root, "build/release/shogi/engine/shogi-engine"))
    ap.add_argument("--book", default=os.path.join(root, "data/joseki.dat"))
    ap.add_argument("--games", type=int, default=20)
    ap.add_argument("--byoyomi", type=int, default=1000)
    ap.add_argument("--levels", default="Easy,Normal,Hard")
    ap.add_argument("--max-plies", type=int, default=200)
    ap.add_argument("--latency-runs", type=int, default=10)
    ap.add_argument("--no-load", action="store_true")
    a = ap.parse_args()
    if not os.access(REFEREE, os.X_OK):
        sys.exit("fairy-stockfish is not installed (" + REFEREE + ")")

    load = None if a.no_load else subprocess.Popen(
        [sys.executable, "-c", "while True: pass"])
    try:
        for level in a.levels.split(","):
            engine, ref = Peer(a.engine), Peer(REFEREE)
            engine.send("usi")
            engine.until("usiok")
            engine.send(f"setoption name Level value {level}")
            engine.send(f"setoption name BookFile value {a.book}")
            engine.send("isready")
            engine.until("readyok")
            ref.send("usi")
            ref.until("usiok")
            all_times, losses, rss = [], 0, []
            for g in range(a.games):
                result, plies, times, faults = play(engine, ref, level, g % 2 == 0, a.byoyomi,
                                                    a.max_plies)
                late = [t for t in times if t > a.byoyomi]
                losses += bool(late)
                all_times += times
                rss.append(engine.rss_kb())
                print(f"{level} game {g + 1}: engine {'black' if g % 2 == 0 else 'white'}, "
                      f"{plies} plies, {result}, longest move {max(times, default=0):.0f} ms"
                      + (f", {len(late)} moves over the byoyomi" if late else "")
                      + ("".join("; " + f for f in faults)), flush=True)
            all_times.sort()
            if all_times:
                print(f"{level}: {a.games} games, {len(all_times)} engine moves, time losses "
                      f"{losses}, longest {all_times[-1]:.0f} ms, median "
                      f"{all_times[len(all_times) // 2]:.0f} ms, resident {rss[0]} kB after "
                      f"the first game, {rss[-1]} kB after the last", flush=True)
            engine.close()
            ref.close()
        for command in ("stop", "quit"):
            t = sorted(latency(a.engine, command, a.latency_runs))
            print(f"{command} latency over {len(t)} runs: median {t[len(t) // 2]:.1f} ms, "
                  f"longest {t[-1]:.1f} ms", flush=True)
    finally:
        if load:
            load.kill()


if __name__ == "__main__":
    main()
