#include "bench_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "record_builder.h"

namespace shgs {
namespace bench {
namespace {

constexpr char kServerKey[] =
    "HKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul Deluxe "
    "Game Server";
constexpr int kGameCount = 26;

std::string valueLine(const std::string& name, const std::string& text) {
  return "    " + name + "    REG_SZ    " + text + "\r\n";
}

std::string serverKey() {
  return std::string("\r\n") + kServerKey + "\r\n" +
         valueLine("ServerRoot", "C:\\SHGS") + valueLine("LimitIP", "F") +
         valueLine("IPAddr", "10.0.0.1") + valueLine("NameAddr", "") +
         valueLine("Port", "2002") + valueLine("NodeMax", "255");
}

std::string gameKey(char letter) {
  const std::string name(1, letter);
  return std::string("\r\n") + kServerKey + "\\Games\\" + name + "\r\n" +
         valueLine("Deleted", "F") + valueLine("Active", "T") +
         valueLine("Directory", "C:\\SHGS\\GAME\\" + name) +
         valueLine("Description", "Game" + name + ".txt") +
         valueLine("Title", "Game " + name + " of the bench");
}

// The values of keys the exporter does not read; their names and texts
// resemble those it looks up.
const char* const kUnrelatedValues[] = {
    "    NodeName    REG_SZ    Node of the server\r\n",
    "    PortNote    REG_SZ    Listens on the Port of the server\r\n",
    "    Titles    REG_SZ    no Title here, nor a Directory\r\n",
    "    LastCaller    REG_SZ    a caller from far away\r\n",
    "    Counters    REG_SZ    1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\r\n",
};

// Unrelated keys, each with up to 20 values, until "capture" is "end" bytes
// long (give or take a line).
void appendUnrelatedKeys(std::size_t end, int* node, std::string* capture) {
  std::size_t line = 0;
  while (capture->size() < end) {
    if (line % 20 == 0) {
      *capture += std::string("\r\n") + kServerKey + "\\Nodes\\Node" +
                  std::to_string((*node)++) + "\r\n";
    }
    *capture += kUnrelatedValues[line++ % 5];
  }
}

// A benchmark on a record that lacks a field would measure something else.
void setField(sample::RecordBuilder& builder, const char* name,
              std::int64_t value) {
  std::string err;
  if (builder.set(name, value, &err)) return;
  std::fprintf(stderr, "bench record: %s\n", err.c_str());
  std::abort();
}

RecordBytes recordOf(const sample::RecordBuilder& builder) {
  RecordBytes record{};
  std::copy(builder.bytes().begin(), builder.bytes().end(), record.begin());
  return record;
}

}  // namespace

std::string makeCapture(std::size_t size) {
  const std::string server = serverKey();
  std::size_t gamesSize = 0;
  for (int i = 0; i < kGameCount; ++i) gamesSize += gameKey('A').size();
  const std::size_t fillerPerGap =
      (std::max(size, server.size() + gamesSize) - server.size() - gamesSize) /
      kGameCount;
  std::string capture = server;
  int node = 0;
  for (int i = 0; i < kGameCount; ++i) {
    appendUnrelatedKeys(capture.size() + fillerPerGap, &node, &capture);
    capture += gameKey(static_cast<char>('A' + i));
  }
  return capture;
}

RecordBytes makeConfigRecord(int seed) {
  sample::RecordBuilder builder(sample::RecordKind::kConfig);
  const struct {
    const char* name;
    std::int64_t value;
  } fields[] = {
      {"sectors", 5000 + seed},    {"maxUsers", 200},
      {"maxShips", 1000},          {"turnsPerDay", 250},
      {"startingCredits", 1000},   {"tournamentMode", seed % 2},
      {"gameStartDay", 12000},     {"externLastRunDay", 12500},
      {"lastBustClearDay", 12400}, {"bigBangDay", 11000},
      {"bubbleCount", 4},          {"cloakCost", 20000 + seed},
      {"twarp1DriveCost", 60000},  {"internalAliens", 1},
      {"internalFerrengi", 1},     {"photonCost", 40000},
  };
  for (const auto& field : fields) setField(builder, field.name, field.value);
  return recordOf(builder);
}

RecordBytes makeGlobalRecord() {
  sample::RecordBuilder builder(sample::RecordKind::kGlobal);
  builder.setText("serverName", "Bench Server");
  builder.setText("runningName", "Starhaul Deluxe");
  setField(builder, "shipDelayCode", 4);
  setField(builder, "probeMovementDelay", 3);
  setField(builder, "versionMajor", 2);
  setField(builder, "versionMinor", 6);
  return recordOf(builder);
}

}  // namespace bench
}  // namespace shgs
