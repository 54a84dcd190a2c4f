// A preload library for the Wine tests: the wall clock a process reads is
// shifted by SHGS_CLOCK_SHIFT seconds (a decimal integer, may be negative),
// so that a Windows program under Wine sees the moment its expected output
// was made for. Monotonic clocks are left alone, so waits and time-outs keep
// working.
//
// Built for both bitnesses without the C runtime's headers (the 32-bit ones
// need not be installed): the few declarations it needs are its own. Wine's
// 32-bit side reads the clock through glibc's 64-bit-time entry point,
// __clock_gettime64, which libfaketime does not replace.

extern "C" {
void* dlsym(void* handle, const char* name);
char* getenv(const char* name);
long long strtoll(const char* text, char** end, int base);
}

namespace {

void* const kNextObject = reinterpret_cast<void*>(-1L);  // RTLD_NEXT
constexpr int kClockRealtime = 0;
constexpr int kClockRealtimeCoarse = 5;

// struct timespec of the process's own bitness.
struct NativeTimespec {
  long seconds;
  long nanoseconds;
};

long long shiftSeconds() {
  static const long long shift = [] {
    const char* text = getenv("SHGS_CLOCK_SHIFT");
    return text == nullptr ? 0LL : strtoll(text, nullptr, 10);
  }();
  return shift;
}

bool isWallClock(int clock) {
  return clock == kClockRealtime || clock == kClockRealtimeCoarse;
}

}  // namespace

extern "C" int clock_gettime(int clock, NativeTimespec* time) {
  using Real = int (*)(int, NativeTimespec*);
  static const Real real =
      reinterpret_cast<Real>(dlsym(kNextObject, "clock_gettime"));
  const int result = real(clock, time);
  if (result == 0 && isWallClock(clock)) {
    time->seconds += static_cast<long>(shiftSeconds());
  }
  return result;
}

#if defined(__i386__)
// glibc's struct __timespec64 on i386: 64-bit seconds, 32-bit nanoseconds
// and 32 bits of padding.
struct Timespec64 {
  long long seconds;
  int nanoseconds;
  int padding;
};

extern "C" int __clock_gettime64(int clock, Timespec64* time) {
  using Real = int (*)(int, Timespec64*);
  static const Real real =
      reinterpret_cast<Real>(dlsym(kNextObject, "__clock_gettime64"));
  const int result = real(clock, time);
  if (result == 0 && isWallClock(clock)) time->seconds += shiftSeconds();
  return result;
}
#endif
