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
