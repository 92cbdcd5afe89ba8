# The environment every Wine process of the build and the tests runs in.
# Sourced (not run) by wine-prefix.sh, wine-run.sh and run-sample.sh.

# No Mono or Gecko, and no menu builder: it would hold a new Start-menu
# folder busy for seconds after a link is saved, and write .desktop files
# into the Linux home.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Wine 10 aborts at start ("free(): invalid pointer") when TMPDIR is
# /dev/shm, where the native tests keep their scratch files; Wine 8 does not
# mind. No Windows program reads TMPDIR (its temporary folder comes from the
# prefix), so Wine runs without it.
unset TMPDIR

# Wine gives Windows file names to Linux in the character set of the Unix
# locale: without a UTF-8 one (no LANG at all, as on a fresh system) a program
# cannot create a name beyond ASCII that Windows creates. C.UTF-8 is always
# there; the language part of a UTF-8 locale that is set (the Russian test's
# LC_ALL=ru_RU.UTF-8) stays as it is.
case ${LC_ALL:-${LC_CTYPE:-${LANG:-}}} in
  *.[Uu][Tt][Ff]-8 | *.[Uu][Tt][Ff]8) ;;
  *)
    if [ -n "${LC_ALL:-}" ]; then export LC_ALL=C.UTF-8; else export LC_CTYPE=C.UTF-8; fi
    ;;
esac
