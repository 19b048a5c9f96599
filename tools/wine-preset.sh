#!/usr/bin/env bash
# Prints the build preset whose Windows program Wine can run on this machine:
# win32 (the release build) where the kernel executes 32-bit code, else win64
# (the same program built for 64-bit Windows). Some virtual machines have no
# 32-bit support at all, and 32-bit Wine then fails with "Exec format error".
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo win32
else
  echo win64
fi
