#!/usr/bin/env bash
# The recorder's media device through SDL's pulseaudio driver in the private session: a 440 Hz
# tone plays into the null sink whose monitor is the default input; the device records 2 s of
# it (the server's 48000 Hz converted to 44100 Hz), plays it back into the sink once the tone
# has ended, and saves a WAV file that holds the tone.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

recorder=${1:?usage: recorder_device.sh path/to/qf_mci_record}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

fail() {
    echo "recorder_device: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

qf_session_start
pactl set-default-source "$QF_MONITOR"
sink_audio="$QF_SESSION_DIR/sink.raw"
qf_record_start "$sink_audio"

# 3 s of tone; recording starts with it and lasts 2 s; playback starts 2.5 s after that, when
# the tone has long ended, so the sink carries the tone for about 3 + 2 s in all.
"$QF_PYTHON" "$QF_E2E_DIR/make_tone.py" --seconds 3 |
    pacat --raw --format=float32le --rate=48000 --channels=2 --device="$QF_SINK" &
tone_pid=$!
sleep 0.3
# "c:\" is the home folder, which the session made private.
take="$HOME/a take.wav"
output="$QF_SESSION_DIR/logs/recorder.out"
"$recorder" 2 2.5 'c:\a take.wav' >"$output" 2>&1 || fail "the recorder failed: $(cat "$output")"
wait "$tone_pid" || true
sleep 0.3
qf_record_stop
cat "$output"

grep -q '^mode after play playing$' "$output" || fail "the mode did not read playing"
played=$(sed -n 's/^played for \([0-9.]*\) s, then stopped$/\1/p' "$output")
[[ -n $played ]] || fail "playback did not end in the stopped mode"

wave_audio="$QF_SESSION_DIR/take.raw"
"$QF_PYTHON" - "$take" "$wave_audio" <<'PY' || fail "the saved file is not 44100 Hz 2-channel 16-bit"
import sys, wave
with wave.open(sys.argv[1]) as w:
    print(f"saved: {w.getframerate()} Hz, {w.getnchannels()} channels, "
          f"{8 * w.getsampwidth()} bits, {w.getnframes() / w.getframerate():.2f} s")
    if (w.getframerate(), w.getnchannels(), w.getsampwidth()) != (44100, 2, 2):
        sys.exit(1)
    if abs(w.getnframes() / 44100 - 2.0) > 0.3:
        sys.exit(1)
    open(sys.argv[2], "wb").write(w.readframes(w.getnframes()))
PY
# The tone was written at a 0.25 peak: -15.05 dBFS RMS.
"$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$wave_audio" --format s16le --rate 44100 \
    --min-active 1.5 --expect-hz 440 --hz-tolerance 2 --left-db -15.05 --right-db -15.05 \
    --db-tolerance 1 || fail "the saved file does not hold the tone"
# The sink carried the tone and then the playback of the recording.
"$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$sink_audio" --min-active 4.5 --expect-hz 440 \
    --hz-tolerance 2 || fail "the playback did not reach the sink"
echo "recorder_device: recorded the tone at 44100 Hz, played it back, saved it"
