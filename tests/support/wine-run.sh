#!/bin/sh
# Runs a Windows program under Wine in the given prefix, quietly and without
# the Mono and Gecko installers' prompts.
prefix=$1
shift
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
