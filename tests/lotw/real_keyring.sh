#!/bin/sh
# Runs the secret store's test against GNOME Keyring in a private D-Bus session with a throw-away
# HOME, so the operator's own keyring is never touched. 77 (skipped) without the programs.
set -eu
test_program="$1"
for p in dbus-run-session gnome-keyring-daemon; do
    command -v "$p" >/dev/null || { echo "skipped: $p is not installed"; exit 77; }
done
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/share" XDG_RUNTIME_DIR="$home" XDG_CONFIG_HOME="$home/config"
export QT_QPA_PLATFORM=offscreen
# First with no session bus at all: no store, and nothing written in HOME.
env -u DBUS_SESSION_BUS_ADDRESS VEZO_NO_KEYRING=1 "$test_program" \
    --gtest_filter=RealSecretStore.NoStore*
rm -rf "$home"/* "$home"/.[!.]* 2>/dev/null || true
export VEZO_REAL_KEYRING=1
# --unlock with a password on standard input creates the login keyring and opens it.
exec dbus-run-session -- sh -c 'printf test | gnome-keyring-daemon --unlock --components=secrets >/dev/null &&
    exec "$0" --gtest_filter=RealSecretStore.Keeps*' "$test_program"
