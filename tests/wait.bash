# Shared by the end-to-end libraries of both programs (sourced).

# wait_for SECONDS COMMAND...: true as soon as the command succeeds, false when time is up.
wait_for() {
  local limit=$1 i
  shift
  for i in $(seq $((limit * 10))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# join_display FDFILE PID: DISPLAY becomes the X server that PID started with -displayfd
# writing to FDFILE, once it answers; false when it ends or gives no display within 10 s.
join_display() {
  local fd=$1 pid=$2 i
  for i in $(seq 100); do
    [ -s "$fd" ] && break
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  [ -s "$fd" ] || return 1
  export DISPLAY=":$(head -n1 "$fd")"
  for i in $(seq 50); do
    xwininfo -root >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
