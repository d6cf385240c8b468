#pragma once

#include <string>
#include <string_view>

namespace tto {

// The three session lengths in minutes that the time-slot builder leaves (0: no such
// length).
struct SessionLengths {
  int first = 0;
  int second = 0;
  int third = 0;
};

// The weekly load of one subject from its hours text ("02,50": two digits, the regional
// decimal separator, two decimals), worked in single precision as Velmora expects:
// whole hours stand as they are; other loads become minutes and are divided by the first
// session length that gives a whole number of sessions, or else rounded up to whole hours.
// A text that does not convert ends the run with the conversion error.
float TeachingLoad(std::string_view hoursText, const SessionLengths& lengths);

// The session pattern Velmora reads for a load: one "1" per session up to thirteen; beyond
// that, the sessions above thirteen in decimal followed by thirteen "1".
std::string SessionPattern(float load);

}  // namespace tto
