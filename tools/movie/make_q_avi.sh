#!/usr/bin/env bash
# make_q_avi.sh [output]: renders the launcher's opening movie (default: data/Q.AVI).
#
# 5 seconds, 480x316, 15 frames/s, MPEG-4 part 2 video with 22.05 kHz mono PCM sound in an AVI.
# Picture: a close-up of a wooden shogi board, the title 将棋 fading in, and a 歩 piece that
# drops onto a square. Sound: two soft plucked notes under the title and the click of the piece
# when it lands (t = 3.0 s). Everything is drawn by the ffmpeg program (lavfi sources, geq,
# drawgrid, drawtext with the IPA Mincho font); no input files are needed.
#
# Needs the Debian packages ffmpeg and fonts-ipafont-mincho.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out="${1:-$root/data/Q.AVI}"
font=/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf
[ -f "$font" ] || { echo "missing $font (apt-get install fonts-ipafont-mincho)" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "missing ffmpeg (apt-get install ffmpeg)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# 1. The board: straight kaya grain, 60x64 squares, dark lines.
grain='1-0.09*pow(0.5+0.5*sin(X*0.21+0.9*sin(X*0.037)+0.35*sin(Y*0.009+X*0.02)),6)-0.04*pow(0.5+0.5*sin(X*0.05+1.5),8)-0.025*random(1)'
ffmpeg -v error -y -f lavfi -i "color=c=black:s=480x316:d=1,format=rgb24" -frames:v 1 \
  -vf "geq=r='226*($grain)':g='176*($grain)':b='100*($grain)',drawgrid=x=0:y=0:w=60:h=64:t=2:c=0x3a2410" \
  "$work/board.png"

# 2. The piece: a pentagon of light wood with 歩 on it, transparent around it (46x52).
shape='lte(abs(X-23),if(lt(Y,12),4+15*Y/12,19+4*(Y-12)/40))'
ffmpeg -v error -y -f lavfi -i "color=c=black:s=46x52:d=1,format=rgba" -frames:v 1 \
  -vf "geq=r='238-18*random(2)':g='206-14*random(2)':b='138':a='255*$shape',drawtext=fontfile=$font:text=歩:fontsize=30:fontcolor=0x1a1008:x=(w-tw)/2:y=15" \
  "$work/piece.png"

# 3. The sound: plucks at 0.6 s (G4) and 1.0 s (C5), the piece's click at 3.0 s.
pluck() { # start frequency
  echo "gte(t,$1)*(0.30*sin(2*PI*$2*(t-$1))*exp(-4*(t-$1))+0.12*sin(4*PI*$2*(t-$1))*exp(-7*(t-$1))+0.05*sin(6*PI*$2*(t-$1))*exp(-11*(t-$1)))"
}
click='gte(t,3.0)*(0.8*(2*random(0)-1)*exp(-(t-3.0)*260)+0.6*sin(2*PI*1250*(t-3.0))*exp(-(t-3.0)*90)+0.25*sin(2*PI*2900*(t-3.0))*exp(-(t-3.0)*150))'
audio="$(pluck 0.6 392)+$(pluck 1.0 523.25)+$click"

# 4. The movie: title band and title fade in, the piece falls from 2.2 s and lands at 3.0 s,
# in the column right of the title (x 360..420), so that it never passes over 将棋.
land_x=367
land_y=198
fall="if(lt(t,2.2),-60,if(lt(t,3.0),-60+($land_y+60)*pow((t-2.2)/0.8,2),$land_y))"
ffmpeg -v error -y \
  -loop 1 -framerate 15 -i "$work/board.png" \
  -loop 1 -framerate 15 -i "$work/piece.png" \
  -f lavfi -i "aevalsrc=exprs='$audio':s=22050:d=5" \
  -filter_complex "[0:v]drawbox=x=0:y=36:w=480:h=132:c=0xf5e6c8@0.55:t=fill,
      drawtext=fontfile=$font:text=将棋:fontsize=112:fontcolor=0x140a04:borderw=3:bordercolor=0xf8eedc:x=(w-tw)/2:y=44:alpha='min(1,max(0,(t-0.6)/1.0))'[bg];
      [bg][1:v]overlay=x=$land_x:y='$fall':eval=frame:shortest=1,trim=duration=5,
      fade=t=in:st=0:d=0.8,fade=t=out:st=4.3:d=0.7,format=yuv420p[v]" \
  -map '[v]' -map 2:a -t 5 -r 15 \
  -c:v mpeg4 -q:v 4 -g 30 -vtag XVID -c:a pcm_s16le -ar 22050 -ac 1 \
  -map_metadata -1 -fflags +bitexact -flags:v +bitexact -flags:a +bitexact \
  "$out"
echo "wrote $out ($(stat -c %s "$out") bytes)"
