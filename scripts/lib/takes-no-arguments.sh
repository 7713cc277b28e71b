# SPDX-License-Identifier: MIT
# Sourced by the scripts that take no arguments but a request for help: with
# the caller's usage() and name, answers -h and --help, and refuses anything
# else with the usage and status 2.
#   usage: . scripts/takes-no-arguments.sh; takes_no_arguments NAME "$@"
takes_no_arguments() {
  local name=$1
  shift
  case "$#:${1:-}" in
    1:-h | 1:--help) usage && exit 0 ;;
    0:) ;;
    *) echo "$name: unknown arguments: $*" >&2 && usage >&2 && exit 2 ;;
  esac
}
