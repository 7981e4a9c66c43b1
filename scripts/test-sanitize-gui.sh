#!/usr/bin/env bash
# The program's windows under AddressSanitizer and UndefinedBehaviorSanitizer: the GUI
# built with the sanitizers (at -O1: the tests run at a usable speed and the build
# stays short) and a chosen part of the window tests run under Xvfb. The part covers every
# view type and caption action, the keys of the panes, dialogs, tours, layouts, the
# awkward moments (a dialog open under a playing tour, a layout changed during a drag,
# a stellation failing inside a paint) and a few seeds of random user actions.
# Leaks are not reported there: the toolkit and the GL driver keep memory to the end.
# Then the allocation sweep of the document (no toolkit, no GL) runs with leaks
# reported: an operation that a lack of memory ends gives back all it took.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${CORVIA_ASAN_GUI_DIR:-build/asan-gui}
jobs=${CORVIA_JOBS:-$(nproc)}
start=$(date +%s)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG" \
  -DCORVIA_SANITIZE=ON -DCORVIA_GUI=ON -DCORVIA_BENCH=OFF
cmake --build "$build" -j "$jobs" --target test_gui test_app
built=$(date +%s)

unset DISPLAY WAYLAND_DISPLAY
export LC_ALL=C LIBGL_ALWAYS_SOFTWARE=1 CORVIA_TEST_FIXTURES=$PWD/tests/fixtures
export XDG_CONFIG_HOME=${XDG_CONFIG_HOME:-$(mktemp -d)}
mkdir -p "$XDG_CONFIG_HOME/gtk-3.0"
printf '[Settings]\ngtk-print-backends=file\n' > "$XDG_CONFIG_HOME/gtk-3.0/settings.ini"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:detect_stack_use_after_return=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
filter=${CORVIA_SANITIZE_GUI_FILTER:-'WindowSurvives*:Seeds/RandomActionsSeed*:Tours*:PaneControls*:PaneFramingWindow*:ProgramTest.Drag*:ProgramTest.AClick*:ProgramTest.TheMode*:ProgramTest.NetAndDiagram*:ProgramTest.DialogCommands*:ProgramTest.ATour*'}
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/test_gui" --gtest_brief=1 --gtest_filter="$filter"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=0 LSAN_OPTIONS=suppressions=$PWD/tests/support/lsan-suppressions.txt \
  "$build/tests/test_app" --gtest_brief=1 \
  --gtest_filter='Operations/SweepTest.*:SweptOperations.*:WayBackTest.*'
echo "Window tests and the allocation sweep under the sanitizers: built in $((built - start)) s, ran in $(( $(date +%s) - built )) s"
