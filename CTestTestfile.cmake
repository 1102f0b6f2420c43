# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# ctest reads this file only where the folder of the build that its preset names
# has not been made, as in a new clone (ctest --preset unit): it makes the test
# build, and says to run ctest again. The builds are made in folders of their own.
add_test(the_test_build "/bin/sh" "-c"
  "cmake --preset test && cmake --build --preset test && echo 'The test build was not made: it is now, in build/test. Run ctest again.' && exit 1")
set_tests_properties(the_test_build PROPERTIES LABELS "unit;command;windows;packaging;release;lint"
  TIMEOUT 1800)
