#!/usr/bin/env python3
"""Checks the game's sound data: the voice clips and the background music.

Voice clips (shogi/res/sounds/<name>.wav), all 105 of them:
  - RIFF/WAVE, PCM, 16 kHz, mono, 16-bit, a well-formed chunk list;
  - not empty and not silent (RMS and peak above a floor);
  - speech lasts 0.2 to 3 s; the piece click IDSOUND_KOMA 0.03 to 0.5 s;
  - trimmed: neither the first nor the last 20 ms is silence;
  - no clip in the directory that the game does not know.
Music (data/BGM00.mid ... data/BGM04.mid):
  - Standard MIDI File: header, track chunks of the declared count and
    length, every event well formed (running status, meta and SysEx
    lengths), one end-of-track at the end of each track;
  - notes on and off in pairs, every note released by the end;
  - length from the tempo map and the last tick: BGM00 about 30 s,
    BGM01-04 about 60 s; each uses the koto, shakuhachi, shamisen or taiko.

With --play it also builds a small SDL2_mixer program in a scratch
directory and plays every MIDI file and a few clips through FluidSynth
and the TimGM6mb SoundFont on SDL's "disk" audio driver, then checks the
captured output is not silent (needs cc, libsdl2-mixer-dev; takes about
15 s because the driver runs in real time).

Exit status 0 when everything passes, 1 when anything fails.
"""

import argparse
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
SOUNDS = os.path.join(ROOT, "shogi", "res", "sounds")
MUSIC = os.path.join(ROOT, "data")
SOUNDFONT = "/usr/share/sounds/sf2/TimGM6mb.sf2"

# (file, expected seconds, tolerance)
PIECES = [("BGM00.mid", 30.0, 5.0), ("BGM01.mid", 60.0, 6.0), ("BGM02.mid", 60.0, 6.0),
          ("BGM03.mid", 60.0, 6.0), ("BGM04.mid", 60.0, 6.0)]
JAPANESE_PROGRAMS = {77: "shakuhachi", 106: "shamisen", 107: "koto", 116: "taiko"}


def clip_names():
    names = ["IDSOUND_SENTE", "IDSOUND_GOTE"]
    names += ["IDSOUND_BAN%d%d" % (f, r) for f in range(1, 10) for r in range(1, 10)]
    names += ["IDSOUND_KOMA%02d" % k for k in range(1, 16) if k != 12]
    names += ["IDSOUND_NARI", "IDSOUND_ONAJI", "IDSOUND_KOMA", "IDSOUND_OUTE",
              "IDSOUND_ONEGAI", "IDSOUND_MATTA", "IDSOUND_THANKS", "IDSOUND_MAKE"]
    return names


class Problems:
    def __init__(self):
        self.items = []

    def add(self, where, text):
        self.items.append("%s: %s" % (where, text))


# ----------------------------------------------------------------------------
# WAVE

def read_wave(path):
    """Returns (format dict, sample bytes) or raises ValueError."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 12 or data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError("not a RIFF/WAVE file")
    riff_size = struct.unpack("<I", data[4:8])[0]
    if riff_size + 8 != len(data):
        raise ValueError("RIFF size %d does not match file size %d" % (riff_size + 8, len(data)))
    pos = 12
    fmt = None
    samples = None
    while pos + 8 <= len(data):
        cid = data[pos:pos + 4]
        size = struct.unpack("<I", data[pos + 4:pos + 8])[0]
        body = data[pos + 8:pos + 8 + size]
        if len(body) != size:
            raise ValueError("chunk %r runs past the end of the file" % cid)
        if cid == b"fmt ":
            if size < 16:
                raise ValueError("fmt chunk too short")
            tag, channels, rate, byte_rate, align, bits = struct.unpack("<HHIIHH", body[:16])
            fmt = dict(tag=tag, channels=channels, rate=rate, byte_rate=byte_rate,
                       align=align, bits=bits)
        elif cid == b"data":
            samples = body
        pos += 8 + size + (size & 1)
    if pos != len(data):
        raise ValueError("trailing bytes after the last chunk")
    if fmt is None:
        raise ValueError("no fmt chunk")
    if samples is None:
        raise ValueError("no data chunk")
    return fmt, samples


def check_clip(problems, name, path):
    try:
        fmt, raw = read_wave(path)
    except (OSError, ValueError) as e:
        problems.add(name, str(e))
        return None
    want = dict(tag=1, channels=1, rate=16000, bits=16, align=2, byte_rate=32000)
    for key, value in want.items():
        if fmt[key] != value:
            problems.add(name, "%s is %d, want %d" % (key, fmt[key], value))
    if fmt["bits"] != 16 or fmt["channels"] != 1 or fmt["rate"] <= 0:
        return None
    if len(raw) % 2:
        problems.add(name, "odd number of data bytes")
        raw = raw[:-1]
    n = len(raw) // 2
    if n == 0:
        problems.add(name, "no samples")
        return None
    samples = struct.unpack("<%dh" % n, raw)
    seconds = n / fmt["rate"]
    rms = math.sqrt(sum(s * s for s in samples) / n) / 32768.0
    peak = max(abs(s) for s in samples) / 32768.0
    rms_db = 20 * math.log10(rms) if rms > 0 else -math.inf
    if rms_db < -35:
        problems.add(name, "too quiet or silent: RMS %.1f dBFS" % rms_db)
    if peak < 0.1:
        problems.add(name, "peak only %.3f of full scale" % peak)
    if peak >= 0.999:
        problems.add(name, "clipped (peak at full scale)")
    lo, hi = (0.03, 0.5) if name == "IDSOUND_KOMA" else (0.2, 3.0)
    if not lo <= seconds <= hi:
        problems.add(name, "lasts %.3f s, want %.2f to %.2f s" % (seconds, lo, hi))
    # trimmed: the first and last 20 ms must carry sound
    edge = max(1, int(0.02 * fmt["rate"]))
    for label, part in (("start", samples[:edge]), ("end", samples[-edge:])):
        part_peak = max(abs(s) for s in part) / 32768.0
        if part_peak < 0.002:
            problems.add(name, "untrimmed silence at the %s" % label)
    return seconds, rms_db, len(raw) + 44


def check_clips(problems, directory, verbose):
    names = clip_names()
    assert len(names) == 105
    total_bytes = 0
    durations = {}
    for name in names:
        path = os.path.join(directory, name + ".wav")
        if not os.path.exists(path):
            problems.add(name, "missing (%s)" % path)
            continue
        result = check_clip(problems, name, path)
        if result:
            durations[name] = result[0]
            total_bytes += os.path.getsize(path)
            if verbose:
                print("  %-16s %6.3f s  RMS %6.1f dBFS" % (name, result[0], result[1]))
    if os.path.isdir(directory):
        known = {n + ".wav" for n in names}
        for f in sorted(os.listdir(directory)):
            if f.endswith(".wav") and f not in known:
                problems.add(f, "clip the game does not use")
    if total_bytes > 4 * 1024 * 1024:
        problems.add("clips", "total size %d bytes is more than 4 MB" % total_bytes)
    return durations, total_bytes


# ----------------------------------------------------------------------------
# Standard MIDI File

DATA_BYTES = {0x80: 2, 0x90: 2, 0xA0: 2, 0xB0: 2, 0xC0: 1, 0xD0: 1, 0xE0: 2}


def read_vlq(data, pos, end):
    value = 0
    for i in range(4):
        if pos >= end:
            raise ValueError("variable-length number runs past the track end")
        b = data[pos]
        pos += 1
        value = (value << 7) | (b & 0x7F)
        if not b & 0x80:
            return value, pos
    raise ValueError("variable-length number longer than 4 bytes")


def parse_smf(data):
    """Parses a Standard MIDI File. Returns (format, division, tracks) where each
    track is a list of (tick, kind, payload) with kind "channel", "meta" or
    "sysex". Raises ValueError on any malformed part."""
    if len(data) < 14 or data[:4] != b"MThd":
        raise ValueError("no MThd header")
    hlen, fmt, ntrks, division = struct.unpack(">IHHH", data[4:14])
    if hlen < 6:
        raise ValueError("header length %d" % hlen)
    if fmt not in (0, 1):
        raise ValueError("format %d (want 0 or 1)" % fmt)
    if fmt == 0 and ntrks != 1:
        raise ValueError("format 0 with %d tracks" % ntrks)
    if division & 0x8000 or division == 0:
        raise ValueError("division %#x is not ticks per quarter note" % division)
    pos = 8 + hlen
    tracks = []
    while pos < len(data):
        if pos + 8 > len(data):
            raise ValueError("truncated chunk header at byte %d" % pos)
        cid = data[pos:pos + 4]
        size = struct.unpack(">I", data[pos + 4:pos + 8])[0]
        start, end = pos + 8, pos + 8 + size
        if end > len(data):
            raise ValueError("chunk %r runs past the end of the file" % cid)
        if cid == b"MTrk":
            tracks.append(parse_track(data, start, end, len(tracks)))
        pos = end
    if len(tracks) != ntrks:
        raise ValueError("header says %d tracks, found %d" % (ntrks, len(tracks)))
    return fmt, division, tracks


def parse_track(data, pos, end, index):
    events = []
    tick = 0
    status = None
    ended = False
    while pos < end:
        if ended:
            raise ValueError("track %d: events after end-of-track" % index)
        delta, pos = read_vlq(data, pos, end)
        tick += delta
        if pos >= end:
            raise ValueError("track %d: delta time without an event" % index)
        b = data[pos]
        if b == 0xFF:
            if pos + 2 > end:
                raise ValueError("track %d: truncated meta event" % index)
            kind = data[pos + 1]
            length, pos = read_vlq(data, pos + 2, end)
            if pos + length > end:
                raise ValueError("track %d: meta event runs past the track end" % index)
            body = data[pos:pos + length]
            pos += length
            if kind == 0x2F:
                if length != 0:
                    raise ValueError("track %d: end-of-track with data" % index)
                ended = True
            if kind == 0x51 and length != 3:
                raise ValueError("track %d: tempo event of length %d" % (index, length))
            events.append((tick, "meta", (kind, body)))
            status = None
        elif b in (0xF0, 0xF7):
            length, pos = read_vlq(data, pos + 1, end)
            if pos + length > end:
                raise ValueError("track %d: SysEx runs past the track end" % index)
            events.append((tick, "sysex", data[pos:pos + length]))
            pos += length
            status = None
        else:
            if b & 0x80:
                if b >= 0xF0:
                    raise ValueError("track %d: system message %#x in a file" % (index, b))
                status = b
                pos += 1
            elif status is None:
                raise ValueError("track %d: running status with no status at tick %d"
                                 % (index, tick))
            n = DATA_BYTES[status & 0xF0]
            if pos + n > end:
                raise ValueError("track %d: truncated channel event" % index)
            payload = data[pos:pos + n]
            if any(x & 0x80 for x in payload):
                raise ValueError("track %d: data byte above 127 at tick %d" % (index, tick))
            events.append((tick, "channel", bytes([status]) + payload))
            pos += n
    if not ended:
        raise ValueError("track %d: no end-of-track event" % index)
    return events


def seconds_at(tempo_map, division, tick):
    """Seconds from tick 0 to `tick`, with tempo_map [(tick, usec per quarter)]."""
    total = 0.0
    last_tick, usec = 0, 500000
    for t, u in tempo_map:
        if t >= tick:
            break
        total += (t - last_tick) * usec / division / 1e6
        last_tick, usec = t, u
    return total + (tick - last_tick) * usec / division / 1e6


def check_piece(problems, name, path, want_seconds, tolerance):
    try:
        with open(path, "rb") as f:
            data = f.read()
        fmt, division, tracks = parse_smf(data)
    except (OSError, ValueError) as e:
        problems.add(name, str(e))
        return None
    tempo_map = []
    programs = set()
    notes = 0
    last_tick = 0
    for index, events in enumerate(tracks):
        sounding = {}
        for tick, kind, payload in events:
            last_tick = max(last_tick, tick)
            if kind == "meta" and payload[0] == 0x51:
                tempo_map.append((tick, int.from_bytes(payload[1], "big")))
            if kind != "channel":
                continue
            st, ch = payload[0] & 0xF0, payload[0] & 0x0F
            if st == 0xC0:
                programs.add(payload[1])
            elif st == 0x90 and payload[2] > 0:
                key = (ch, payload[1])
                if sounding.get(key):
                    problems.add(name, "track %d: note %d on channel %d struck again while "
                                 "sounding (tick %d)" % (index, payload[1], ch + 1, tick))
                sounding[key] = True
                notes += 1
            elif st == 0x80 or st == 0x90:
                key = (ch, payload[1])
                if not sounding.get(key):
                    problems.add(name, "track %d: note-off without a note (tick %d)"
                                 % (index, tick))
                sounding[key] = False
        held = [k for k, on in sounding.items() if on]
        if held:
            problems.add(name, "track %d: %d note(s) never released" % (index, len(held)))
    tempo_map.sort()
    if not tempo_map:
        problems.add(name, "no tempo event (120 bpm assumed)")
    if notes == 0:
        problems.add(name, "no notes")
    seconds = seconds_at(tempo_map, division, last_tick)
    if abs(seconds - want_seconds) > tolerance:
        problems.add(name, "lasts %.2f s, want about %.0f s" % (seconds, want_seconds))
    ends = {events[-1][0] for events in tracks if events}
    if len(ends) > 1:
        problems.add(name, "tracks end at different ticks %s" % sorted(ends))
    used = programs & set(JAPANESE_PROGRAMS)
    if not used:
        problems.add(name, "uses none of the koto, shakuhachi, shamisen or taiko programs")
    bpm = 60e6 / tempo_map[0][1] if tempo_map else 120.0
    return dict(seconds=seconds, notes=notes, tracks=len(tracks), bpm=bpm,
                instruments=sorted(JAPANESE_PROGRAMS[p] for p in used), size=len(data))


# ----------------------------------------------------------------------------
# Playing through SDL2_mixer (optional)

PLAYER_C = r"""
#include <SDL.h>
#include <SDL_mixer.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* play <soundfont> <seconds> <file>...: plays each .mid as music and each
   .wav as a chunk for at most <seconds>, one after another. */
int main(int argc, char **argv) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (argc < 4) return 2;
    if (SDL_Init(SDL_INIT_AUDIO) != 0) { fprintf(stderr, "SDL_Init: %s\n", SDL_GetError()); return 1; }
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        fprintf(stderr, "Mix_OpenAudio: %s\n", Mix_GetError()); return 1;
    }
    Mix_SetSoundFonts(argv[1]);
    double seconds = atof(argv[2]);
    int failed = 0;
    for (int i = 3; i < argc; ++i) {
        const char *f = argv[i];
        size_t n = strlen(f);
        Uint32 t0 = SDL_GetTicks();
        if (n > 4 && strcmp(f + n - 4, ".mid") == 0) {
            Mix_Music *m = Mix_LoadMUS(f);
            if (!m || Mix_GetMusicType(m) != MUS_MID || Mix_PlayMusic(m, 0) != 0) {
                fprintf(stderr, "%s: %s\n", f, Mix_GetError()); failed = 1;
                if (m) Mix_FreeMusic(m);
                continue;
            }
            while (Mix_PlayingMusic() && SDL_GetTicks() - t0 < seconds * 1000) SDL_Delay(10);
            Mix_HaltMusic();
            Mix_FreeMusic(m);
        } else {
            Mix_Chunk *c = Mix_LoadWAV(f);
            if (!c || Mix_PlayChannel(-1, c, 0) < 0) {
                fprintf(stderr, "%s: %s\n", f, Mix_GetError()); failed = 1;
                if (c) Mix_FreeChunk(c);
                continue;
            }
            while (Mix_Playing(-1) && SDL_GetTicks() - t0 < seconds * 1000) SDL_Delay(5);
            Mix_HaltChannel(-1);
            Mix_FreeChunk(c);
        }
        printf("%s %u\n", f, (unsigned)(SDL_GetTicks() - t0));
        fflush(stdout);
    }
    Mix_CloseAudio();
    SDL_Quit();
    return failed;
}
"""


def raw_rms_db(path):
    with open(path, "rb") as f:
        raw = f.read()
    n = len(raw) // 2
    if n == 0:
        return -math.inf
    samples = struct.unpack("<%dh" % n, raw[:2 * n])
    rms = math.sqrt(sum(s * s for s in samples) / n) / 32768.0
    return 20 * math.log10(rms) if rms > 0 else -math.inf


def play_check(problems, clip_dir, music_dir):
    cc = shutil.which("cc") or shutil.which("gcc")
    pkg = shutil.which("pkg-config")
    if not cc or not pkg:
        problems.add("play", "needs a C compiler and pkg-config")
        return
    if not os.path.exists(SOUNDFONT):
        problems.add("play", "SoundFont %s missing (package timgm6mb-soundfont)" % SOUNDFONT)
        return
    with tempfile.TemporaryDirectory(prefix="check_sound.") as tmp:
        src = os.path.join(tmp, "play.c")
        exe = os.path.join(tmp, "play")
        with open(src, "w") as f:
            f.write(PLAYER_C)
        flags = subprocess.run([pkg, "--cflags", "--libs", "SDL2_mixer"],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        if flags.returncode != 0:
            problems.add("play", "pkg-config SDL2_mixer failed (libsdl2-mixer-dev)")
            return
        build = subprocess.run([cc, "-O1", "-o", exe, src] + flags.stdout.split(),
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if build.returncode != 0:
            problems.add("play", "could not build the player:\n" + build.stdout)
            return
        jobs = [(os.path.join(music_dir, p[0]), 1.5) for p in PIECES]
        jobs += [(os.path.join(clip_dir, n + ".wav"), 3.0)
                 for n in ("IDSOUND_SENTE", "IDSOUND_BAN76", "IDSOUND_KOMA01", "IDSOUND_KOMA")]
        for path, seconds in jobs:
            label = os.path.basename(path)
            capture = os.path.join(tmp, "out.raw")
            env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=capture,
                       SDL_NO_SIGNAL_HANDLERS="1")
            try:
                run = subprocess.run([exe, SOUNDFONT, str(seconds), path], env=env,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                     timeout=30)
            except subprocess.TimeoutExpired:
                problems.add(label, "SDL2_mixer player hung")
                continue
            if run.returncode != 0:
                problems.add(label, "SDL2_mixer could not play it: %s" % run.stderr.strip())
                continue
            level = raw_rms_db(capture) if os.path.exists(capture) else -math.inf
            print("  played %-16s RMS %6.1f dBFS through SDL2_mixer" % (label, level))
            if level < -45:
                problems.add(label, "SDL2_mixer played silence (RMS %.1f dBFS)" % level)


# ----------------------------------------------------------------------------

def main():
    ap = argparse.ArgumentParser(description="Check the voice clips and the music files.")
    ap.add_argument("--sounds", default=SOUNDS, help="clip directory (default: %(default)s)")
    ap.add_argument("--music", default=MUSIC, help="music directory (default: %(default)s)")
    ap.add_argument("--play", action="store_true", help="also play them through SDL2_mixer")
    ap.add_argument("-v", "--verbose", action="store_true", help="list every clip")
    args = ap.parse_args()
    problems = Problems()

    durations, clip_bytes = check_clips(problems, args.sounds, args.verbose)
    print("clips: %d of 105 checked, %.1f KB in all" % (len(durations), clip_bytes / 1024.0))
    for name, want, tol in PIECES:
        path = os.path.join(args.music, name)
        info = check_piece(problems, name, path, want, tol)
        if info:
            print("%s: %.2f s, %.0f bpm, %d tracks, %d notes, %d bytes, %s"
                  % (name, info["seconds"], info["bpm"], info["tracks"], info["notes"],
                     info["size"], ", ".join(info["instruments"])))
    if args.play and not problems.items:
        play_check(problems, args.sounds, args.music)

    if problems.items:
        for p in problems.items:
            print("FAIL " + p, file=sys.stderr)
        print("%d problem(s)" % len(problems.items), file=sys.stderr)
        return 1
    print("sound data OK")
    return 0


if __name__ == "__main__":
    sys.exit(main())
