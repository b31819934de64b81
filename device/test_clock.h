#pragma once

// The times the program waits that a test may shorten. Each knob is an environment variable
// for tests only, like STRYLA_TEST_TURN_WAIT_MS of the command line: a user never sets one,
// and without them every time is the real one.
//
//   STRYLA_TEST_PAUSE_PERCENT  the device protocol's pauses (report gaps, settles, command
//                              pauses) in percent of their real length, 1 … 100; tests that
//                              check the spacing of reports leave it unset
//   STRYLA_TEST_<NAME>_MS      a named period of the program in milliseconds (0 or more):
//                              START (the start picture), HOLD (how long a program's rule must
//                              apply before its profile is switched to), SCAN (the process
//                              scan's period)
namespace TestClock {

// A pause the device protocol needs, as long as the tests' clock makes it.
int pause(int ms);

// A named period ("START", "HOLD", "SCAN"), as long as the tests' clock makes it.
int period(const char *name, int ms);

}  // namespace TestClock
