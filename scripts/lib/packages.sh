# shellcheck shell=bash
# Shared helper for scripts that need Debian packages. Source it, then call
#   ensure_packages pkg...
# Only packages that are not fully installed are handed to apt-get, and the
# package lists are refreshed at most once per top-level run, however many
# scripts (or subshells) call it.

if [[ -n "${_TOLVANIR_PACKAGES_SH:-}" ]]; then
  return 0
fi
_TOLVANIR_PACKAGES_SH=1

# Run a command as root: directly when we are root, through sudo otherwise.
as_root() {
  if [[ "$(id -u)" -eq 0 ]]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    echo "error: '$*' needs root and sudo is not available" >&2
    return 1
  fi
}

# Succeeds when every named package is installed.
packages_installed() {
  local pkg status
  for pkg in "$@"; do
    status="$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)"
    [[ "$status" == "install ok installed" ]] || return 1
  done
}

# The marker lives in /tmp and is keyed by the outermost script's PID and
# start time; the key is exported so nested scripts share it, and the start
# time keeps a recycled PID from reusing a stale marker.
# Sets (not prints) the path, so the export reaches the calling shell.
_packages_set_update_marker() {
  if [[ -z "${TOLVANIR_APT_UPDATE_MARKER:-}" ]]; then
    local start=""
    if [[ -r "/proc/$$/stat" ]]; then
      # Field 22 is the start time; strip "pid (comm) " first since comm may hold spaces.
      start="$(sed -E 's/^.*\) //' "/proc/$$/stat" | awk '{print $20}')"
    fi
    TOLVANIR_APT_UPDATE_MARKER="${TMPDIR:-/tmp}/tolvanir-apt-updated.$$.${start:-0}"
    export TOLVANIR_APT_UPDATE_MARKER
  fi
}

# Install whichever of the named packages are missing.
ensure_packages() {
  local pkg
  local -a missing=()
  for pkg in "$@"; do
    packages_installed "$pkg" || missing+=("$pkg")
  done
  if [[ ${#missing[@]} -eq 0 ]]; then
    return 0
  fi

  _packages_set_update_marker
  if [[ ! -e "$TOLVANIR_APT_UPDATE_MARKER" ]]; then
    echo "==> apt-get update" >&2
    as_root apt-get update
    : >"$TOLVANIR_APT_UPDATE_MARKER"
  fi
  echo "==> installing: ${missing[*]}" >&2
  as_root env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "${missing[@]}"
}
